// Types, constants and records of the controller's system interface, as the
// relauncher uses them. The layout follows the controller's conventions:
// 16-bit wide characters, 32-bit DWORDs, opaque pointer-sized handles.
#pragma once

#include <cstdint>

namespace platform {

using WCHAR = char16_t;  // one UTF-16 code unit, also where wchar_t is 32-bit
using DWORD = std::uint32_t;
using BOOL = int;
using HANDLE = void*;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

// Longest path in wide characters, terminating NUL included.
constexpr DWORD MAX_PATH = 260;

// CreateToolhelp32Snapshot: include the processes of the system.
constexpr DWORD TH32CS_SNAPPROCESS = 2;

// Returned by the operations that create handles when they fail.
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// One process of a snapshot. The caller sets dwSize to sizeof the record
// before the first Process32First; szExeFile is the executable-file name
// without folder, NUL-terminated.
struct PROCESSENTRY32W {
  DWORD dwSize;
  DWORD th32ProcessID;
  DWORD th32ParentProcessID;
  WCHAR szExeFile[MAX_PATH];
};

// What FindFirstFileW reports about the file it found.
struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  WCHAR cFileName[MAX_PATH];  // name without folder
};

// Filled by CreateProcessW; both handles belong to the caller, who closes
// them with CloseHandle.
struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};

// Only ever passed as null by this system.
struct SECURITY_ATTRIBUTES;
struct STARTUPINFOW;

}  // namespace platform
