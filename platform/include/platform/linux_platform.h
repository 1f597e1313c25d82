// The platform operations on Linux. Processes come from /proc, paths map as
// described in path_mapping.h. Handles are entries of a table owned by the
// object; a handle that is not in the table is refused, never dereferenced.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "platform/platform.h"

namespace platform {

class LinuxPlatform final : public Platform {
 public:
  LinuxPlatform();
  ~LinuxPlatform() override;
  LinuxPlatform(const LinuxPlatform&) = delete;
  LinuxPlatform& operator=(const LinuxPlatform&) = delete;

  HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override;
  BOOL Process32First(HANDLE snapshot, PROCESSENTRY32W* entry) override;
  BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32W* entry) override;
  BOOL CloseToolhelp32Snapshot(HANDLE snapshot) override;
  void Sleep(DWORD milliseconds) override;
  DWORD sorn_GetCurrentDirectoryW(WCHAR* buffer, DWORD size) override;
  HANDLE FindFirstFileW(const WCHAR* path, WIN32_FIND_DATAW* findData) override;
  BOOL FindClose(HANDLE search) override;
  // Supported: applicationName only (no command line, attributes, creation
  // flags, environment block, directory or start-up information; anything
  // else is refused). The program runs with the caller's environment and
  // working directory, in a session of its own, and is not the caller's
  // child. inheritHandles FALSE: it gets no descriptors but 0, 1 and 2.
  BOOL CreateProcessW(const WCHAR* applicationName, WCHAR* commandLine,
                      SECURITY_ATTRIBUTES* processAttributes, SECURITY_ATTRIBUTES* threadAttributes,
                      BOOL inheritHandles, DWORD creationFlags, void* environment,
                      const WCHAR* currentDirectory, STARTUPINFOW* startupInfo,
                      PROCESS_INFORMATION* processInformation) override;
  BOOL CloseHandle(HANDLE object) override;

 private:
  enum class ObjectKind;
  struct Object;

  HANDLE Store(std::unique_ptr<Object> object);
  // The object behind handle if it is of that kind, else null.
  Object* Lookup(HANDLE handle, ObjectKind kind);
  BOOL Release(HANDLE handle, ObjectKind kind);

  std::map<std::uintptr_t, std::unique_ptr<Object>> objects_;
  std::uintptr_t nextHandle_;
};

}  // namespace platform
