// The Linux rules of tamro as a user meets them: the file listed is the file
// read, destinations made as mkdir -p makes them, a closed standard input, names
// that cannot steer the terminal, and module names whose unpaired surrogates
// never become raw bytes. A file-size limit that fails an item instead of ending
// the run is in file_failure_test.cpp.
#ifndef TAMRO_E2E_WINE

#include <unistd.h>

#include "tests/builders/pe_builder.h"
#include "tests/e2e/e2e_common.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/e2e_samples.h"

namespace tamro::e2e {
namespace {

using test::PeBuilder;
using test::PeKey;

// `text` in single quotes for sh: every byte but NUL stands for itself.
std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A pseudo-terminal turns each LF into CR LF on its way out.
std::string AsOnTerminal(std::string text) {
  std::string shown;
  for (const char c : text) shown += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return shown;
}

class LinuxRulesTest : public E2eTest {
 protected:
  // A working folder holding real/deep and link -> real/deep.
  fs::path Cwd() {
    const fs::path cwd = Folder("cwd");
    fs::create_directories(cwd / "real" / "deep");
    fs::create_directory_symlink(cwd / "real" / "deep", cwd / "link");
    return cwd;
  }

  // tamro with standard output on a pseudo-terminal, through script(1).
  RunResult TamroOnTerminal(const std::vector<std::string>& arguments) {
    std::string command = ShellQuoted(Program().string());
    for (const std::string& argument : arguments) command += " " + ShellQuoted(argument);
    return e2e::Run("script", {"-qec", command, "/dev/null"});
  }
};

// The search lists real/x.raw (the kernel resolves link/.. to real), and that is
// the file converted, not the decoy cwd/x.raw of the same name.
TEST_F(LinuxRulesTest, TheFileListedIsTheFileRead) {
  const fs::path cwd = Cwd();
  WriteBytes(cwd / "real" / "x.raw", CleanSample(u"listed").blob);
  WriteBytes(cwd / "x.raw", CleanSample(u"decoy").blob);

  const RunResult run = Tamro({"-file", "link/../*.raw", "out"}, InFolder(cwd));

  ExpectTranscript(run, EveryFileOk("link/../", {"x.raw"}, "out"));
  EXPECT_EQ(ReadBytes(cwd / "out" / "x.tamro.txt"), CleanSample(u"listed").xml);
}

struct DestinationRow {
  const char* destination;
  bool fails;       // ErrDestFolder
  Names cwdAfter;   // the working folder's names after the run
  Names realAfter;  // those of cwd/real
};

// mkdir -p on the path as written, each component where the kernel resolves it;
// a destination that cannot be made leaves no folder behind.
TEST_F(LinuxRulesTest, DestinationsAreMadeAsMkdirPMakesThem) {
  const DestinationRow rows[] = {
      {"nosuch/../made", false, {"a.raw", "file", "link/", "made/", "nosuch/", "real/"}, {"deep/"}},
      {"link/../newdest", false, {"a.raw", "file", "link/", "real/"}, {"deep/", "newdest/"}},
      {"made/deeper/../../file/sub", true, {"a.raw", "file", "link/", "real/"}, {"deep/"}},
  };
  for (const DestinationRow& row : rows) {
    SCOPED_TRACE(row.destination);
    const fs::path cwd = Cwd();
    WriteBytes(cwd / "a.raw", CleanSample(u"a").blob);
    WriteBytes(cwd / "file", std::string_view("a file, not a folder"));

    const RunResult run = Tamro({"-file", "./a.raw", row.destination}, InFolder(cwd));

    const std::string shown = std::string(row.destination) + "/";
    ExpectTranscript(run, row.fails ? Transcript().Banner().Error(
                                          "Unable to create destination folder \"" + shown + "\"")
                                    : EveryFileOk("./", {"a.raw"}, row.destination));
    if (!row.fails) {
      EXPECT_EQ(ReadBytes(cwd / shown / "a.tamro.txt"), CleanSample(u"a").xml);
    }
    EXPECT_EQ(ListFolder(cwd), row.cwdAfter);
    EXPECT_EQ(ListFolder(cwd / "real"), row.realAfter);
    fs::remove_all(cwd);
  }
}

// Started with standard input closed (as from some service managers), the first
// file tamro opens gets descriptor 0: it must count as open like any other. Both
// the source and the output file take it in turn.
TEST_F(LinuxRulesTest, ClosedStandardInputIsADescriptorLikeAnyOther) {
  const fs::path in = Folder("in");
  const fs::path out = Folder("out");
  WriteBytes(in / "a.raw", CleanSample(u"closed").blob);
  const fs::path module = Root() / "m.dll";
  PeBuilder pe;
  pe.AddUifile(PeKey::Id(7), CleanSample(u"seven").blob);
  WriteBytes(module, pe.Build());
  const auto closedInput = [&](const std::string& arguments) {
    return e2e::Run("sh", {"-c", "exec " + ShellQuoted(Program().string()) + arguments + " <&-"});
  };

  const RunResult file =
      closedInput(" -file " + ShellQuoted(Shown(in / "a.raw")) + " " + ShellQuoted(Shown(out)));
  ExpectTranscript(file, EveryFileOk(ShownFolder(in), {"a.raw"}, Shown(out)));
  EXPECT_EQ(ReadBytes(out / "a.tamro.txt"), CleanSample(u"closed").xml);

  const RunResult sys =
      closedInput(" -sys " + ShellQuoted(Shown(module)) + " 7 " + ShellQuoted(Shown(out)));
  ExpectTranscript(sys, EveryResourceOk(Shown(module), {"7"}, Shown(out)));
  EXPECT_EQ(ReadBytes(out / "7.tamro.txt"), CleanSample(u"seven").xml);
}

// ESC, BEL, LF, DEL and C1 CSI (U+009B) in a file name: escaped on a terminal,
// kept as they are when redirected. The output name is made safe either way.
TEST_F(LinuxRulesTest, ControlCharactersInNamesAreEscapedOnATerminalOnly) {
  if (!OnPath("script")) GTEST_SKIP() << "needs script (util-linux)";
  const fs::path in = Folder("in");
  const fs::path out = Root() / "out";
  const std::string name =
      "a\x1b]0;title\x07"
      "b\nc\x7f\xc2\x9b.raw";
  WriteBytes(in / name, CleanSample(u"a").blob);
  const auto transcript = [&](const std::string& shownName) {
    return EveryFileOk(ShownFolder(in), {shownName}, Shown(out));
  };

  const RunResult terminal = TamroOnTerminal({"-file", Shown(in / "*.raw"), Shown(out)});
  EXPECT_EQ(terminal.out,
            AsOnTerminal(transcript("a\\x1b]0;title\\x07b\\x0ac\\x7f\\x9b.raw").str()));
  EXPECT_EQ(terminal.exitStatus, 0);

  const RunResult redirected = Tamro({"-file", Shown(in / "*.raw"), Shown(out)});
  ExpectTranscript(redirected, transcript(name));
  EXPECT_EQ(ListFolder(out), (Names{"a_]0;title_b_c\x7f\xc2\x9b.tamro.txt"}));
}

// On a terminal an item's error is bright red, its line end included; redirected
// it is plain text.
TEST_F(LinuxRulesTest, ItemErrorsAreBrightRedOnATerminal) {
  if (!OnPath("script")) GTEST_SKIP() << "needs script (util-linux)";
  const fs::path in = Folder("in");
  const fs::path out = Root() / "out";
  WriteBytes(in / "x.raw", std::string_view("not duib"));
  const Transcript transcript = Transcript()
                                    .Converting(1, ShownFolder(in))
                                    .FileItem("x.raw", "Skipped: not in DUIB format")
                                    .Summary(0, 1, Shown(out));
  std::string red = transcript.str();
  const std::string error = "Skipped: not in DUIB format\n";
  red.replace(red.find(error), error.size(), "\x1b[1;31m" + error + "\x1b[0m");
  EXPECT_EQ(TamroOnTerminal({"-file", Shown(in / "*.raw"), Shown(out)}).out, AsOnTerminal(red));
  ExpectTranscript(Tamro({"-file", Shown(in / "*.raw"), Shown(out)}), transcript);
}

// Unpaired surrogates in a module's names become U+FFFD on the console and in the
// output names, the low ones (U+DC80..U+DCFF) too; a title-setting name is
// escaped on a terminal.
TEST_F(LinuxRulesTest, ModuleNamesNeverBecomeRawBytes) {
  if (!OnPath("script")) GTEST_SKIP() << "needs script (util-linux)";
  const fs::path module = Root() / "names.dll";
  PeBuilder pe;
  pe.AddUifile(PeKey::Text(u"\x1b]0;pwned\x07"), CleanSample(u"title").blob);
  pe.AddUifile(PeKey::Text(std::u16string(u"A") + char16_t(0xDC80) + u"B"),
               CleanSample(u"low").blob);
  pe.AddUifile(PeKey::Text(std::u16string(u"C") + char16_t(0xD800) + u"D"),
               CleanSample(u"high").blob);
  WriteBytes(module, pe.Build());
  const fs::path out = Root() / "out";
  const auto transcript = [&](const std::string& titleName) {
    return EveryResourceOk(Shown(module),
                           {titleName,
                            "A\xEF\xBF\xBD"
                            "B",
                            "C\xEF\xBF\xBD"
                            "D"},
                           Shown(out));
  };

  ExpectTranscript(Tamro({"-sys", Shown(module), "*", Shown(out)}), transcript("\x1b]0;pwned\x07"));
  EXPECT_EQ(ListFolder(out), (Names{"A\xEF\xBF\xBD"
                                    "B.tamro.txt",
                                    "C\xEF\xBF\xBD"
                                    "D.tamro.txt",
                                    "_]0;pwned_.tamro.txt"}));
  EXPECT_EQ(ReadBytes(out / "A\xEF\xBF\xBD"
                            "B.tamro.txt"),
            CleanSample(u"low").xml);

  const RunResult terminal = TamroOnTerminal({"-sys", Shown(module), "*", Shown(out)});
  EXPECT_EQ(terminal.out, AsOnTerminal(transcript("\\x1b]0;pwned\\x07").str()));
}

}  // namespace
}  // namespace tamro::e2e

#endif  // !TAMRO_E2E_WINE
