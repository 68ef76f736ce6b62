// ResourceModule on Linux: the module file is read once, for reading only (after
// its headers have shown it to be an image), and answered by the pe/ reader.
// Holding a copy rather than a mapping means that another process that writes to
// the file or truncates it meanwhile cannot change or pull away the bytes under
// us. No code of the module runs and the file is never changed.
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

  std::unique_ptr<WholeFile> file_;
  std::unique_ptr<pe::ResourceReader> reader_;
};

}  // namespace

std::unique_ptr<ResourceModule> ResourceModule::Load(const std::wstring& path) {
  try {
    auto module = std::make_unique<PosixResourceModule>();
    module->file_ = ReadModuleFile(path);
    if (!module->file_) return nullptr;
    module->reader_ = pe::ResourceReader::Parse(module->file_->Bytes());
    if (!module->reader_) return nullptr;
    return module;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace tamro::platform
