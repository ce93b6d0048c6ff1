// SPDX-License-Identifier: MIT
// The program's global operator new: a request that cannot be met is a fatal error that names
// the number of bytes asked for. Linked into the tavrel executable only.
#include "app/program_memory.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "app/fatal_error.h"

namespace {

// Enough for the toolkit to build and show the report box after memory has run out.
constexpr std::size_t kReserveBytes = std::size_t{16} << 20;
std::atomic<void*> g_reserve{nullptr};

[[noreturn]] void out_of_memory(std::size_t bytes) {
  std::free(g_reserve.exchange(nullptr));
  tavrel::app::fatal_out_of_memory(bytes);
}

void* allocate(std::size_t bytes) noexcept {
  return std::malloc(bytes == 0 ? 1 : bytes);
}

// Over-aligned memory from malloc, which every platform's C library has: the block is placed on
// its alignment inside a larger one, and the pointer malloc gave is kept just below it.
void* allocate(std::size_t bytes, std::align_val_t alignment) noexcept {
  std::size_t align = static_cast<std::size_t>(alignment);
  if (align < sizeof(void*)) align = sizeof(void*);
  if (bytes > SIZE_MAX - align - sizeof(void*)) return nullptr;
  void* raw = std::malloc(bytes + align + sizeof(void*));
  if (raw == nullptr) return nullptr;
  const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(raw) + sizeof(void*);
  const std::uintptr_t aligned = (start + align - 1) & ~static_cast<std::uintptr_t>(align - 1);
  reinterpret_cast<void**>(aligned)[-1] = raw;
  return reinterpret_cast<void*>(aligned);
}

void free_aligned(void* p) noexcept {
  if (p != nullptr) std::free(static_cast<void**>(p)[-1]);
}

}  // namespace

namespace tavrel::app {

void reserve_memory_for_report() {
  void* expected = nullptr;
  void* reserve = std::malloc(kReserveBytes);
  if (!g_reserve.compare_exchange_strong(expected, reserve)) std::free(reserve);
}

}  // namespace tavrel::app

void* operator new(std::size_t bytes) {
  if (void* p = allocate(bytes)) return p;
  out_of_memory(bytes);
}

void* operator new[](std::size_t bytes) {
  return ::operator new(bytes);
}

void* operator new(std::size_t bytes, std::align_val_t alignment) {
  if (void* p = allocate(bytes, alignment)) return p;
  out_of_memory(bytes);
}

void* operator new[](std::size_t bytes, std::align_val_t alignment) {
  return ::operator new(bytes, alignment);
}

// The nothrow forms keep their promise to return null: their callers deal with the failure.
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return allocate(bytes);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
  return allocate(bytes);
}
void* operator new(std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocate(bytes, alignment);
}
void* operator new[](std::size_t bytes, std::align_val_t alignment,
                     const std::nothrow_t&) noexcept {
  return allocate(bytes, alignment);
}

void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  free_aligned(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  free_aligned(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  free_aligned(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  free_aligned(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  free_aligned(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  free_aligned(p);
}
