// A loaded module for io tests: every lookup gives one fixed answer and is
// remembered, so a test sees what was asked for.
#pragma once

#include <new>
#include <optional>
#include <vector>

#include "platform/resource_module.h"

namespace tamro::test {

class FakeModule : public platform::ResourceModule {
 public:
  explicit FakeModule(pe::ResourceData bytes) : bytes_(bytes) {}
  platform::ResourceStatus EnumNames(const pe::NameKey&,
                                     std::vector<pe::EnumeratedName>&) const override {
    return platform::ResourceStatus::Ok;
  }
  platform::ResourceStatus CheckName(const pe::NameKey&, const pe::NameKey&) const override {
    return platform::ResourceStatus::Ok;
  }
  pe::ResourceData Find(const pe::NameKey& type, const pe::NameKey& name) const override {
    lastType = type;
    lastName = name;
    if (outOfMemory) throw std::bad_alloc();
    return bytes_;
  }
  mutable std::optional<pe::NameKey> lastType;  // empty until the first lookup
  mutable std::optional<pe::NameKey> lastName;
  bool outOfMemory = false;  // Find runs out of memory

 private:
  pe::ResourceData bytes_;
};

}  // namespace tamro::test
