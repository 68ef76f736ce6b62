// tamro-compile: the way back from tamro's text to a blob, as a user runs it,
// and the round trip of the bundled samples through both programs.
#include "tests/e2e/e2e_common.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/e2e_samples.h"

namespace tamro::e2e {
namespace {

class CompileTest : public E2eTest {
 protected:
  // Copies the bundled samples into a folder of the test.
  fs::path Samples() {
    const fs::path in = Folder("samples");
    for (const auto& entry : fs::directory_iterator(TAMRO_SAMPLES_DIR)) {
      fs::copy_file(entry.path(), in / entry.path().filename());
    }
    return in;
  }
};

// Take the files out, compile them, convert the blobs again: the same texts.
TEST_F(CompileTest, SamplesGoRoundTheWayBackAndForth) {
  const fs::path texts = Root() / "texts";
  const fs::path blobs = Root() / "blobs";
  const fs::path again = Root() / "again";
  ASSERT_EQ(Tamro({"-file", Shown(Samples() / "*"), Shown(texts)}).exitStatus, 0);
  ASSERT_EQ(ListFolder(texts), (Names{"23.tamro.txt", "40960.tamro.txt", "legacy.tamro.txt"}));
  const auto before = Snapshot(texts);

  const RunResult run = TamroCompile({Shown(texts / "*.tamro.txt"), Shown(blobs)});

  ExpectTranscript(run, Transcript()
                            .Compiling(3, ShownFolder(texts))
                            .FileItem("23.tamro.txt", "OK")
                            .FileItem("40960.tamro.txt", "OK")
                            .FileItem("legacy.tamro.txt", "OK")
                            .Compiled(3, 3, Shown(blobs)));
  EXPECT_EQ(ListFolder(blobs), (Names{"23.duib", "40960.duib", "legacy.duib"}));
  EXPECT_EQ(Snapshot(texts), before);  // the texts are only read
  ASSERT_EQ(Tamro({"-file", Shown(blobs / "*.duib"), Shown(again)}).exitStatus, 0);
  for (const char* name : {"23.tamro.txt", "40960.tamro.txt", "legacy.tamro.txt"}) {
    EXPECT_EQ(ReadBytes(again / name), ReadBytes(texts / name)) << name;
  }
}

TEST_F(CompileTest, FaultsNameTheirLineAndColumnAndTheRunFails) {
  const fs::path in = Folder("in");
  WriteBytes(in / "a.tamro.txt",
             CrLf({"<duixml>", "\t<Element id=\"main\" x=\"open>", "</duixml>"}));
  WriteBytes(in / "b.tamro.txt", CleanSample(u"b").xml);
  WriteBytes(in / "c.raw", CleanSample(u"c").blob);  // a blob given by mistake
  WriteBytes(in / "d.txt", CrLf({"<a>", "  text <b/>"}));

  const RunResult run = TamroCompile({Shown(in / "*"), Shown(Root() / "out")});

  ExpectTranscript(
      run,
      Transcript()
          .Compiling(4, ShownFolder(in))
          .FileItem("a.tamro.txt",
                    "Error: line 2, column 23: attribute value has no closing quotation mark")
          .FileItem("b.tamro.txt", "OK")
          .FileItem("c.raw", "Skipped: not a text file")
          .FileItem("d.txt", "Error: line 2, column 3: text outside a tag")
          .Compiled(1, 4, Shown(Root() / "out")),
      1);
  EXPECT_EQ(ListFolder(Root() / "out"), (Names{"b.duib"}));
  EXPECT_EQ(ReadBytes(Root() / "out" / "b.duib").substr(0, 5), std::string("duib\x05", 5));
}

// Two texts that want one blob name each keep their own, and an output never
// replaces its own source: x.duib compiled where it lies would be x.duib.
TEST_F(CompileTest, OutputNamesNeverMeetNorReplaceTheSource) {
  const fs::path in = Folder("in");
  WriteBytes(in / "x.tamro.txt", CleanSample(u"first").xml);
  WriteBytes(in / "x.txt", CleanSample(u"second").xml);
  WriteBytes(in / "y.duib", CleanSample(u"third").xml);
  const auto before = Snapshot(in);

  const RunResult run = TamroCompile({Shown(in / "*")});

  ExpectTranscript(run,
                   Transcript()
                       .Compiling(3, ShownFolder(in))
                       .FileItem("x.tamro.txt", "OK")
                       .FileItem("x.txt", "OK (written as \"x~2.duib\")")
                       .FileItem("y.duib", "Error: the output would replace the source file")
                       .Compiled(2, 3, Shown(in)),
                   1);
  EXPECT_EQ(ListFolder(in), (Names{"x.duib", "x.tamro.txt", "x.txt", "x~2.duib", "y.duib"}));
  EXPECT_EQ(ReadBytes(in / "y.duib"), before.at("y.duib").bytes);
  const fs::path check = Root() / "check";
  ASSERT_EQ(Tamro({"-file", Shown(in / "x*.duib"), Shown(check)}).exitStatus, 0);
  EXPECT_EQ(ReadBytes(check / "x.tamro.txt"), CleanSample(u"first").xml);
  EXPECT_EQ(ReadBytes(check / "x~2.tamro.txt"), CleanSample(u"second").xml);
}

TEST_F(CompileTest, ABatchThatCannotRunFails) {
  const fs::path in = Folder("in");
  const RunResult run = TamroCompile({Shown(in / "*.tamro.txt")});
  ExpectTranscript(run,
                   Transcript().CompileBanner().Error("No matching files (*.tamro.txt) found in "
                                                      "source folder \"" +
                                                      ShownFolder(in) + "\""),
                   1);
}

TEST_F(CompileTest, CommandLinesItDoesNotAcceptGiveTheShortUsage) {
  const Transcript usage = Transcript()
                               .CompileBanner()
                               .Line("USAGE:")
                               .Line()
                               .Line("   tamro-compile textfile [destfolder]")
                               .Line()
                               .Line("Run \"tamro-compile --help\" for more.");
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{}, {"a", "b", "c"}, {"-x"}, {"a.txt", "--help"}}) {
    ExpectTranscript(TamroCompile(arguments), usage, 2);
  }
  const RunResult version = TamroCompile({"--version"});
  EXPECT_EQ(version.out, Transcript().Line("tamro-compile 1.0.0").str());
  EXPECT_EQ(version.exitStatus, 0);
  const RunResult help = TamroCompile({"-h"});
  EXPECT_EQ(help.exitStatus, 0);
  const std::string start =
      Transcript()
          .CompileBanner()
          .Line("Compiles the XML text that tamro writes, edited or not, back into binary")
          .str();
  EXPECT_EQ(help.out.substr(0, start.size()), start);
  EXPECT_EQ(TamroCompile({"--help"}).out, help.out);
}

