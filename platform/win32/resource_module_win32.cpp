// ResourceModule on Windows: the system loader itself, with the module loaded as
// an image resource (no code runs, the file is never changed). Nothing that the
// loader hands back is read before it is checked against the module's image, and
// the pe/ reader run over the module file vetoes the calls that would lead the
// loader outside the image (docs/resources.md).
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "pe/resource_reader.h"
#include "platform/module_file.h"
#include "platform/resource_module.h"
#include "platform/win32/module_image.h"
#include "platform/win32/windows_api.h"

namespace tamro::platform {

namespace {

using win32::ModuleImage;

// The name enumeration callback: appends one name and goes on. A name that cannot
// be stored is left out and the enumeration continues; no exception may cross
// the system's frames.
BOOL CALLBACK AppendName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto& names = *reinterpret_cast<std::vector<pe::EnumeratedName>*>(param);
  try {
    pe::EnumeratedName entry;
    if (IS_INTRESOURCE(name)) {
      entry.isId = true;
      entry.id = static_cast<std::uint16_t>(reinterpret_cast<ULONG_PTR>(name) & 0xFFFF);
    } else {
      entry.text = name;
    }
    names.push_back(std::move(entry));
  } catch (...) {
  }
  return TRUE;
}

// The language callback: EnumResourceLanguagesW serves as an existence test only.
BOOL CALLBACK IgnoreLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD, LONG_PTR) {
  return TRUE;
}

// A key as the resource functions take it: an id as MAKEINTRESOURCEW, a string
// name as its folded text, which the loader compares without regard to case just
// as it compares the text it came from.
class NameArgument {
 public:
  explicit NameArgument(const pe::NameKey& key)
      : id_(key.kind == pe::NameKey::Kind::Id),
        number_(key.id),
        text_(key.folded.begin(), key.folded.end()) {}
  LPCWSTR get() const { return id_ ? MAKEINTRESOURCEW(number_) : text_.c_str(); }

 private:
  bool id_;
  std::uint16_t number_;
  std::wstring text_;
};

// A stored name that begins with '#' cannot be passed to the loader, which would
// read it as an identifier.
bool LoaderMisreads(const pe::NameKey& key) {
  return key.kind == pe::NameKey::Kind::Text && !key.folded.empty() && key.folded[0] == u'#';
}

// The status of a call that failed; never Ok, so that a failure cannot read as
// success. The calls start with a cleared error, so no earlier one shows through.
ResourceStatus FailureStatus() {
  const DWORD error = GetLastError();
  return error != 0 ? StatusOf(static_cast<pe::ResourceError>(error)) : ResourceStatus::Failed;
}

class Win32ResourceModule final : public ResourceModule {
 public:
  Win32ResourceModule(HMODULE module, std::unique_ptr<WholeFile> file)
      : module_(module), image_(module), file_(std::move(file)) {
    if (file_) reader_ = pe::ResourceReader::Parse(file_->Bytes());
  }
  Win32ResourceModule(const Win32ResourceModule&) = delete;
  Win32ResourceModule& operator=(const Win32ResourceModule&) = delete;
  ~Win32ResourceModule() override { FreeLibrary(module_); }

  ResourceStatus EnumNames(const pe::NameKey& type,
                           std::vector<pe::EnumeratedName>& names) const override {
    std::vector<pe::EnumeratedName> ignored;
    if (reader_ && reader_->EnumNames(type, ignored) == pe::ResourceError::NoAccess) {
      return ResourceStatus::Failed;
    }
    if (type.kind == pe::NameKey::Kind::Invalid) return ResourceStatus::Failed;
    SetLastError(0);
    if (!EnumResourceNamesW(module_, NameArgument(type).get(), AppendName,
                            reinterpret_cast<LONG_PTR>(&names))) {
      return FailureStatus();
    }
    return ResourceStatus::Ok;
  }

