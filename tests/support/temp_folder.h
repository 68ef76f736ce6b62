// A fresh, empty folder for one test, removed with everything in it afterwards,
// and the small byte-level file helpers that tests use around it. The one home of
// these helpers: every test binary includes this header, never a copy of it.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
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

// A path in tamro's wide form: UTF-16 on Windows, the path's bytes (ASCII or
// UTF-8 test paths) widened one by one on Linux, as the platform layer reads them.
inline std::wstring WidePath(const std::filesystem::path& path) {
#ifdef _WIN32
  return path.wstring();
#else
  return Widen(path.string());
#endif
}

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  WriteBytes(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names in `folder`, sorted by bytes; shows leftovers such as temporary files.
inline std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = std::filesystem::temp_directory_path() /
            ("tamro-test-" + std::to_string(random()) + "-" + std::to_string(stamp));
    std::filesystem::create_directories(root_);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path Path(std::string_view relative) const { return root_ / relative; }

  // Writes `bytes` to `relative` inside the folder and returns its path.
  std::filesystem::path Write(std::string_view relative, std::string_view bytes) const {
    const std::filesystem::path file = Path(relative);
    WriteBytes(file, bytes);
    return file;
  }
  std::filesystem::path Write(std::string_view relative,
                              const std::vector<std::uint8_t>& bytes) const {
    const std::filesystem::path file = Path(relative);
    WriteBytes(file, bytes);
    return file;
  }

  // The folder as tamro holds folders: wide, with a trailing separator.
  std::wstring WideFolder() const {
    std::wstring folder = WidePath(root_);
    folder.push_back(std::filesystem::path::preferred_separator);
    return folder;
  }
  std::wstring Wide(std::string_view relative) const { return WideFolder() + Widen(relative); }

 private:
  std::filesystem::path root_;
};

}  // namespace tamro::test
