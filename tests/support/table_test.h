// A table test declared once: a suite name, what every row must satisfy, and the
// rows. Each row becomes a test of its own, named after its `what`, so that a
// failure names its row and --gtest_filter picks one. Declare a table as a
// namespace-scope object, the way a TEST is declared: its rows are registered
// before main runs. A table may share its suite with plain TESTs.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/case_name.h"

namespace tamro::test {

// A row of a table over a function of one value.
template <class Given, class Expected>
struct Case {
  const char* what;
  Given given;
  Expected expected;
};

// One row's test.
class TableRowTest : public ::testing::Test {
 public:
  explicit TableRowTest(std::function<void()> body) : body_(std::move(body)) {}
  void TestBody() override { body_(); }

 private:
  std::function<void()> body_;
};

// `check(row)` holds for every row. A table's own file and line, for the report
// of a failing row, come from __builtin_FILE and __builtin_LINE as default
// arguments: the caller's place on every compiler here (Debian's clang has no
// std::source_location).
template <class Row>
class Table {
 public:
  template <class Check>
  Table(const char* suite, Check check, const std::vector<Row>& rows,
        const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
    std::set<std::string> names;
    for (std::size_t index = 0; index < rows.size(); ++index) {
      const Row& row = rows[index];
      std::string name = CaseName(row.what);
      // Two rows of one name would give two tests of one name: the later one is
      // renamed after its index and fails.
      const bool fresh = names.insert(name).second;
      if (!fresh) name += "_row_" + std::to_string(index);
      // Registered as a plain Test, so that TESTs of the same suite may follow.
      ::testing::RegisterTest(suite, name.c_str(), nullptr, nullptr, file, line,
                              [row, check, fresh, file, line]() -> ::testing::Test* {
                                return new TableRowTest([row, check, fresh, file, line] {
                                  // A failure points at the table and names the row.
                                  const ::testing::ScopedTrace trace(
                                      file, line, std::string("row \"") + row.what + '"');
                                  ASSERT_TRUE(fresh) << "two rows have this name";
                                  check(row);
                                });
                              });
    }
  }
};

// `function(row.given)` equals `row.expected` for every row.
template <class Given, class Expected>
class FunctionTable : public Table<Case<Given, Expected>> {
 public:
  using Row = Case<Given, Expected>;

  template <class Function>
  FunctionTable(const char* suite, Function function, const std::vector<Row>& rows,
                const char* file = __builtin_FILE(), int line = __builtin_LINE())
      : Table<Row>(
            suite, [function](const Row& row) { EXPECT_EQ(function(row.given), row.expected); },
            rows, file, line) {}
};

}  // namespace tamro::test
