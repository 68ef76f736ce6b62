// The base of every end-to-end test: a fresh folder holding a copy of tamro and of
// tamro-compile, so that the program folder (the default source and destination)
// is the test's own.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <system_error>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace tamro::e2e {

class E2eTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(ProgramFolder());
    fs::copy_file(BuiltProgram(), Program());
    fs::permissions(Program(), fs::perms::owner_all);
    fs::copy_file(BuiltCompiler(), Compiler());
    fs::permissions(Compiler(), fs::perms::owner_all);
  }

  // Read-only entries made by a test must not stop the clean-up.
  void TearDown() override {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(Root(), ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
  }

  const fs::path& Root() const { return temp_.Root(); }
  fs::path ProgramFolder() const { return Root() / "prog"; }
  fs::path Program() const { return ProgramFolder() / Host().programName; }
  fs::path Compiler() const { return ProgramFolder() / Host().compilerName; }

  RunResult Tamro(const std::vector<std::string>& arguments, const RunOptions& options = {}) {
    return e2e::Run(Program(), arguments, options);
  }
  RunResult TamroCompile(const std::vector<std::string>& arguments,
                         const RunOptions& options = {}) {
    return e2e::Run(Compiler(), arguments, options);
  }

  // A new folder below the test's root.
  fs::path Folder(const fs::path& relative) {
    const fs::path folder = Root() / relative;
    fs::create_directories(folder);
    return folder;
  }

  // The run printed exactly `expected`, nothing on standard error, and exited
  // with `exitStatus`.
  static void ExpectTranscript(const RunResult& run, const Transcript& expected,
                               int exitStatus = 0) {
    EXPECT_EQ(run.out, expected.str());
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.exitStatus, exitStatus);
  }

 private:
  test::TempFolder temp_;
};

}  // namespace tamro::e2e
