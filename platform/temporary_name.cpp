#include "platform/temporary_name.h"

namespace tamro::platform {
namespace {

constexpr std::wstring_view kPrefix = L".tamro-";
constexpr std::wstring_view kSuffix = L".tmp";
constexpr std::size_t kDigits = 16;

bool IsLowerHexDigit(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f');
}

// splitmix64's finaliser: neighbouring inputs give unrelated outputs.
std::uint64_t Mix(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9u;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBu;
  x ^= x >> 31;
  return x;
}

}  // namespace

std::wstring TemporaryFileName(std::uint64_t processId, std::uint64_t clockTicks) {
  static std::uint64_t counter = 0;
  std::uint64_t value = Mix((processId << 32) ^ clockTicks ^ (++counter * 0x9E3779B97F4A7C15u));
  std::wstring name(kPrefix);
  name.append(kDigits, L'0');
  name.append(kSuffix);
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  for (std::size_t i = kPrefix.size() + kDigits; i-- > kPrefix.size(); value >>= 4) {
    name[i] = kHex[value & 0xF];
  }
  return name;
}

bool IsTemporaryFileName(std::wstring_view name) {
  if (name.size() != kPrefix.size() + kDigits + kSuffix.size()) return false;
  if (name.substr(0, kPrefix.size()) != kPrefix ||
      name.substr(name.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  for (const wchar_t c : name.substr(kPrefix.size(), kDigits)) {
    if (!IsLowerHexDigit(c)) return false;
  }
  return true;
}

}  // namespace tamro::platform
