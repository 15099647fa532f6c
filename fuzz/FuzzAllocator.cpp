// Replaces the global operator new of every fuzz binary: a request above 256 MiB throws
// std::bad_alloc. Lengths that the archive format makes the library honour (a byte vector
// resized to the count it reads) then end in a clean allocation failure, while anything that
// allocates beyond what its input justifies shows up as a report. A target that must never
// allocate more than its input justifies sets a ceiling, above which a request fails the run.
#include <cstddef>
#include <cstdlib>
#include <new>

#include "FuzzSupport.h"

namespace {

constexpr std::size_t kLimit = std::size_t{256} << 20;

void* allocate(std::size_t size) {
  if (fuzz_support::allocationCeiling != 0 && size > fuzz_support::allocationCeiling) {
    fuzz_support::fail("an allocation beyond the ceiling the input justifies");
  }
  if (size > kLimit) throw std::bad_alloc();
  void* memory = std::malloc(size == 0 ? 1 : size);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

void* allocateNoThrow(std::size_t size) noexcept {
  if (size > kLimit) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

std::size_t fuzz_support::allocationCeiling = 0;

void* operator new(std::size_t size) {
  return allocate(size);
}
void* operator new[](std::size_t size) {
  return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocateNoThrow(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocateNoThrow(size);
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete[](void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
