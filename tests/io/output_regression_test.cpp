// Every corpus blob gives the output file it gave before the conversion streamed
// its bytes: the same item code and status, and the same bytes (size and
// fingerprint). The tables were recorded with the earlier conversion, which
// built the whole text as wide characters and encoded it at once, on Linux
// (UTF-8) and on Windows (code page 1252, under Wine).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "io/convert_work.h"
#include "io/item_pipeline.h"
#include "tests/builders/output_corpus.h"
#include "tests/support/temp_folder.h"

namespace tamro {
namespace {

using enum ItemCode;

struct File {
  std::size_t size;  // 0 where no file is written
  std::uint64_t fingerprint;
};

struct Expected {
  const char* name;
  ItemCode code;
  ConvertStatus status;
  File utf8;    // on Linux
  File cp1252;  // on Windows, with the tests' code page
};

const Expected kExpected[] = {
    {"shapes",
     ResultWarnings,
     ConvertStatus::Warnings,
     {353, 0xF979B1465890A29Bull},
     {353, 0xF979B1465890A29Bull}},
    {"ends inside attributes",
     ResultOk,
     ConvertStatus::Ok,
     {30, 0x11F817D89BD9BE38ull},
     {30, 0x11F817D89BD9BE38ull}},
    {"count mismatch",
     ResultConvertFailed,
     ConvertStatus::ElementCount,
     {0, 0xCBF29CE484222325ull},
     {0, 0xCBF29CE484222325ull}},
    {"many attributes and strings",
     ResultOk,
     ConvertStatus::Ok,
     {28715, 0xF5F87432924BB0C3ull},
     {28715, 0xF5F87432924BB0C3ull}},
    {"overlapping strings",
     ResultOk,
     ConvertStatus::Ok,
     {650200, 0x57E5D3D391899845ull},
     {649800, 0x177CED004CF0A7C5ull}},
    {"generated",
     ResultWarnings,
     ConvertStatus::Warnings,
     {816948, 0xFD992838CDC29A23ull},
     {738330, 0x489D423B4D81BAB3ull}},
    {"non-ascii",
     ResultOk,
     ConvertStatus::Ok,
     {192, 0xD0946E00C5C47A05ull},
     {173, 0xE2AA68599C65011Aull}},
    {"surrogates",
     ResultOk,
     ConvertStatus::Ok,
     {188, 0xDEC5C6EE3A3D805Cull},
     {168, 0x059DF668D5ABF41Aull}},
    {"line ends",
     ResultOk,
     ConvertStatus::Ok,
     {259, 0x7EFA5E4F4E7F5E92ull},
     {259, 0x7EFA5E4F4E7F5E92ull}},
    {"23.raw",
     ResultOk,
     ConvertStatus::Ok,
     {157, 0xF30DE2467FB7A422ull},
     {157, 0xF30DE2467FB7A422ull}},
    {"40960.raw",
     ResultOk,
     ConvertStatus::Ok,
     {377, 0xE2F992BE54038A0Eull},
     {377, 0xE2F992BE54038A0Eull}},
    {"legacy.bin",
     ResultWarnings,
     ConvertStatus::Warnings,
     {118, 0x7D6F74635418DC66ull},
     {118, 0x7D6F74635418DC66ull}},
    {"ribbon.xml",
     ResultNotDuib,
     ConvertStatus::Ok,
     {0, 0xCBF29CE484222325ull},
     {0, 0xCBF29CE484222325ull}},
};

void Announce(const std::wstring&) {}

TEST(OutputRegression, EveryCorpusBlobGivesTheSameOutputFile) {
  const std::vector<test::CorpusBlob> corpus = test::OutputCorpus(TAMRO_SAMPLES_DIR);
  ASSERT_EQ(corpus.size(), std::size(kExpected));
  test::TempFolder folder;
  for (std::size_t i = 0; i < corpus.size(); ++i) {
    const Expected& expected = kExpected[i];
#ifdef _WIN32
    const File& file = expected.cp1252;
#else
    const File& file = expected.utf8;
#endif
    ASSERT_EQ(corpus[i].name, expected.name);
    folder.Write("in.raw", corpus[i].bytes);
    ItemSource source;
    source.name = L"in.raw";
    source.path = folder.Wide("in.raw");
    Destination dest{folder.WideFolder(), {}};
    const ItemResult result = RunItem(source, dest, ConvertWork(), Announce);
    EXPECT_EQ(result.code, expected.code) << expected.name;
    EXPECT_EQ(result.status, expected.status) << expected.name;
    const std::filesystem::path output = folder.Path("in.tamro.txt");
    const std::string bytes = std::filesystem::exists(output) ? test::ReadBytes(output) : "";
    EXPECT_EQ(bytes.size(), file.size) << expected.name;
    EXPECT_EQ(test::Fingerprint(bytes), file.fingerprint) << expected.name;
    std::filesystem::remove(output);
  }
}

}  // namespace
}  // namespace tamro
