// tamro on Linux and tamro.exe under Wine on the same modules: mutated copies of
// the seed modules and the hostile modules of the reader's fault tests, each run
// in "*" mode and in a list mode. Both must end every run on their own (no crash,
// no hang), and at least 97 % of the mutated modules' runs must show the same
// items, outcomes, batch errors and output files; a hostile module may differ only
// by a known difference. The classes of disagreement that remain are printed with
// their counts; docs/resources.md gives their reasons.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <future>
#include <iostream>
#include <map>
#include <set>

#include "tests/differential/mutated_modules.h"
#include "tests/differential/run_program.h"
#include "tests/pe/fault_cases.h"
#include "tests/support/temp_folder.h"

namespace tamro::test {
namespace {

constexpr int kTimeLimitSeconds = 30;
constexpr const char* kWineLauncher[] = {TAMRO_WINE_LAUNCHER};

struct Verdict {
  bool crashed = false;  // either build ended abnormally or hung
  bool agreed = false;
  std::string what;  // the class of a disagreement or a crash
};

// The output folder as file names (both builds store them as UTF-8 here) and bytes.
std::string Outputs(const std::filesystem::path& folder) {
  std::vector<std::string> files;
  if (!std::filesystem::exists(folder)) return "";
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    files.push_back(Comparable("\tUIFILE " + entry.path().filename().string(), false) + "=" +
                    ReadBytes(entry.path()));
  }
  std::sort(files.begin(), files.end());
  std::string all;
  for (const std::string& f : files) all += f + "\n";
  return all;
}

// The outcome part of the first line where the two differ: the class.
std::string Difference(const std::string& onLinux, const std::string& onWindows) {
  std::istringstream l(onLinux), w(onWindows);
  std::string a, b;
  const auto outcome = [](const std::string& line) {
    const std::size_t bar = line.find(" | ");
    return bar == std::string::npos ? line : line.substr(bar + 3);
  };
  while (true) {
    const bool moreL = static_cast<bool>(std::getline(l, a));
    const bool moreW = static_cast<bool>(std::getline(w, b));
    if (!moreL && !moreW) return "output files differ";
    if (!moreL) a = "<nothing>";
    if (!moreW) b = "<nothing>";
    if (a != b) {
      if (outcome(a) == outcome(b))
        return "names differ: linux \"" + a + "\", windows \"" + b + "\"";
      return "linux \"" + outcome(a) + "\", windows \"" + outcome(b) + "\"";
    }
  }
}

Verdict RunBoth(const std::filesystem::path& folder, const std::string& ids) {
  std::vector<std::string> win(std::begin(kWineLauncher), std::end(kWineLauncher));
  win.insert(win.end(), {TAMRO_WINDOWS_EXE, "-sys", "m.dll", ids, "outW"});
  auto windows =
      std::async(std::launch::async, [&] { return RunWithLimit(win, folder, kTimeLimitSeconds); });
  const ProgramRun l =
      RunWithLimit({TAMRO_EXE, "-sys", "m.dll", ids, "outL"}, folder, kTimeLimitSeconds);
  const ProgramRun w = windows.get();
  Verdict verdict;
  if (l.exitStatus != 0 || w.exitStatus != 0) {
    // How it ended, so that a rare failure in a long run can be told apart.
    const ProgramRun& failed = l.exitStatus != 0 ? l : w;
    verdict.crashed = true;
    verdict.what = std::string(&failed == &l ? "linux" : "windows") +
                   (failed.hung     ? " hung"
                    : failed.signal ? " crashed (signal " + std::to_string(failed.signal) + ")"
                                    : " crashed (exit " + std::to_string(failed.exitStatus) + ")");
    return verdict;
  }
  const std::string a = Comparable(l.out, false) + Outputs(folder / "outL");
  const std::string b = Comparable(w.out, true) + Outputs(folder / "outW");
  verdict.agreed = a == b;
  if (!verdict.agreed) verdict.what = Difference(a, b);
  return verdict;
}

struct Tally {
  int runs = 0;
  int agreed = 0;
  int crashed = 0;
  std::map<std::string, int> classes;
  std::vector<std::string> differing;  // the modules of the runs that disagree

