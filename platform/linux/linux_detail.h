// Building blocks of LinuxPlatform, one file each.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/types.h"

namespace platform::detail {

struct ProcessRecord {
  DWORD processId;
  DWORD parentProcessId;
  std::u16string exeFile;  // the kernel's name of the process (/proc/PID/comm)
};

// The live processes (zombies excluded); false when /proc cannot be read.
bool ReadProcessList(std::vector<ProcessRecord>& processes);

// Starts the program file at linuxPath detached from the caller: a new
// session, reparented away from the caller. True, with its pid, only once
// the exec has succeeded.
bool StartDetachedProcess(const std::string& linuxPath, bool inheritDescriptors, pid_t& pid);

}  // namespace platform::detail
