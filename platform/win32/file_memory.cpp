// Memory for file copies on Windows: the heap. Only files too small to be worth a
// mapping, or files that cannot be mapped, are copied.
#include <cstdlib>

#include "platform/source_file.h"

namespace tamro::platform {

FileMemory FileMemory::Allocate(std::size_t size) {
  FileMemory memory;
  memory.data_ = static_cast<std::uint8_t*>(std::malloc(size == 0 ? 1 : size));
  if (memory.data_ != nullptr) memory.size_ = size;
  return memory;
}

void FileMemory::Release() {
  std::free(data_);
  data_ = nullptr;
  size_ = 0;
}

}  // namespace tamro::platform
