// ResourceModule on Linux: the module file is read once, for reading only, and
// answered by our own PE reader. Reading it (rather than mapping it) means another
// process that truncates the file meanwhile cannot pull the bytes away under us.
// No code of the module runs and the file is never changed.
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/pe_resource_reader.h"
#include "platform/resource_module.h"

namespace tamro::platform {

namespace {

class PosixResourceModule final : public ResourceModule {
 public:
  std::uint32_t EnumNames(std::wstring_view type, std::vector<ResourceName>& names) const override {
    return reader_->EnumNames(type, names);
  }
  std::uint32_t CheckName(std::wstring_view type, const ResourceName& name) const override {
    return reader_->CheckName(type, name);
  }
  ResourceBytes Find(std::wstring_view type, const ResourceName& name) const override {
    return reader_->Find(type, name);
  }

  std::vector<std::uint8_t> bytes_;
  std::unique_ptr<pe::PeResourceReader> reader_;
};

}  // namespace

std::unique_ptr<ResourceModule> ResourceModule::Load(const std::wstring& path) {
  try {
    auto module = std::make_unique<PosixResourceModule>();
    if (ReadWholeFile(path, module->bytes_) != ReadOutcome::Ok) return nullptr;
    module->reader_ = pe::PeResourceReader::Parse(module->bytes_.data(), module->bytes_.size());
    if (!module->reader_) return nullptr;
    return module;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace tamro::platform
