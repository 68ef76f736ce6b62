// A loaded module for io tests: every lookup gives one fixed answer and is
// remembered, so a test sees what was asked for.
#pragma once

#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "platform/resource_module.h"

namespace tamro::test {

class FakeModule : public platform::ResourceModule {
 public:
  explicit FakeModule(platform::ResourceBytes bytes) : bytes_(bytes) {}
  std::uint32_t EnumNames(std::wstring_view, std::vector<platform::ResourceName>&) const override {
    return 0;
  }
  std::uint32_t CheckName(std::wstring_view, const platform::ResourceName&) const override {
    return 0;
  }
  platform::ResourceBytes Find(std::wstring_view type,
                               const platform::ResourceName& name) const override {
    lastType = std::wstring(type);
    lastName = name;
    if (outOfMemory) throw std::bad_alloc();
    return bytes_;
  }
  mutable std::wstring lastType;  // empty until the first lookup
  mutable platform::ResourceName lastName;
  bool outOfMemory = false;  // Find runs out of memory

 private:
  platform::ResourceBytes bytes_;
};

}  // namespace tamro::test
