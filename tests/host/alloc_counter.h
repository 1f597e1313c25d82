// Test host: counts heap allocations of the whole process, plug-ins included.
//
// Linking the static library rio_alloc_counter replaces malloc, calloc,
// realloc and free (forwarding to glibc's __libc_* entry points) and every
// replaceable global operator new/new[]/delete. The replacements are exported
// from the executable (see CMakeLists.txt), so a dlopen'ed plug-in's malloc
// and operator new calls are counted too. Not available in the sanitizer build
// (RIO_SANITIZE), whose runtime owns malloc: guard such tests with
// if(NOT RIO_SANITIZE) in CMake.
//
//   host::AllocCounter::Start();
//   module->RecordScan();                        // direct calls: everything counts
//   EXPECT_EQ(host::AllocCounter::Stop(), 0u);
//
// A ScanRunner allocates for its own records (strings, vectors); to count only
// the plug-in's allocations during a scan, let the runner switch counting on
// around each call into the plug-in:
//   runner.SetPluginCallHooks(&host::AllocCounter::Resume, &host::AllocCounter::Pause);
//   host::AllocCounter::Start();
//   host::AllocCounter::Pause();
//   runner.Scan(*module, bus);
//   EXPECT_EQ(host::AllocCounter::Stop(), 0u);
//   runner.SetPluginCallHooks(nullptr, nullptr);
//
// Counted while started: malloc, calloc, realloc with a non-zero size, and
// each operator new/new[] (not the malloc underneath it). free/delete are not
// counted. Counting is process-wide (atomics): allocations of other threads
// are counted too. Start/Stop do not nest.
#pragma once

#include <cstddef>

namespace host {

class AllocCounter {
 public:
  static void Start();        // resets the count and starts counting
  static std::size_t Stop();  // stops counting; returns the allocations counted
  static std::size_t Count(); // the count so far
  static void Pause();        // stops counting, keeps the count
  static void Resume();       // counts again, adding to the count
};

}  // namespace host
