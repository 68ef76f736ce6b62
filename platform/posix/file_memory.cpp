// Memory for file copies on Linux. Small copies come from the heap, whose pages
// the items of a batch share; a large one gets a region of its own, aligned and
// marked so that the kernel backs it with 2 MiB pages: one fault and one cleared
// page per 2 MiB instead of 512 faults, which on a virtual machine cost about as
// much as the copy itself. In a batch the last region given back waits for the
// next large copy, which then finds its pages in place.
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <utility>

#include "platform/posix/batch_state.h"
#include "platform/source_file.h"

namespace tamro::platform {
namespace {

constexpr std::size_t kOwnRegionFrom = std::size_t{128} << 10;
constexpr std::size_t kLargePage = std::size_t{2} << 20;  // x86-64's transparent huge page

}  // namespace

FileMemory FileMemory::Allocate(std::size_t size) {
  FileMemory memory;
  if (size >= kOwnRegionFrom && size <= kMaxSourceBytes) {
    const std::size_t length = (size + kLargePage - 1) / kLargePage * kLargePage;
    const std::size_t regionSize = length + kLargePage;  // room to align the start
    void* region = nullptr;
    posix::BatchState* batch = posix::ActiveBatch();
    if (batch != nullptr && batch->spareRegion != nullptr && batch->spareSize >= regionSize) {
      region = std::exchange(batch->spareRegion, nullptr);
      memory.regionSize_ = batch->spareSize;
    } else {
      region =
          ::mmap(nullptr, regionSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (region == MAP_FAILED) region = nullptr;
      memory.regionSize_ = regionSize;
    }
    if (region != nullptr) {
      const std::uintptr_t start =
          (reinterpret_cast<std::uintptr_t>(region) + kLargePage - 1) & ~(kLargePage - 1);
      auto* data = reinterpret_cast<std::uint8_t*>(start);
      ::madvise(data, length, MADV_HUGEPAGE);  // only a hint: small pages serve all the same
      memory.region_ = region;
      memory.data_ = data;
      memory.size_ = size;
      return memory;
    }
    memory.regionSize_ = 0;
  }
  memory.data_ = static_cast<std::uint8_t*>(std::malloc(size == 0 ? 1 : size));
  if (memory.data_ != nullptr) memory.size_ = size;
  return memory;
}

// A batch keeps the larger of the region given back and its spare.
void FileMemory::Release() {
  if (region_ != nullptr) {
    posix::BatchState* batch = posix::ActiveBatch();
    if (batch != nullptr && (batch->spareRegion == nullptr || batch->spareSize < regionSize_)) {
      if (batch->spareRegion != nullptr) ::munmap(batch->spareRegion, batch->spareSize);
      batch->spareRegion = region_;
      batch->spareSize = regionSize_;
    } else {
      ::munmap(region_, regionSize_);
    }
  } else {
    std::free(data_);
  }
  data_ = nullptr;
  size_ = 0;
  region_ = nullptr;
  regionSize_ = 0;
}

}  // namespace tamro::platform
