// Replaces the C allocator and the global operator new/delete for the whole
// executable. All of it lives in this one translation unit: referencing
// host::AllocCounter pulls the replacements in from the static library.
#include "host/alloc_counter.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void __libc_free(void* pointer);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<std::size_t> allocations{0};

inline void Note() {
  if (counting.load(std::memory_order_relaxed)) {
    allocations.fetch_add(1, std::memory_order_relaxed);
  }
}

void* NewBytes(std::size_t size) {
  Note();
  if (size == 0) size = 1;
  for (;;) {
    if (void* pointer = __libc_malloc(size)) return pointer;
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

void* NewAligned(std::size_t size, std::align_val_t alignment) {
  Note();
  if (size == 0) size = 1;
  for (;;) {
    void* pointer = nullptr;
    // posix_memalign is glibc's own (not replaced here); free() accepts its blocks.
    if (posix_memalign(&pointer, static_cast<std::size_t>(alignment) < sizeof(void*)
                                     ? sizeof(void*)
                                     : static_cast<std::size_t>(alignment),
                       size) == 0) {
      return pointer;
    }
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

}  // namespace

namespace host {

void AllocCounter::Start() {
  allocations.store(0);
  counting.store(true);
}

std::size_t AllocCounter::Stop() {
  counting.store(false);
  return allocations.load();
}

std::size_t AllocCounter::Count() { return allocations.load(); }

void AllocCounter::Pause() { counting.store(false); }

void AllocCounter::Resume() { counting.store(true); }

}  // namespace host

// ---- C allocator -------------------------------------------------------
extern "C" {

void* malloc(std::size_t size) noexcept {
  Note();
  return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept {
  Note();
  return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size) noexcept {
  if (size != 0) Note();
  return __libc_realloc(pointer, size);
}

void free(void* pointer) noexcept { __libc_free(pointer); }

}  // extern "C"

// ---- replaceable global operator new / delete ---------------------------
void* operator new(std::size_t size) { return NewBytes(size); }
void* operator new[](std::size_t size) { return NewBytes(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return NewBytes(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return NewBytes(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return NewAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return NewAligned(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  try {
    return NewAligned(size, alignment);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, std::align_val_t alignment,
                     const std::nothrow_t&) noexcept {
  try {
    return NewAligned(size, alignment);
  } catch (...) {
    return nullptr;
  }
}

void operator delete(void* pointer) noexcept { __libc_free(pointer); }
void operator delete[](void* pointer) noexcept { __libc_free(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { __libc_free(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { __libc_free(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { __libc_free(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { __libc_free(pointer); }
void operator delete(void* pointer, std::align_val_t) noexcept { __libc_free(pointer); }
void operator delete[](void* pointer, std::align_val_t) noexcept { __libc_free(pointer); }
void operator delete(void* pointer, std::size_t, std::align_val_t) noexcept {
  __libc_free(pointer);
}
void operator delete[](void* pointer, std::size_t, std::align_val_t) noexcept {
  __libc_free(pointer);
}
void operator delete(void* pointer, std::align_val_t, const std::nothrow_t&) noexcept {
  __libc_free(pointer);
}
void operator delete[](void* pointer, std::align_val_t, const std::nothrow_t&) noexcept {
  __libc_free(pointer);
}
