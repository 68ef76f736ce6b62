// tamro -sys: whole transcripts and output bytes of real runs on modules made by
// the PE builder.
#include <sys/stat.h>

#include "tests/builders/pe_builder.h"
#include "tests/e2e/e2e_common.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/e2e_samples.h"

namespace tamro::e2e {
namespace {

using test::PeBuilder;
using test::PeBytes;
using test::PeKey;
using test::PeTable;

class SysModeTest : public E2eTest {
 protected:
  // A module with UIFILEs of every outcome, and a resource of another type.
  fs::path MainModule() {
    const fs::path path = Root() / "mod.dll";
    if (fs::exists(path)) return path;  // made once per test
    PeBuilder pe;
    pe.AddUifile(PeKey::Id(23), CleanSample(u"twentythree").blob);
    pe.AddUifile(PeKey::Id(24), CleanSample(u"twentyfour").blob);
    pe.AddUifile(PeKey::Id(25), OneUnknownSample().blob);
    pe.AddUifile(PeKey::Id(26), BadMagicSample().blob);
    pe.AddUifile(PeKey::Id(27), PeBytes("duib"));
    pe.AddUifile(PeKey::Id(40960), CleanSample(u"main").blob);
    pe.AddUifile(PeKey::Text(u"RIBBON"), PeBytes("<ribbon/>"));
    pe.Add(PeKey::Id(10), PeKey::Id(23), 0, CleanSample(u"rcdata").blob);
    WriteBytes(path, pe.Build());
    return path;
  }

  // Runs the main module with `ids` into Root()/out and checks the whole transcript.
  RunResult RunIds(const std::string& ids, const Transcript& items, int converted, int total) {
    const fs::path module = MainModule();
    const fs::path out = Root() / "out";
    const RunResult run = Tamro({"-sys", Shown(module), ids, Shown(out)});
    ExpectTranscript(run, Transcript()
                              .Extracting(total, Shown(module))
                              .Text(items.str())
                              .Summary(converted, total, Shown(out)));
    return run;
  }

  fs::path Out() const { return Root() / "out"; }

