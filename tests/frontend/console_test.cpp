// The console writers and ReportItem, with standard output captured in a file
// (so, as when redirected: no colour). POSIX only: it swaps file descriptor 1.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "frontend/console.h"
#include "frontend/messages.h"
#include "tests/support/code_printers.h"

#ifndef _WIN32
#include <unistd.h>

namespace tamro {
namespace {

using enum ItemCode;

// Everything written to standard output while `action` runs.
std::string Capture(const std::function<void()>& action) {
  std::fflush(stdout);
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return "<no temporary file>";
  const int saved = dup(1);
  dup2(fileno(file), 1);
  action();
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
  std::string bytes;
  std::rewind(file);
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
    bytes.push_back(static_cast<char>(c));
  std::fclose(file);
  return bytes;
}

TEST(ConsoleTest, PrintLineAddsTheLineEnd) {
  EXPECT_EQ(Capture([] { PrintLine(L"a %s %d {} b"); }), "a %s %d {} b\n");
}

TEST(ConsoleTest, EmptyPrintLineIsAnEmptyLine) {
  EXPECT_EQ(Capture([] { PrintLine(L""); }), "\n");
}

TEST(ConsoleTest, WriteTextAddsNothing) {
  EXPECT_EQ(Capture([] {
              WriteText(L"\tname | ");
              WriteText(L"rest");
            }),
            "\tname | rest");
}

TEST(ConsoleTest, ErrorWritersAreUncolouredWhenRedirected) {
  EXPECT_EQ(Capture([] {
              PrintErrorLabel(L"ERROR: ");
              PrintLine(L"message");
              PrintErrorLine(L"Skipped: not in DUIB format");
            }),
            "ERROR: message\nSkipped: not in DUIB format\n");
}

TEST(ConsoleTest, TextIsUtf8) {
  EXPECT_EQ(Capture([] { PrintLine(L"\u00E9\u20AC"); }), "\xC3\xA9\xE2\x82\xAC\n");
}

TEST(ReportItemTest, OkCountsAndOthersDoNot) {
  ItemResult item;
  bool counted = false;
  EXPECT_EQ(Capture([&] { counted = ReportItem(item); }), "OK\n");
  EXPECT_TRUE(counted);
  for (ItemCode code : {ResultOpenFailed, ResultNotDuib, ResultConvertFailed, ResultWarnings,
                        ResultCreateFailed, ResultIdNotFound, ResultNotFound, ResultLoadFailed}) {
    item.code = code;
    item.status = ConvertStatus::BadSignature;
    const std::string text = Capture([&] { counted = ReportItem(item); });
    EXPECT_FALSE(counted) << code;
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_EQ(text.back(), '\n') << code;
  }
}

}  // namespace
}  // namespace tamro

#endif