  void Add(const Verdict& v, const std::string& module) {
    ++runs;
    agreed += v.agreed ? 1 : 0;
    crashed += v.crashed ? 1 : 0;
    if (!v.agreed) {
      ++classes[v.what];
      differing.push_back(module);
      std::cout << "  " << module << ": " << v.what << "\n";
    }
  }
  void Print(const std::string& title) const {
    std::cout << title << ": " << runs << " runs, " << agreed << " agree ("
              << (runs ? 100.0 * agreed / runs : 0.0) << " %), " << crashed << " crashed or hung\n";
    for (const auto& [what, count] : classes) std::cout << "    " << count << " x " << what << "\n";
  }
};

// Runs one module in both modes, a few modules at a time.
void RunModules(const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& modules,
                const std::vector<std::string>& idLists, const std::filesystem::path& root,
                Tally& tally) {
  constexpr std::size_t kParallel = 3;
  for (std::size_t first = 0; first < modules.size(); first += kParallel) {
    std::vector<std::future<std::vector<Verdict>>> running;
    for (std::size_t i = first; i < std::min(first + kParallel, modules.size()); ++i) {
      running.push_back(std::async(std::launch::async, [&, i] {
        const std::filesystem::path folder = root / std::to_string(i);
        std::filesystem::create_directories(folder);
        WriteBytes(folder / "m.dll", modules[i].second);
        return std::vector<Verdict>{RunBoth(folder, "*"), RunBoth(folder, idLists[i])};
      }));
    }
    for (std::size_t k = 0; k < running.size(); ++k) {
      for (const Verdict& v : running[k].get()) tally.Add(v, modules[first + k].first);
    }
  }
}

TEST(Differential, LinuxAndWindowsBuildsAgreeOnMutatedModules) {
  const TempFolder folder;
  std::filesystem::create_directories(folder.Path("seeds"));
  const std::vector<SeedModule> seeds = SeedModules(folder.Path("seeds"));
  const char* count = std::getenv("TAMRO_DIFFERENTIAL_MODULES");
  const std::uint64_t modules = count ? std::strtoull(count, nullptr, 10) : 160;

  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> mutated;
  std::vector<std::string> idLists;
  for (std::uint64_t i = 0; i < modules; ++i) {
    const SeedModule& seed = seeds[i % seeds.size()];
    mutated.emplace_back(seed.label + " #" + std::to_string(i), Mutated(seed, i));
    idLists.push_back(seed.listedIds);
  }
  Tally tally;
  RunModules(mutated, idLists, folder.Path("mutated"), tally);
  tally.Print("mutated modules (" + std::to_string(seeds.size()) + " seeds)");
  EXPECT_EQ(tally.crashed, 0);
  EXPECT_GE(tally.agreed * 100, tally.runs * 97) << "fewer than 97 % of the runs agree";
}

TEST(Differential, HostileModulesEndCleanlyOnBothBuilds) {
  const TempFolder folder;
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> hostile;
  for (PeFormat format : {PeFormat::Pe32, PeFormat::Pe32Plus}) {
    for (const FaultCase& c : FaultCases()) {
      PeBuilder b = BaseModule(format);
      c.fault(b, format);
      hostile.emplace_back(
          std::string(c.label) + (format == PeFormat::Pe32 ? " (PE32)" : " (PE32+)"), b.Build());
    }
  }
  Tally tally;
  RunModules(hostile, std::vector<std::string>(hostile.size(), "NAMED,1,2,3"),
             folder.Path("hostile"), tally);
  tally.Print("hostile modules");
  EXPECT_EQ(tally.crashed, 0);
  // The differences that stay (docs/resources.md): images that Windows refuses and
  // Wine maps, a magic that does not fit its layout, and no resource directory.
  // Any other hostile module must give the same outcome on both builds.
  const std::set<std::string> known = {"truncated in the resource section", "overlapping sections",
                                       "PE32 magic on the other layout",
                                       "only two data directories"};
  for (const std::string& module : tally.differing) {
    EXPECT_EQ(known.count(module.substr(0, module.rfind(" ("))), 1u) << module << " differs";
  }
}

}  // namespace
}  // namespace tamro::test