// tamro.exe writes the ANSI code page, editors write UTF-8: tamro-compile.exe
// reads either. On Linux a text is UTF-8, and other bytes are a fault.
TEST_F(CompileTest, AnsiAndUtf8TextsOnWindows) {
  const fs::path in = Folder("in");
  WriteBytes(in / "ansi.txt", std::string("<a b=\"caf\xE9\"/>"));
  WriteBytes(in / "utf8.txt", std::string("<a b=\"caf\xC3\xA9\"/>"));

  const RunResult run = TamroCompile({Shown(in / "*.txt"), Shown(Root() / "out")});

  if (Host().windows) {
    ExpectTranscript(
        run, EveryItemOk(Transcript().Compiling(2, ShownFolder(in)), &Transcript::FileItem,
                         {"ansi.txt", "utf8.txt"}, Shown(Root() / "out"), &Transcript::Compiled));
    EXPECT_EQ(ReadBytes(Root() / "out" / "ansi.duib"), ReadBytes(Root() / "out" / "utf8.duib"));
  } else {
    ExpectTranscript(run,
                     Transcript()
                         .Compiling(2, ShownFolder(in))
                         .FileItem("ansi.txt", "Error: line 1, column 10: invalid UTF-8")
                         .FileItem("utf8.txt", "OK")
                         .Compiled(1, 2, Shown(Root() / "out")),
                     1);
  }
}

}  // namespace
}  // namespace tamro::e2e