  // A new module with the string name `name` and the id 23, each a clean sample.
  fs::path NameAnd23Module(const std::string& file, const std::u16string& name,
                           const std::u16string& word) {
    PeBuilder pe;
    pe.AddUifile(PeKey::Text(name), CleanSample(word).blob);
    pe.AddUifile(PeKey::Id(23), CleanSample(u"twentythree").blob);
    const fs::path module = Root() / file;
    WriteBytes(module, pe.Build());
    return module;
  }
};

TEST_F(SysModeTest, StarConvertsEveryUifileInTheModulesOrder) {
  const fs::path module = MainModule();
  const auto before = Snapshot(Root());

  RunIds("*",
         Transcript()
             .ResourceItem("RIBBON", "Skipped: not in DUIB format")
             .ResourceItem("23", "OK")
             .ResourceItem("24", "OK")
             .ResourceItem("25", "Warning: 1 unknown XML tags found")
             .ResourceItem("26", "Error: DUIB conversion failed (0x8005)")
             .ResourceItem("27", "Skipped: not in DUIB format")
             .ResourceItem("40960", "OK"),
         3, 7);

  EXPECT_EQ(ListFolder(Out()),
            (Names{"23.tamro.txt", "24.tamro.txt", "25.tamro.txt", "40960.tamro.txt"}));
  EXPECT_EQ(ReadBytes(Out() / "23.tamro.txt"), CleanSample(u"twentythree").xml);
  EXPECT_EQ(ReadBytes(Out() / "24.tamro.txt"), CleanSample(u"twentyfour").xml);
  EXPECT_EQ(ReadBytes(Out() / "25.tamro.txt"),
            "<duixml>\r\n\t<UNKNOWN_ELEM(FFFF) id=\"x\"/>\r\n</duixml>\r\n");
  EXPECT_EQ(ReadBytes(Out() / "40960.tamro.txt"), CleanSample(u"main").xml);
  auto after = Snapshot(Root());
  for (const std::string& name : ListFolder(Out())) after.erase("out/" + name);
  EXPECT_EQ(after, before);  // the module (and the program) are unchanged
}

TEST_F(SysModeTest, SingleId) {
  RunIds("40960", Transcript().ResourceItem("40960", "OK"), 1, 1);
  EXPECT_EQ(ListFolder(Out()), (Names{"40960.tamro.txt"}));
  EXPECT_EQ(ReadBytes(Out() / "40960.tamro.txt"), CleanSample(u"main").xml);
}

TEST_F(SysModeTest, ListWithStrayCommas) {
  RunIds(",23,,24,", Transcript().ResourceItem("23", "OK").ResourceItem("24", "OK"), 2, 2);
  EXPECT_EQ(ListFolder(Out()), (Names{"23.tamro.txt", "24.tamro.txt"}));
}

TEST_F(SysModeTest, MissingIdIsReportedInItsPlace) {
  RunIds("23,99999,24",
         Transcript()
             .ResourceItem("23", "OK")
             .ResourceItem("99999", "Error: resource not found")
             .ResourceItem("24", "OK"),
         2, 3);
  EXPECT_EQ(ListFolder(Out()), (Names{"23.tamro.txt", "24.tamro.txt"}));
}

TEST_F(SysModeTest, StarInAListIsAName) {
  RunIds("*,23",
         Transcript().ResourceItem("*", "Error: resource not found").ResourceItem("23", "OK"), 1,
         2);
  EXPECT_EQ(ListFolder(Out()), (Names{"23.tamro.txt"}));
}

TEST_F(SysModeTest, LeadingZerosFindTheIdAndNameTheFile) {
  RunIds("040960", Transcript().ResourceItem("040960", "OK"), 1, 1);
  EXPECT_EQ(ListFolder(Out()), (Names{"040960.tamro.txt"}));
  EXPECT_EQ(ReadBytes(Out() / "040960.tamro.txt"), CleanSample(u"main").xml);
}

TEST_F(SysModeTest, LeadingBlankFindsTheIdAndNamesTheFile) {
  RunIds(" 24", Transcript().ResourceItem(" 24", "OK"), 1, 1);
  EXPECT_EQ(ListFolder(Out()), (Names{" 24.tamro.txt"}));
  EXPECT_EQ(ReadBytes(Out() / " 24.tamro.txt"), CleanSample(u"twentyfour").xml);
}

TEST_F(SysModeTest, StringNameIsFoundWithoutRegardToCase) {
  RunIds("ribbon,RIBBON",
         Transcript()
             .ResourceItem("ribbon", "Skipped: not in DUIB format")
             .ResourceItem("RIBBON", "Skipped: not in DUIB format"),
         0, 2);
  EXPECT_TRUE(fs::is_empty(Out()));
}

TEST_F(SysModeTest, SameIdTwiceIsConvertedTwice) {
  RunIds("23,23",
         Transcript().ResourceItem("23", "OK").ResourceItem(
             "23", "OK (written as \"23~2.tamro.txt\")"),
         2, 2);
  EXPECT_EQ(ListFolder(Out()), (Names{"23.tamro.txt", "23~2.tamro.txt"}));
  EXPECT_EQ(ReadBytes(Out() / "23~2.tamro.txt"), ReadBytes(Out() / "23.tamro.txt"));
}

TEST_F(SysModeTest, OnlyCommasGiveNoIds) {
  const fs::path module = MainModule();
  const RunResult run = Tamro({"-sys", Shown(module), ",,", Shown(Out())});
  ExpectTranscript(run, Transcript().Banner().Error("No UIFILEs specified on command line"));
  EXPECT_FALSE(fs::exists(Out()));
}

TEST_F(SysModeTest, DefaultDestinationIsASubFolderOfTheProgramFolder) {
  const fs::path module = MainModule();
  const RunResult run = Tamro({"-sys", Shown(module), "23"});
  const fs::path out = ProgramFolder() / "mod.dll";
  ExpectTranscript(run, EveryResourceOk(Shown(module), {"23"}, Shown(out)));
  EXPECT_EQ(ReadBytes(out / "23.tamro.txt"), CleanSample(u"twentythree").xml);
}

TEST_F(SysModeTest, EnvironmentReferenceInTheModulePath) {
  const fs::path module = MainModule();
  const RunOptions options = WithEnvironment("TAMRO_E2E_ROOT", Shown(Root()));
  const fs::path root = "%TAMRO_E2E_ROOT%";
  const RunResult run =
      Tamro({"-sys", Shown(root / "mod.dll"), "24", Shown(root / "out")}, options);
  ExpectTranscript(run, EveryResourceOk(Shown(module), {"24"}, Shown(Out())));
}

TEST_F(SysModeTest, ModuleWithoutUifiles) {
  PeBuilder pe;
  pe.Add(PeKey::Id(10), PeKey::Id(23), 0, CleanSample(u"rcdata").blob);
  const fs::path module = Root() / "other.dll";
  WriteBytes(module, pe.Build());
  const std::string error = "No UIFILE resources found in system file \"" + Shown(module) + "\"";

  ExpectTranscript(Tamro({"-sys", Shown(module), "*", Shown(Out())}),
                   Transcript().Banner().Error(error));
  ExpectTranscript(Tamro({"-sys", Shown(module), "23,24", Shown(Out())}),
                   Transcript().Banner().Error(error));
  EXPECT_FALSE(fs::exists(Out()));
}

TEST_F(SysModeTest, ModuleWithoutResources) {
  PeBuilder pe;
  pe.AddSection(".text", std::vector<std::uint8_t>(64, 0xC3));
  const fs::path module = Root() / "bare.exe";
  WriteBytes(module, pe.Build());

  // The Windows loader fails the enumeration of a module without a resource
  // section (ERROR_RESOURCE_DATA_NOT_FOUND); the Linux reader reports no UIFILEs.
  const std::string error(
      OnHost("No UIFILE resources found", "Failed to enumerate UIFILE resources"));
  ExpectTranscript(
      Tamro({"-sys", Shown(module), "*", Shown(Out())}),
      Transcript().Banner().Error(error + " in system file \"" + Shown(module) + "\""));
}

#ifndef TAMRO_E2E_WINE
// The Linux reader fails an enumeration that runs past the resource section (here
// a name table claiming more entries than it holds); the Windows loader's answer
// to such a table is its own.
TEST_F(SysModeTest, NameTablePastItsSectionFailsTheEnumeration) {
  PeBuilder pe;
  pe.AddUifile(PeKey::Id(23), CleanSample(u"twentythree").blob);
  pe.faults.hugeCountTable = PeTable::FirstNames;
  const fs::path module = Root() / "huge.dll";
  WriteBytes(module, pe.Build());
  ExpectTranscript(
      Tamro({"-sys", Shown(module), "*", Shown(Out())}),
      Transcript().Banner().Error("Failed to enumerate UIFILE resources in system file \"" +
                                  Shown(module) + "\""));
}
#endif

TEST_F(SysModeTest, FolderIsNotAModule) {
  const fs::path folder = Folder("folder.dll");
  ExpectTranscript(
      Tamro({"-sys", Shown(folder), "*", Shown(Out())}),
      Transcript().Banner().Error("Failed to load system file \"" + Shown(folder) + "\""));
}

TEST_F(SysModeTest, NonImageFileIsNotAModule) {
  PeBuilder pe;
  pe.AddUifile(PeKey::Id(23), CleanSample(u"twentythree").blob);
  std::vector<std::uint8_t> image = pe.Build();
  image[1] = 'X';  // a whole image but for the second byte of "MZ"
  WriteBytes(Root() / "mx.dll", image);
  WriteBytes(Root() / "notes.dll", std::string_view("MZ but nothing more"));
  for (const char* name : {"notes.dll", "mx.dll"}) {
    const fs::path file = Root() / name;
    ExpectTranscript(
        Tamro({"-sys", Shown(file), "23", Shown(Out())}),
        Transcript().Banner().Error("Failed to load system file \"" + Shown(file) + "\""));
  }
  EXPECT_FALSE(fs::exists(Out()));
}

TEST_F(SysModeTest, MissingModule) {
  const fs::path missing = Root() / "missing.dll";
  ExpectTranscript(Tamro({"-sys", Shown(missing), "*", Shown(Out())}),
                   Transcript().Banner().Error("System file \"" + Shown(missing) + "\" not found"));
}

TEST_F(SysModeTest, DestinationThatCannotBeCreated) {
  const fs::path module = MainModule();
  WriteBytes(Root() / "blocker", std::string_view("a file"));
  const fs::path out = Root() / "blocker" / "sub";
  const auto before = Snapshot(Root());

  ExpectTranscript(Tamro({"-sys", Shown(module), "*", Shown(out)}),
                   Transcript().Banner().Error("Unable to create destination folder \"" +
                                               ShownFolder(out) + "\""));
  EXPECT_EQ(Snapshot(Root()), before);
}

TEST_F(SysModeTest, FailedWriteLeavesNoTruncatedFile) {
  const fs::path module = MainModule();
  fs::create_directories(Out());
  WriteBytes(Out() / "24.tamro.txt", std::string_view("old"));
  const RunOptions options = WithFileSizeLimit(24);

  const RunResult run = Tamro({"-sys", Shown(module), "23,24", Shown(Out())}, options);

  ExpectTranscript(run, Transcript()
                            .Extracting(2, Shown(module))
                            .ResourceItem("23", "Error: failed to create output XML file")
                            .ResourceItem("24", "Error: failed to create output XML file")
                            .Summary(0, 2, Shown(Out())));
  EXPECT_EQ(ListFolder(Out()), (Names{"24.tamro.txt"}));
  EXPECT_EQ(ReadBytes(Out() / "24.tamro.txt"), "old");
}

TEST_F(SysModeTest, ResourceInSeveralLanguagesIsConvertedOnce) {
  PeBuilder pe;
  pe.AddUifile(PeKey::Id(30), CleanSample(u"german").blob, 0x407);
  pe.AddUifile(PeKey::Id(30), CleanSample(u"english").blob, 0x409);
  const fs::path module = Root() / "lang.dll";
  WriteBytes(module, pe.Build());

  ExpectTranscript(Tamro({"-sys", Shown(module), "*", Shown(Out())}),
                   EveryResourceOk(Shown(module), {"30"}, Shown(Out())));
  EXPECT_EQ(ReadBytes(Out() / "30.tamro.txt"), CleanSample(u"english").xml);
}

// A character the console's code page lacks shows as '?' and costs nothing else:
// the rest of the line and every line after it are still written.
TEST_F(SysModeTest, UnconvertibleNameOnRedirectedOutputKeepsTheRest) {
  const fs::path module = NameAnd23Module("cjk.dll", u"\u65E5\u672C", u"cjk");

  ExpectTranscript(Tamro({"-sys", Shown(module), "\xE6\x97\xA5\xE6\x9C\xAC,23", Shown(Out())}),
                   EveryResourceOk(Shown(module), {OnHost("\xE6\x97\xA5\xE6\x9C\xAC", "??"), "23"},
                                   Shown(Out())));
  EXPECT_EQ(ReadBytes(Out() / "\xE6\x97\xA5\xE6\x9C\xAC.tamro.txt"), CleanSample(u"cjk").xml);
  EXPECT_EQ(ReadBytes(Out() / "23.tamro.txt"), CleanSample(u"twentythree").xml);
}

// Resource compilers store string names in upper case. Windows looks a string
// name up in upper case and compares it exactly, so a name stored in lower case is
// enumerated but never found; the Linux reader compares without regard to case.
TEST_F(SysModeTest, StringNameStoredInLowerCase) {
  const fs::path module = NameAnd23Module("lower.dll", u"lower", u"lower");
  const std::string outcome(OnHost("OK", "Error: resource not found"));
  const int converted = Host().windows ? 1 : 2;

  for (const char* ids : {"*", "lower,23"}) {
    SCOPED_TRACE(ids);
    ExpectTranscript(Tamro({"-sys", Shown(module), ids, Shown(Out())}),
                     Transcript()
                         .Extracting(2, Shown(module))
                         .ResourceItem("lower", outcome)
                         .ResourceItem("23", "OK")
                         .Summary(converted, 2, Shown(Out())));
  }
  const Names written =
      Host().windows ? Names{"23.tamro.txt"} : Names{"23.tamro.txt", "lower.tamro.txt"};
  EXPECT_EQ(ListFolder(Out()), written);
}

}  // namespace
}  // namespace tamro::e2e
