// The replaceable global allocation functions of a test program, so that a test
// can watch or fail its allocations: each allocation calls
// tamro::test::BeforeAllocation(size) first, which the including test defines
// (and which may throw std::bad_alloc), then malloc. Include in one file of a
// program only. The array forms are replaced too: a sanitizer runtime brings its
// own. GCC's mismatch warning does not know that these are the program's own pair.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

namespace tamro::test {
void BeforeAllocation(std::size_t size);
}  // namespace tamro::test

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  tamro::test::BeforeAllocation(size);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void* operator new[](std::size_t size) {
  return ::operator new(size);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
#pragma GCC diagnostic pop
