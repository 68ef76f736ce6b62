// Memory for file copies on Windows: the heap. Only files too small to be worth a
// mapping, or files that cannot be mapped, are copied.
#include <new>

#include "platform/source_file.h"

namespace tamro::platform {

FileMemory FileMemory::Allocate(std::size_t size) {
  FileMemory memory;
  memory.data_ = new (std::nothrow) std::uint8_t[size == 0 ? 1 : size];
  if (memory.data_ != nullptr) memory.size_ = size;
  return memory;
}

void FileMemory::Release() {
  delete[] data_;
  data_ = nullptr;
  size_ = 0;
}

}  // namespace tamro::platform
