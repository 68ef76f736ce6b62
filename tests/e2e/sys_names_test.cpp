// tamro -sys on a module whose resource names are hostile: paths, a drive prefix,
// digits and format text. Every output stays inside the destination folder.
#include "tests/builders/pe_builder.h"
#include "tests/e2e/e2e_common.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/e2e_samples.h"

namespace tamro::e2e {
namespace {

using test::PeBuilder;
using test::PeKey;

// Names that a module chooses: paths, a drive prefix, digits and format text.
class HostileNamesTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    PeBuilder pe;
    pe.AddUifile(PeKey::Text(u"..\\..\\EVIL"), CleanSample(u"backslashes").blob);
    pe.AddUifile(PeKey::Text(u"../../EVIL"), CleanSample(u"slashes").blob);
    pe.AddUifile(PeKey::Text(u"C:EVIL"), CleanSample(u"drive").blob);
    pe.AddUifile(PeKey::Text(u"25X"), CleanSample(u"string25X").blob);
    pe.AddUifile(PeKey::Text(u"%S {} \u00C9"), CleanSample(u"percent").blob);
    pe.AddUifile(PeKey::Id(25), CleanSample(u"id25").blob);
    module_ = Root() / "hostile.dll";
    WriteBytes(module_, pe.Build());
    out_ = Root() / "a" / "b" / "out";
  }

  fs::path module_;
  fs::path out_;
};

TEST_F(HostileNamesTest, StarKeepsEveryOutputInsideTheDestination) {
  const RunResult run = Tamro({"-sys", Shown(module_), "*", Shown(out_)});

  // String names first, in the module's (upper-case ordinal) order, then ids.
  ExpectTranscript(run, Transcript()
                            .Extracting(6, Shown(module_))
                            .ResourceItem(OnHost("%S {} \xC3\x89", "%S {} \xC9"), "OK")
                            .ResourceItem("../../EVIL", "OK")
                            .ResourceItem("..\\..\\EVIL",
                                          "OK (written as \".._.._EVIL~2.tamro.txt\")")
                            .ResourceItem("25X", "OK")
                            .ResourceItem("C:EVIL", "OK")
                            .ResourceItem("25", "OK")
                            .Summary(6, 6, Shown(out_)));
  EXPECT_EQ(ListFolder(out_),
            (Names{"%S {} \xC3\x89.tamro.txt", ".._.._EVIL.tamro.txt", ".._.._EVIL~2.tamro.txt",
                   "25.tamro.txt", "25X.tamro.txt", "C_EVIL.tamro.txt"}));
  // Both EVIL names give one safe name; the later one gets a name of its own.
  EXPECT_EQ(ReadBytes(out_ / ".._.._EVIL.tamro.txt"), CleanSample(u"slashes").xml);
  EXPECT_EQ(ReadBytes(out_ / ".._.._EVIL~2.tamro.txt"), CleanSample(u"backslashes").xml);
  EXPECT_EQ(ReadBytes(out_ / "C_EVIL.tamro.txt"), CleanSample(u"drive").xml);
  // The string name 25X is converted as itself, not as the id 25.
  EXPECT_EQ(ReadBytes(out_ / "25X.tamro.txt"), CleanSample(u"string25X").xml);
  EXPECT_EQ(ReadBytes(out_ / "25.tamro.txt"), CleanSample(u"id25").xml);
  EXPECT_EQ(ListFolder(Root()), (Names{"a/", "hostile.dll", "prog/"}));
  EXPECT_EQ(ListFolder(Root() / "a"), (Names{"b/"}));
  EXPECT_EQ(ListFolder(Root() / "a" / "b"), (Names{"out/"}));
}

TEST_F(HostileNamesTest, TypedStringNamesAreSanitisedToo) {
  const RunResult run = Tamro({"-sys", Shown(module_), "../../EVIL,C:EVIL", Shown(out_)});

  ExpectTranscript(run, EveryResourceOk(Shown(module_), {"../../EVIL", "C:EVIL"}, Shown(out_)));
  EXPECT_EQ(ListFolder(out_), (Names{".._.._EVIL.tamro.txt", "C_EVIL.tamro.txt"}));
  EXPECT_EQ(ReadBytes(out_ / ".._.._EVIL.tamro.txt"), CleanSample(u"slashes").xml);
  EXPECT_EQ(ListFolder(Root() / "a"), (Names{"b/"}));
}

// A typed id keeps the text round trip: "25X" typed on the command line reads as
// the number 25, as wcstol reads it, and names its file after the text.
TEST_F(HostileNamesTest, TypedDigitsNameTheIntegerId) {
  const RunResult run = Tamro({"-sys", Shown(module_), "25X", Shown(out_)});

  ExpectTranscript(run, EveryResourceOk(Shown(module_), {"25X"}, Shown(out_)));
  EXPECT_EQ(ReadBytes(out_ / "25X.tamro.txt"), CleanSample(u"id25").xml);
}

}  // namespace
}  // namespace tamro::e2e
