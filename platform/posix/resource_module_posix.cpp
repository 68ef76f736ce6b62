// ResourceModule on Linux: the module file is read once, for reading only (after
// its headers have shown it to be an image), and answered by the pe/ reader.
// Reading it rather than mapping it means that another process that truncates the
// file meanwhile cannot pull the bytes away under us. No code of the module runs
// and the file is never changed.
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "pe/resource_reader.h"
#include "platform/module_file.h"
#include "platform/resource_module.h"

namespace tamro::platform {

namespace {

class PosixResourceModule final : public ResourceModule {
 public:
  ResourceStatus EnumNames(const pe::NameKey& type,
                           std::vector<pe::EnumeratedName>& names) const override {
    return StatusOf(reader_->EnumNames(type, names));
  }
  ResourceStatus CheckName(const pe::NameKey& type, const pe::NameKey& name) const override {
    return StatusOf(reader_->CheckName(type, name));
  }
  pe::ResourceData Find(const pe::NameKey& type, const pe::NameKey& name) const override {
    return reader_->Find(type, name);
  }

  std::vector<std::uint8_t> bytes_;
  std::unique_ptr<pe::ResourceReader> reader_;
};

}  // namespace

std::unique_ptr<ResourceModule> ResourceModule::Load(const std::wstring& path) {
  try {
    auto module = std::make_unique<PosixResourceModule>();
    if (!ReadModuleFile(path, module->bytes_)) return nullptr;
    module->reader_ = pe::ResourceReader::Parse(
        ByteView(module->bytes_.data(), static_cast<std::uint32_t>(module->bytes_.size())));
    if (!module->reader_) return nullptr;
    return module;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace tamro::platform
