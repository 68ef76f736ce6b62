// A large block grows in one stretch of address space reserved for it, aligned
// and marked for the kernel's 2 MiB pages past its first 2 MiB: a page is backed
// only once written, a blob of many MiB takes one fault per 2 MiB instead of
// 512, and the block never moves. A small block pays for the pages it touches
// only. Where the stretch cannot be reserved (a limit on address space, strict
// overcommit), the heap serves.
#include "platform/block_memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace tamro::platform {
namespace {

static_assert(sizeof(std::size_t) >= 8, "a 64-bit address space to reserve the stretch in");

constexpr std::size_t kLargePage = std::size_t{2} << 20;  // x86-64's transparent huge page
// The format's 4 GiB, and room for what passes it before the compiler refuses.
constexpr std::size_t kReserved = (std::size_t{4} << 30) + 2 * kLargePage;

class ReservedBlockMemory final : public BlockMemory {
 public:
  // The stretch is never outgrown: the compiler refuses a blob past the format's
  // 4 GiB before its block reaches the stretch's end, so a block that would is
  // refused too.
  Block Grow(const Block& block, std::size_t used, std::size_t capacity) const override {
    if (block.data != nullptr || capacity > kReserved) return {};
    if (std::uint8_t* data = Reserve()) return {data, kReserved, this};
    return HeapMemory().Grow(block, used, capacity);
  }

  void Release(const Block& block) const override { ::munmap(block.data, block.capacity); }

 private:
  static std::uint8_t* Reserve() {
    const std::size_t length = kReserved + kLargePage;  // room to align the start
    void* region = ::mmap(nullptr, length, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (region == MAP_FAILED) return nullptr;
    const auto base = reinterpret_cast<std::uintptr_t>(region);
    const std::uintptr_t start = (base + kLargePage - 1) & ~(kLargePage - 1);
    // Only the aligned stretch stays mapped, so that it alone is given back.
    if (start > base) ::munmap(region, start - base);
    const std::uintptr_t end = start + kReserved;
    if (base + length > end) ::munmap(reinterpret_cast<void*>(end), base + length - end);
    auto* data = reinterpret_cast<std::uint8_t*>(start);
    ::madvise(data + kLargePage, kReserved - kLargePage, MADV_HUGEPAGE);  // a hint only
    return data;
  }
};

}  // namespace

const BlockMemory& LargeBlockMemory() {
  static const ReservedBlockMemory memory;
  return memory;
}

}  // namespace tamro::platform
