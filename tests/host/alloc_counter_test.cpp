// Self-test of the process-wide allocation counter (not in sanitizer builds).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "host/alloc_counter.h"

namespace {

// Opaque to the optimiser, so that allocations are not elided.
void* volatile sink;

TEST(HostAllocCounter, CountsEveryAllocator) {
  host::AllocCounter::Start();
  EXPECT_EQ(host::AllocCounter::Count(), 0u);
  sink = std::malloc(10);
  std::free(sink);
  sink = std::calloc(2, 8);
  sink = std::realloc(sink, 100);
  std::free(sink);
  auto* one = new int(3);
  sink = one;
  delete one;
  auto* many = new int[7];
  sink = many;
  delete[] many;
  const std::size_t count = host::AllocCounter::Stop();
  EXPECT_EQ(count, 5u);
  sink = std::malloc(1);  // not counted after Stop
  std::free(sink);
  EXPECT_EQ(host::AllocCounter::Count(), 5u);
}

TEST(HostAllocCounter, CountsAllocationsInsideSharedLibraries) {
  host::AllocCounter::Start();
  char* copy = strdup("through the C library's own malloc call");
  const std::size_t count = host::AllocCounter::Stop();
  sink = copy;
  std::free(copy);
  EXPECT_GE(count, 1u);
}

TEST(HostAllocCounter, NothingCountedWhenNothingAllocates) {
  char buffer[32];
  host::AllocCounter::Start();
  std::memset(buffer, 'x', sizeof buffer);
  sink = buffer;
  EXPECT_EQ(host::AllocCounter::Stop(), 0u);
}

}  // namespace
