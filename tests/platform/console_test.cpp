// ConsoleWrite on Linux: UTF-8 bytes, colour only on a terminal.
#ifndef _WIN32

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "tests/support/case_name.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace tamro::platform {
namespace {

// Points standard output at `fd` while `body` runs.
void WithStdoutOn(int fd, const std::function<void()>& body) {
  std::fflush(stdout);
  const int saved = ::dup(STDOUT_FILENO);
  ASSERT_GE(saved, 0);
  ASSERT_GE(::dup2(fd, STDOUT_FILENO), 0);
  body();
  std::fflush(stdout);
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
}

std::string CaptureRedirected(const std::function<void()>& body) {
  test::TempFolder folder;
  const std::filesystem::path path = folder.Path("stdout.txt");
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  EXPECT_GE(fd, 0);
  WithStdoutOn(fd, body);
  ::close(fd);
  return test::ReadBytes(path);
}

TEST(ConsoleWrite, RedirectedOutputIsPlainUtf8) {
  const std::string bytes = CaptureRedirected([] {
    ConsoleWrite(L"\tUIFILE 40960 | ", false);
    ConsoleWrite(L"Error: failed to load resource\n", true);
    ConsoleWrite(L"caf\u00E9 \u4E2D \U0001F600 %s %d\n", false);
  });
  EXPECT_EQ(bytes,
            "\tUIFILE 40960 | Error: failed to load resource\n"
            "caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80 %s %d\n");
}

TEST(ConsoleWrite, UnpairedSurrogateBecomesReplacementCharacter) {
  const std::string bytes = CaptureRedirected([] {
    ConsoleWrite(std::wstring{L'a', wchar_t(0xDCE9), L'b'}, false);
  });
  EXPECT_EQ(bytes,
            "a\xEF\xBF\xBD"
            "b");
}

TEST(ConsoleWrite, KeepsOrderWithTheCStream) {
  const std::string bytes = CaptureRedirected([] {
    std::fputs("first ", stdout);  // still in the stream's buffer
    ConsoleWrite(L"second", false);
  });
  EXPECT_EQ(bytes, "first second");
}

TEST(ConsoleWrite, LargeTextArrivesWhole) {
  const std::wstring text(1 << 20, L'x');
  EXPECT_EQ(CaptureRedirected([&] { ConsoleWrite(text, false); }).size(), std::size_t{1} << 20);
}

// A reader that has gone away is a write error like any other: ignored, and the
// process lives on with its signal setup unchanged. A SIGPIPE that was pending
// (and blocked) before the write is the caller's, and stays. In a batch, which
// holds the signal for all its writes, the item's end takes off what its writes
// raised, and the batch's end restores the mask.
TEST(ConsoleWrite, ClosedPipeIsIgnored) {
  for (const bool inBatch : {false, true}) {
    for (const bool pendingBefore : {false, true}) {
      SCOPED_TRACE(pendingBefore ? "SIGPIPE pending before" : "no signal before");
      SCOPED_TRACE(inBatch ? "in a batch" : "alone");
      const int status = test::RunInChild([&] {
        int fds[2];
        if (::pipe(fds) != 0) return 2;
        ::close(fds[0]);
        if (::dup2(fds[1], STDOUT_FILENO) < 0) return 2;
        if (pendingBefore && !test::MakePending(SIGPIPE)) return 2;
        std::optional<BatchScope> batch;
        if (inBatch) batch.emplace();
        ConsoleWrite(L"nobody reads this\n", false);
        ConsoleWrite(L"nor this\n", true);
        if (batch) {
          batch->ItemDone();
          if (test::IsPending(SIGPIPE) != pendingBefore) return 3;
          ConsoleWrite(L"nor the next item\n", false);
          batch.reset();
        }
        return test::SignalStateAsBefore(SIGPIPE, pendingBefore) ? 0 : 1;
      });
      EXPECT_EQ(status, 0) << "-1: killed by a signal";
    }
  }
}

// What `body` writes to standard output on a pseudo-terminal, read until `size`
// bytes have come; nullopt when the system has no pseudo-terminal.
std::optional<std::string> CaptureOnTerminal(std::size_t size, const std::function<void()>& body) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0) return std::nullopt;
  EXPECT_EQ(::grantpt(master), 0);
  EXPECT_EQ(::unlockpt(master), 0);
  const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
  EXPECT_GE(slave, 0);
  WithStdoutOn(slave, body);
  std::string seen;
  pollfd poller{master, POLLIN, 0};
  while (seen.size() < size && ::poll(&poller, 1, 2000) > 0) {
    char buffer[256];
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n <= 0) break;
    seen.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(slave);
  ::close(master);
  return seen;
}

// On a terminal the error colour is bright red, reset afterwards, in the same write;
// redirected, never. A batch, which tests for the terminal once, writes the same.
TEST(ConsoleWrite, TerminalGetsAnsiColourForErrorsOnly) {
  for (const bool inBatch : {false, true}) {
    SCOPED_TRACE(inBatch ? "in a batch" : "alone");
    const auto write = [&] {
      std::optional<BatchScope> batch;
      if (inBatch) batch.emplace();
      ConsoleWrite(L"plain ", false);
      ConsoleWrite(L"Skipped: not in DUIB format", true);
    };
    const std::string expected = "plain \x1b[1;31mSkipped: not in DUIB format\x1b[0m";
    const std::optional<std::string> seen = CaptureOnTerminal(expected.size(), write);
    if (!seen) GTEST_SKIP() << "no pseudo-terminal";
    EXPECT_EQ(*seen, expected);
    EXPECT_EQ(CaptureRedirected(write), "plain Skipped: not in DUIB format");
  }
}

struct ControlRow {
  const char* what;
  std::wstring text;
  std::string onTerminal;  // the bytes a terminal receives (LF arrives as CR LF)
  std::string redirected;
};

class ConsoleControlTest : public ::testing::TestWithParam<ControlRow> {};

// C0 but TAB, DEL and C1 are escaped on a terminal, the line end is not; a
// redirected stream keeps every character.
TEST_P(ConsoleControlTest, EscapedOnATerminalOnly) {
  const std::wstring& text = GetParam().text;
  const std::optional<std::string> seen =
      CaptureOnTerminal(GetParam().onTerminal.size(), [&] { ConsoleWrite(text, false, true); });
  if (!seen) GTEST_SKIP() << "no pseudo-terminal";
  EXPECT_EQ(*seen, GetParam().onTerminal);
  EXPECT_EQ(CaptureRedirected([&] { ConsoleWrite(text, false, true); }), GetParam().redirected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConsoleControlTest,
    ::testing::Values(
        ControlRow{"title and bell", L"\x1b]0;t\x07", "\\x1b]0;t\\x07\r\n", "\x1b]0;t\x07\n"},
        ControlRow{"newline nul and carriage return", std::wstring(L"a\nb\0c\rd", 7),
                   "a\\x0ab\\x00c\\x0dd\r\n", std::string("a\nb\0c\rd\n", 8)},
        ControlRow{"tab and printable edges kept", L"\t\x1f \x7e", "\t\\x1f ~\r\n", "\t\x1f ~\n"},
        ControlRow{"del and c1 escaped", L"\x7f\x80\x9b\x9f\xa0",
                   "\\x7f\\x80\\x9b\\x9f\xc2\xa0\r\n", "\x7f\xc2\x80\xc2\x9b\xc2\x9f\xc2\xa0\n"}),
    test::CaseNamer());

}  // namespace
}  // namespace tamro::platform

#endif  // !_WIN32
