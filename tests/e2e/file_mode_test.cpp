// tamro -file: whole transcripts and output bytes of real runs.
#include <sys/stat.h>

#include "tests/e2e/e2e_common.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/e2e_samples.h"

namespace tamro::e2e {
namespace {

class FileModeTest : public E2eTest {};

TEST_F(FileModeTest, WithoutDestinationWritesBesideTheSource) {
  const fs::path in = Folder("in");
  const Sample sample = CleanSample(u"main");
  WriteBytes(in / "40960.raw", sample.blob);
  const auto before = Snapshot(in);

  const RunResult run = Tamro({"-file", Shown(in / "40960.raw")});

  ExpectTranscript(run, EveryFileOk(ShownFolder(in), {"40960.raw"}, Shown(in)));
  EXPECT_EQ(ReadBytes(in / "40960.tamro.txt"),
            "<duixml>\r\n\t<Element id=\"main\"/>\r\n</duixml>\r\n");
  EXPECT_EQ(ListFolder(in), (Names{"40960.raw", "40960.tamro.txt"}));
  auto after = Snapshot(in);
  after.erase("40960.tamro.txt");
  EXPECT_EQ(after, before);  // the source keeps its bytes and its time
}

TEST_F(FileModeTest, MixedFolderWithNewNestedDestination) {
  const fs::path in = Folder("in");
  const fs::path out = Root() / "out" / "new" / "deeper";
  const Sample clean = CleanSample(u"a");
  const Sample unknown = OneUnknownSample();
  const Sample both = ResidAndUnknownSample();
  WriteBytes(in / "a.raw", clean.blob);
  WriteBytes(in / "b.bin", unknown.blob);
  WriteBytes(in / "c.raw", BadMagicSample().blob);
  WriteBytes(in / "d", std::string_view());
  WriteBytes(in / "e.raw", std::string_view("duib"));
  WriteBytes(in / "f.txt", std::string_view("<duixml/>\r\n"));
  fs::create_directory(in / "g.raw");  // a folder that matches: skipped silently
  WriteBytes(in / "h.dat", CountMismatchSample().blob);
  WriteBytes(in / "i.raw", both.blob);
  WriteBytes(in / "j", std::string_view("DuIb\x05", 5));  // signature only: too short
  const auto before = Snapshot(in);

  const RunResult run = Tamro({"-file", Shown(in / "*"), Shown(out)});

  ExpectTranscript(run,
                   Transcript()
                       .Converting(9, ShownFolder(in))
                       .FileItem("a.raw", "OK")
                       .FileItem("b.bin", "Warning: 1 unknown XML tags found")
                       .FileItem("c.raw", "Error: DUIB conversion failed (0x8005)")
                       .FileItem("d", "Skipped: not in DUIB format")
                       .FileItem("e.raw", "Skipped: not in DUIB format")
                       .FileItem("f.txt", "Skipped: not in DUIB format")
                       .FileItem("h.dat", "Error: DUIB conversion failed (0x8006)")
                       .FileItem("i.raw", "Warning: ResID check failed, 2 unknown XML tags found")
                       .FileItem("j", "Error: DUIB conversion failed (0x8001)")
                       .Summary(1, 9, Shown(out)));
  EXPECT_EQ(ListFolder(out), (Names{"a.tamro.txt", "b.tamro.txt", "i.tamro.txt"}));
  EXPECT_EQ(ReadBytes(out / "a.tamro.txt"), "<duixml>\r\n\t<Element id=\"a\"/>\r\n</duixml>\r\n");
  EXPECT_EQ(ReadBytes(out / "b.tamro.txt"),
            "<duixml>\r\n\t<UNKNOWN_ELEM(FFFF) id=\"x\"/>\r\n</duixml>\r\n");
  EXPECT_EQ(ReadBytes(out / "i.tamro.txt"),
            "<duixml>\r\n\t<Element resid=\"a\" UNKNOWN_ATTR(9000)=\"UNKNOWN_VAL(7000)\"/>\r\n"
            "</duixml>\r\n");
  EXPECT_EQ(Snapshot(in), before);
}

TEST_F(FileModeTest, QuestionMarkMatchesOneCharacter) {
  const fs::path in = Folder("in");
  const fs::path out = Root() / "out";
  WriteBytes(in / "a.raw", CleanSample(u"a").blob);
  WriteBytes(in / "ab.raw", CleanSample(u"ab").blob);
  WriteBytes(in / "b.raw", CleanSample(u"b").blob);
  WriteBytes(in / "c.bin", CleanSample(u"c").blob);

  const RunResult run = Tamro({"-file", Shown(in / "?.raw"), Shown(out)});

  ExpectTranscript(run, EveryFileOk(ShownFolder(in), {"a.raw", "b.raw"}, Shown(out)));
  EXPECT_EQ(ListFolder(out), (Names{"a.tamro.txt", "b.tamro.txt"}));
}

TEST_F(FileModeTest, MaskThatMatchesNothing) {
  const fs::path in = Folder("in");
  WriteBytes(in / "a.raw", CleanSample(u"a").blob);

  const RunResult run = Tamro({"-file", Shown(in / "*.none"), Shown(Root() / "out")});

  ExpectTranscript(run, Transcript().Banner().Error("No matching files (*.none) found in source "
                                                    "folder \"" +
                                                    ShownFolder(in) + "\""));
  EXPECT_FALSE(fs::exists(Root() / "out"));
}

TEST_F(FileModeTest, MatchesThatAreAllFoldersMatchNothing) {
  const fs::path in = Folder("in");
  fs::create_directory(in / "x.raw");

  const RunResult run = Tamro({"-file", Shown(in / "*.raw")});

  ExpectTranscript(
      run, Transcript().Banner().Error("No matching files (*.raw) found in source folder \"" +
                                       ShownFolder(in) + "\""));
}

TEST_F(FileModeTest, MissingSourceFolder) {
  const fs::path missing = Root() / "missing";

  const RunResult run = Tamro({"-file", Shown(missing / "*.raw")});

  ExpectTranscript(
      run, Transcript().Banner().Error("Source folder \"" + ShownFolder(missing) + "\" not found"));
}

TEST_F(FileModeTest, DestinationBelowAFileCannotBeCreated) {
  const fs::path in = Folder("in");
  WriteBytes(in / "a.raw", CleanSample(u"a").blob);
  WriteBytes(Root() / "blocker", std::string_view("a file"));
  const fs::path out = Root() / "blocker" / "sub";

  const RunResult run = Tamro({"-file", Shown(in / "*.raw"), Shown(out)});

  ExpectTranscript(run, Transcript().Banner().Error("Unable to create destination folder \"" +
                                                    ShownFolder(out) + "\""));
  EXPECT_EQ(ListFolder(in), (Names{"a.raw"}));
  EXPECT_EQ(ReadBytes(Root() / "blocker"), "a file");
}

TEST_F(FileModeTest, DestinationThatIsAFile) {
  const fs::path in = Folder("in");
  WriteBytes(in / "a.raw", CleanSample(u"a").blob);
  WriteBytes(Root() / "taken", std::string_view("a file"));

  const RunResult run = Tamro({"-file", Shown(in / "a.raw"), Shown(Root() / "taken")});

  ExpectTranscript(run, Transcript().Banner().Error("Unable to create destination folder \"" +
                                                    ShownFolder(Root() / "taken") + "\""));
  EXPECT_EQ(ReadBytes(Root() / "taken"), "a file");
}

TEST_F(FileModeTest, EmptyAndFourByteFilesAreSkipped) {
  const fs::path in = Folder("in");
  WriteBytes(in / "empty.raw", std::string_view());
  WriteBytes(in / "four.raw", std::string_view("duib"));

  const RunResult run = Tamro({"-file", Shown(in / "*.raw")});

  ExpectTranscript(run, Transcript()
                            .Converting(2, ShownFolder(in))
                            .FileItem("empty.raw", "Skipped: not in DUIB format")
                            .FileItem("four.raw", "Skipped: not in DUIB format")
                            .Summary(0, 2, Shown(in)));
  EXPECT_EQ(ListFolder(in), (Names{"empty.raw", "four.raw"}));
}

TEST_F(FileModeTest, TwoSourcesShareOneOutputName) {
  const fs::path in = Folder("in");
  const fs::path out = Root() / "out";
  WriteBytes(in / "40960.bin", CleanSample(u"first").blob);
  WriteBytes(in / "40960.raw", CleanSample(u"second").blob);

  const RunResult run = Tamro({"-file", Shown(in / "40960.*"), Shown(out)});

  ExpectTranscript(run, Transcript()
                            .Converting(2, ShownFolder(in))
                            .FileItem("40960.bin", "OK")
                            .FileItem("40960.raw", "OK (written as \"40960~2.tamro.txt\")")
                            .Summary(2, 2, Shown(out)));
  EXPECT_EQ(ListFolder(out), (Names{"40960.tamro.txt", "40960~2.tamro.txt"}));
  EXPECT_EQ(ReadBytes(out / "40960.tamro.txt"),
            "<duixml>\r\n\t<Element id=\"first\"/>\r\n</duixml>\r\n");
  EXPECT_EQ(ReadBytes(out / "40960~2.tamro.txt"),
            "<duixml>\r\n\t<Element id=\"second\"/>\r\n</duixml>\r\n");
}

TEST_F(FileModeTest, NamesArePrintedAsTheyAre) {
  const fs::path in = Folder("in %s {} %d");
  const fs::path out = Root() / "out {0} %n";
  const Sample sample = NonAsciiSample();
  for (const char* name : {"%s %d {}.raw", "caf\xC3\xA9 \xC3\xBC.raw", "with  space.raw",
                           "\xE6\x97\xA5\xE6\x9C\xAC.raw"}) {
    WriteBytes(in / name, sample.blob);
  }

  const RunResult run = Tamro({"-file", Shown(in / "*.raw"), Shown(out)});

  // Redirected Windows output is in code page 1252, which has no CJK characters.
  ExpectTranscript(
      run, EveryFileOk(ShownFolder(in),
                       {"%s %d {}.raw", OnHost("caf\xC3\xA9 \xC3\xBC.raw", "caf\xE9 \xFC.raw"),
                        "with  space.raw", OnHost("\xE6\x97\xA5\xE6\x9C\xAC.raw", "??.raw")},
                       Shown(out)));
  EXPECT_EQ(ListFolder(out),
            (Names{"%s %d {}.tamro.txt", "caf\xC3\xA9 \xC3\xBC.tamro.txt", "with  space.tamro.txt",
                   "\xE6\x97\xA5\xE6\x9C\xAC.tamro.txt"}));
  EXPECT_EQ(ReadBytes(out / "%s %d {}.tamro.txt"),
            OnHost("<duixml>\r\n\t<Element resid=\"main\" content=\"caf\xC3\xA9 "
                   "\xE6\x97\xA5\xE6\x9C\xAC\"/>\r\n</duixml>\r\n",
                   "<duixml>\r\n\t<Element resid=\"main\" content=\"caf\xE9 ??\"/>\r\n"
                   "</duixml>\r\n"));
}

// A character the console's code page lacks shows as '?' and costs nothing else:
// the rest of its line and every line after it are still written. (The runtime's
// own text-mode stream would stop at the first such character.)
TEST_F(FileModeTest, UnconvertibleNameOnRedirectedOutputKeepsTheRest) {
  const fs::path in = Folder("in");
  WriteBytes(in / "x\xE6\x97\xA5y.raw", CleanSample(u"x").blob);
  WriteBytes(in / "\xE6\x97\xA5\xE6\x9C\xAC.bin", std::string_view("not a blob"));

  const RunResult run = Tamro({"-file", Shown(in / "*"), Shown(Root() / "out")});

  ExpectTranscript(run, Transcript()
                            .Converting(2, ShownFolder(in))
                            .FileItem(OnHost("x\xE6\x97\xA5y.raw", "x?y.raw"), "OK")
                            .FileItem(OnHost("\xE6\x97\xA5\xE6\x9C\xAC.bin", "??.bin"),
                                      "Skipped: not in DUIB format")
                            .Summary(1, 2, Shown(Root() / "out")));
  EXPECT_EQ(ListFolder(Root() / "out"), (Names{"x\xE6\x97\xA5y.tamro.txt"}));
}

// A Linux file name may hold characters that cannot stand in a Windows file name;
// the console shows the name, the output name has '_'.
TEST_F(FileModeTest, UnsafeCharactersBecomeUnderscoresInTheOutputName) {
  if (Host().windows)
    GTEST_SKIP() << "Linux file names only: Windows names cannot hold \\ : \" < > |";
  const fs::path in = Folder("in");
  const fs::path out = Root() / "out";
  WriteBytes(in / "..\\..\\EVIL.raw", CleanSample(u"evil").blob);
  WriteBytes(in / "C:x\"<>|*?\x01.raw", CleanSample(u"odd").blob);

  const RunResult run = Tamro({"-file", Shown(in / "*.raw"), Shown(out)});

  ExpectTranscript(
      run, EveryFileOk(ShownFolder(in), {"..\\..\\EVIL.raw", "C:x\"<>|*?\x01.raw"}, Shown(out)));
  EXPECT_EQ(ListFolder(out),
            (Names{".._.._EVIL.tamro.txt", "C_x" + std::string(7, '_') + ".tamro.txt"}));
  EXPECT_EQ(ListFolder(Root()), (Names{"in/", "out/", "prog/"}));
}

TEST_F(FileModeTest, RelativeFoldersResolveAgainstTheWorkingFolder) {
  const fs::path in = Folder("in");
  WriteBytes(in / "a.raw", CleanSample(u"a").blob);

  const std::string sep(1, Host().separator);
  const RunResult run = Tamro({"-file", "in" + sep + "*.raw", "out"}, InFolder(Root()));

  ExpectTranscript(run, EveryFileOk("in" + sep, {"a.raw"}, "out"));
  EXPECT_EQ(ReadBytes(Root() / "out" / "a.tamro.txt"),
            "<duixml>\r\n\t<Element id=\"a\"/>\r\n</duixml>\r\n");
}

TEST_F(FileModeTest, EnvironmentReferencesInFolderAndDestination) {
  const fs::path in = Folder("in");
  WriteBytes(in / "a.raw", CleanSample(u"a").blob);
  const RunOptions options = WithEnvironment("TAMRO_E2E_ROOT", Shown(Root()));

  const fs::path root = "%TAMRO_E2E_ROOT%";
  const RunResult run =
      Tamro({"-file", Shown(root / "in" / "*.raw"), Shown(root / "out")}, options);

  ExpectTranscript(run, EveryFileOk(ShownFolder(in), {"a.raw"}, Shown(Root() / "out")));
  EXPECT_TRUE(fs::exists(Root() / "out" / "a.tamro.txt"));
}

TEST_F(FileModeTest, NameWithoutFolderIsLookedForInTheProgramFolder) {
  WriteBytes(ProgramFolder() / "40960.raw", CleanSample(u"p").blob);

  const RunResult run = Tamro({"-file", "40960.raw"}, InFolder(Folder("cwd")));

  ExpectTranscript(
      run, EveryFileOk(ShownFolder(ProgramFolder()), {"40960.raw"}, Shown(ProgramFolder())));
  EXPECT_EQ(ReadBytes(ProgramFolder() / "40960.tamro.txt"),
            "<duixml>\r\n\t<Element id=\"p\"/>\r\n</duixml>\r\n");
  EXPECT_TRUE(fs::is_empty(Root() / "cwd"));
}

TEST_F(FileModeTest, SecondRunSkipsTheFirstRunsOutputs) {
  const fs::path in = Folder("in");
  WriteBytes(in / "40960.raw", CleanSample(u"main").blob);
  ASSERT_EQ(Tamro({"-file", Shown(in / "*")}).exitStatus, 0);
  const std::string first = ReadBytes(in / "40960.tamro.txt");

  const RunResult run = Tamro({"-file", Shown(in / "*")});

  ExpectTranscript(run, Transcript()
                            .Converting(2, ShownFolder(in))
                            .FileItem("40960.raw", "OK")
                            .FileItem("40960.tamro.txt", "Skipped: not in DUIB format")
                            .Summary(1, 2, Shown(in)));
  EXPECT_EQ(ReadBytes(in / "40960.tamro.txt"), first);  // replaced by identical text
}

}  // namespace
}  // namespace tamro::e2e
