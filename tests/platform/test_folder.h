// A fresh, empty folder for one test, removed with everything in it afterwards,
// and small byte-level file helpers for the platform and io tests.
#pragma once

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace tamro::test {

// ASCII text as a wide string (test paths and texts are ASCII unless a test says so).
inline std::wstring Widen(std::string_view ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

// A path in the program's wide form.
inline std::wstring WidePath(const std::filesystem::path& path) {
#ifdef _WIN32
  return path.wstring();
#else
  return Widen(path.string());
#endif
}

class TestFolder {
 public:
  TestFolder() {
    std::random_device random;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = std::filesystem::temp_directory_path() /
            ("tamro-test-" + std::to_string(random()) + "-" + std::to_string(stamp));
    std::filesystem::create_directories(root_);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;
  ~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path Path(std::string_view relative) const { return root_ / relative; }

  // The folder as the program holds folders: wide, with a trailing separator.
  std::wstring WideFolder() const {
    std::wstring folder = WidePath(root_);
    folder.push_back(std::filesystem::path::preferred_separator);
    return folder;
  }
  std::wstring Wide(std::string_view relative) const { return WideFolder() + Widen(relative); }

 private:
  std::filesystem::path root_;
};

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names in `folder`, sorted; shows leftovers such as temporary files.
inline std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tamro::test
