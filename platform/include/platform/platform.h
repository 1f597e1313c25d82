// The system operations the relauncher needs, under their controller names.
// One implementation per operating system (LinuxPlatform here); tests supply
// fakes. An implementation serves one thread at a time.
#pragma once

#include "platform/types.h"

namespace platform {

class Platform {
 public:
  virtual ~Platform() = default;

  // Snapshot of the running processes; INVALID_HANDLE_VALUE on failure.
  // flags must contain TH32CS_SNAPPROCESS; processId is ignored.
  virtual HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) = 0;
  // Fill *entry with the first / next process of the snapshot; FALSE at the
  // end of the list, for a bad handle, or when entry->dwSize is wrong.
  virtual BOOL Process32First(HANDLE snapshot, PROCESSENTRY32W* entry) = 0;
  virtual BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32W* entry) = 0;
  // FALSE for a handle that is not an open snapshot (INVALID_HANDLE_VALUE too).
  virtual BOOL CloseToolhelp32Snapshot(HANDLE snapshot) = 0;

  virtual void Sleep(DWORD milliseconds) = 0;

  // Writes the calling program's directory into buffer (size wide
  // characters): a NUL-terminated path with a trailing backslash. Returns its
  // length without the NUL; when it does not fit, leaves an empty string and
  // returns the size needed (NUL included); 0 on failure.
  virtual DWORD sorn_GetCurrentDirectoryW(WCHAR* buffer, DWORD size) = 0;

  // Looks for the file named by path. A search handle that the caller closes
  // with FindClose, or INVALID_HANDLE_VALUE when no file matches.
  virtual HANDLE FindFirstFileW(const WCHAR* path, WIN32_FIND_DATAW* findData) = 0;
  virtual BOOL FindClose(HANDLE search) = 0;

  // Starts the program file applicationName as a process of its own, which
  // outlives the caller. Non-zero only when the program really started.
  virtual BOOL CreateProcessW(const WCHAR* applicationName, WCHAR* commandLine,
                              SECURITY_ATTRIBUTES* processAttributes,
                              SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles,
                              DWORD creationFlags, void* environment, const WCHAR* currentDirectory,
                              STARTUPINFOW* startupInfo,
                              PROCESS_INFORMATION* processInformation) = 0;
  // Releases a process or thread handle from CreateProcessW.
  virtual BOOL CloseHandle(HANDLE object) = 0;
};

}  // namespace platform