  ResourceStatus CheckName(const pe::NameKey& type, const pe::NameKey& name) const override {
    if (reader_ && reader_->CheckName(type, name) == pe::ResourceError::NoAccess) {
      return ResourceStatus::Failed;
    }
    if (type.kind == pe::NameKey::Kind::Invalid || name.kind == pe::NameKey::Kind::Invalid) {
      return ResourceStatus::Failed;
    }
    SetLastError(0);
    if (!EnumResourceLanguagesW(module_, NameArgument(type).get(), NameArgument(name).get(),
                                IgnoreLanguage, 0)) {
      return FailureStatus();
    }
    return ResourceStatus::Ok;
  }

  pe::ResourceData Find(const pe::NameKey& type, const pe::NameKey& name) const override;

  bool Lost() const override { return file_ && file_->Lost(); }

 private:
  pe::ResourceData FromEntry(const pe::ResourceData& data) const;
  pe::ResourceData Checked(const void* data, std::uint64_t size) const;

  HMODULE module_;
  ModuleImage image_;
  std::unique_ptr<WholeFile> file_;  // the module file as the pe/ reader checks it; may be null
  std::unique_ptr<pe::ResourceReader> reader_;
};

pe::ResourceData Win32ResourceModule::Checked(const void* data, std::uint64_t size) const {
  pe::ResourceData bytes;
  bytes.lookup = pe::DataLookup::LoadFailed;
  if (data == nullptr || !image_.MayRead(data, size)) return bytes;
  bytes.lookup = pe::DataLookup::Found;
  bytes.data = static_cast<const std::uint8_t*>(data);
  bytes.size = static_cast<std::uint32_t>(size);
  return bytes;
}

// The data entry, as the reader found it in the file, names the bytes in the image.
pe::ResourceData Win32ResourceModule::FromEntry(const pe::ResourceData& data) const {
  pe::ResourceData bytes;
  if (data.lookup == pe::DataLookup::NotFound) return bytes;
  bytes.lookup = pe::DataLookup::LoadFailed;
  if (data.lookup != pe::DataLookup::Found || image_.Base() == nullptr) return bytes;
  if (data.rva > image_.Size()) return bytes;
  return Checked(image_.Base() + data.rva, data.size);
}

pe::ResourceData Win32ResourceModule::Find(const pe::NameKey& type, const pe::NameKey& name) const {
  pe::ResourceData bytes;
  if (reader_) {
    const pe::ResourceData data = reader_->Find(type, name);
    if (LoaderMisreads(name)) return FromEntry(data);
    if (data.lookup == pe::DataLookup::LoadFailed) {
      bytes.lookup = pe::DataLookup::LoadFailed;
      return bytes;
    }
  }
  if (type.kind == pe::NameKey::Kind::Invalid || name.kind == pe::NameKey::Kind::Invalid) {
    return bytes;
  }
  HRSRC found = FindResourceW(module_, NameArgument(name).get(), NameArgument(type).get());
  if (found == nullptr) return bytes;
  // The handle is the data entry in the image: LoadResource and SizeofResource read it.
  bytes.lookup = pe::DataLookup::LoadFailed;
  if (!image_.MayRead(found, sizeof(IMAGE_RESOURCE_DATA_ENTRY))) return bytes;
  HGLOBAL loaded = LoadResource(module_, found);
  if (loaded == nullptr) return bytes;
  const void* locked = LockResource(loaded);
  return Checked(locked, SizeofResource(module_, found));
}

}  // namespace

std::unique_ptr<ResourceModule> ResourceModule::Load(const std::wstring& path) {
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return nullptr;
  try {
    // Without the file there is no veto; the checks of what the loader hands back remain.
    return std::make_unique<Win32ResourceModule>(module, ReadModuleFile(path));
  } catch (const std::bad_alloc&) {
    FreeLibrary(module);
    return nullptr;
  }
}

}  // namespace tamro::platform
