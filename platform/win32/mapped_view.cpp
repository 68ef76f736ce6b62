#include "platform/win32/mapped_view.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <new>

#include "platform/source_file.h"

namespace tamro::platform::win32 {
namespace {

// The views being held, for the exception handler: it runs on the faulting
// thread in the middle of any read, so the slots are read through atomics.
struct GuardedView {
  std::atomic<std::uintptr_t> begin{0};  // 0: a free slot; 1: being claimed
  std::atomic<std::uintptr_t> end{0};
  std::atomic<bool> lost{false};  // the view was replaced by zero pages
};

constexpr std::size_t kGuardedViews = 16;  // a batch holds two at most: module and source
GuardedView gViews[kGuardedViews];

// An in-page error inside a held view: the view gives way to committed zero pages
// at the same address, and the instruction runs again. Any other exception, or a
// replacement that fails, goes on to the next handler as before.
LONG CALLBACK OnInPageError(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD* record = exception->ExceptionRecord;
  if (record == nullptr || record->ExceptionCode != EXCEPTION_IN_PAGE_ERROR ||
      record->NumberParameters < 2) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  const auto address = static_cast<std::uintptr_t>(record->ExceptionInformation[1]);
  for (GuardedView& view : gViews) {
    const std::uintptr_t begin = view.begin.load(std::memory_order_acquire);
    const std::uintptr_t end = view.end.load(std::memory_order_acquire);
    if (begin <= 1 || address < begin || address >= end || view.lost.load()) continue;
    void* base = reinterpret_cast<void*>(begin);
    if (!UnmapViewOfFile(base)) return EXCEPTION_CONTINUE_SEARCH;
    if (VirtualAlloc(base, end - begin, MEM_RESERVE | MEM_COMMIT, PAGE_READONLY) != base) {
      return EXCEPTION_CONTINUE_SEARCH;  // the address was taken meanwhile: no way on
    }
    view.lost.store(true, std::memory_order_release);
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

// Installed with the first view, for the rest of the process; it passes on
// everything that is not about a held view.
void InstallHandler() {
  static std::once_flag once;
  std::call_once(once, [] { AddVectoredExceptionHandler(1, OnInPageError); });
}

class MappedView final : public WholeFile {
 public:
  MappedView(HANDLE file, const std::uint8_t* data, std::uint32_t size, GuardedView& slot)
      : file_(file), data_(data), size_(size), slot_(slot) {}
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  ~MappedView() override {
    if (slot_.lost.load(std::memory_order_acquire)) {
      VirtualFree(const_cast<std::uint8_t*>(data_), 0, MEM_RELEASE);
    } else {
      UnmapViewOfFile(data_);
    }
    CloseHandle(file_);
    slot_.lost.store(false, std::memory_order_relaxed);
    slot_.begin.store(0, std::memory_order_release);  // free again
  }

  ByteView Bytes() const override { return ByteView(data_, size_); }
  bool Lost() const override { return slot_.lost.load(std::memory_order_acquire); }

 private:
  HANDLE file_;
  const std::uint8_t* data_;
  std::uint32_t size_;
  GuardedView& slot_;
};

// A free slot, claimed for [begin, end); null when all are taken.
GuardedView* ClaimSlot(std::uintptr_t begin, std::uintptr_t end) {
  for (GuardedView& view : gViews) {
    std::uintptr_t free = 0;
    if (!view.begin.compare_exchange_strong(free, 1, std::memory_order_acq_rel)) continue;
    view.end.store(end, std::memory_order_relaxed);
    view.begin.store(begin, std::memory_order_release);
    return &view;
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<WholeFile> MapWholeFile(HANDLE file, std::uint64_t size) {
  if (size == 0 || size > kMaxSourceBytes) return nullptr;
  InstallHandler();
  HANDLE own = nullptr;
  const HANDLE process = GetCurrentProcess();
  if (!DuplicateHandle(process, file, process, &own, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return nullptr;
  }
  const HANDLE mapping = CreateFileMappingW(own, nullptr, PAGE_READONLY, 0, 0, nullptr);
  void* view = mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
  if (mapping != nullptr) CloseHandle(mapping);  // the view keeps the mapping alive
  // The view must hold at least the bytes asked for: the file may have shrunk since.
  MEMORY_BASIC_INFORMATION region{};
  if (view != nullptr &&
      (VirtualQuery(view, &region, sizeof region) != sizeof region || region.RegionSize < size)) {
    UnmapViewOfFile(view);
    view = nullptr;
  }
  const auto begin = reinterpret_cast<std::uintptr_t>(view);
  GuardedView* slot = view != nullptr ? ClaimSlot(begin, begin + size) : nullptr;
  if (slot == nullptr) {
    if (view != nullptr) UnmapViewOfFile(view);
    CloseHandle(own);
    return nullptr;
  }
  try {
    return std::make_unique<MappedView>(own, static_cast<const std::uint8_t*>(view),
                                        static_cast<std::uint32_t>(size), *slot);
  } catch (const std::bad_alloc&) {
    slot->begin.store(0, std::memory_order_release);  // nothing read it yet: never lost
    UnmapViewOfFile(view);
    CloseHandle(own);
    return nullptr;
  }
}

}  // namespace tamro::platform::win32
