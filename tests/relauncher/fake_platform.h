// A scripted platform for the relauncher's logic: process lists per look,
// a current directory, the files that exist and how often starting fails.
// Every call is logged in order; handles are tracked so that leaks and
// wrong closes show up.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace relauncher_test {

using namespace platform;

// ASCII only; enough for the names and paths of these tests.
inline std::string Narrow(const std::u16string& text) {
  return std::string(text.begin(), text.end());
}

struct FakeProcess {
  DWORD id;
  std::u16string name;
};

struct Look {
  enum Failure { None, Snapshot, FirstRecord };
  std::vector<FakeProcess> processes;
  Failure failure = None;
};

class FakePlatform final : public Platform {
 public:
  // One entry per look at the process list; after the last, the list holds
  // only processes that are not the runtime.
  std::deque<Look> looks;
  std::u16string currentDirectory = u"\\Flash\\App\\FB\\";
  std::set<std::u16string> files = {u"\\Flash\\App\\Corvane.exe"};
  int startFailures = 0;  // CreateProcessW fails this many times, then succeeds

  std::vector<std::string> log;
  std::set<HANDLE> openHandles;
  bool startArgumentsWereDefaults = false;

  HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override {
    Record("CreateToolhelp32Snapshot");
    current_ = looks.empty() ? Look{{{1, u"init"}}} : looks.front();
    if (!looks.empty()) looks.pop_front();
    if (flags != TH32CS_SNAPPROCESS || processId != 0 || current_.failure == Look::Snapshot) {
      return INVALID_HANDLE_VALUE;
    }
    next_ = 0;
    return Open(0x100);
  }
  BOOL Process32First(HANDLE snapshot, PROCESSENTRY32W* entry) override {
    Record("Process32First");
    next_ = 0;
    if (current_.failure == Look::FirstRecord) return FALSE;
    return Fill(snapshot, entry);
  }
  BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32W* entry) override {
    Record("Process32Next");
    return Fill(snapshot, entry);
  }
  BOOL CloseToolhelp32Snapshot(HANDLE snapshot) override {
    return Close("CloseToolhelp32Snapshot", snapshot, 0x100);
  }
  void Sleep(DWORD milliseconds) override { Record("Sleep " + std::to_string(milliseconds)); }
  DWORD sorn_GetCurrentDirectoryW(WCHAR* buffer, DWORD size) override {
    Record("sorn_GetCurrentDirectoryW " + std::to_string(size));
    // Like a careless implementation: fills the buffer, terminates only if room.
    const std::size_t length = std::min<std::size_t>(currentDirectory.size(), size);
    currentDirectory.copy(buffer, length);
    if (length < size) buffer[length] = 0;
    return static_cast<DWORD>(length);
  }
  HANDLE FindFirstFileW(const WCHAR* path, WIN32_FIND_DATAW* findData) override {
    Record("FindFirstFileW " + Narrow(path));
    if (findData == nullptr || files.count(path) == 0) return INVALID_HANDLE_VALUE;
    return Open(0x200);
  }
  BOOL FindClose(HANDLE search) override { return Close("FindClose", search, 0x200); }
  BOOL CreateProcessW(const WCHAR* applicationName, WCHAR* commandLine,
                      SECURITY_ATTRIBUTES* processAttributes, SECURITY_ATTRIBUTES* threadAttributes,
                      BOOL inheritHandles, DWORD creationFlags, void* environment,
                      const WCHAR* currentDirectoryArg, STARTUPINFOW* startupInfo,
                      PROCESS_INFORMATION* processInformation) override {
    Record("CreateProcessW " + Narrow(applicationName));
    startArgumentsWereDefaults =
        commandLine == nullptr && processAttributes == nullptr && threadAttributes == nullptr &&
        inheritHandles == FALSE && creationFlags == 0 && environment == nullptr &&
        currentDirectoryArg == nullptr && startupInfo == nullptr && processInformation != nullptr;
    if (startFailures > 0) {
      --startFailures;
      return FALSE;
    }
    processInformation->hProcess = Open(0x300);
    processInformation->hThread = Open(0x400);
    return TRUE;
  }
  BOOL CloseHandle(HANDLE object) override {
    return Close(object == Handle(0x300) ? "CloseHandle process" : "CloseHandle thread", object,
                 object == Handle(0x300) ? 0x300 : 0x400);
  }

 private:
  static HANDLE Handle(std::uintptr_t value) { return reinterpret_cast<HANDLE>(value); }

  void Record(std::string call) {
    // A relauncher that loops for ever must not hang the test run.
    if (log.size() > 10000) throw std::runtime_error("relauncher does not stop");
    log.push_back(std::move(call));
  }
  HANDLE Open(std::uintptr_t value) {
    openHandles.insert(Handle(value));
    return Handle(value);
  }
  BOOL Close(const std::string& call, HANDLE handle, std::uintptr_t expected) {
    if (handle == Handle(expected) && openHandles.erase(handle) == 1) {
      Record(call);
      return TRUE;
    }
    Record(call + (handle == INVALID_HANDLE_VALUE ? " INVALID_HANDLE_VALUE" : " bad handle"));
    return FALSE;
  }
  BOOL Fill(HANDLE snapshot, PROCESSENTRY32W* entry) {
    if (snapshot != Handle(0x100) || entry->dwSize != sizeof(PROCESSENTRY32W) ||
        next_ >= current_.processes.size()) {
      return FALSE;
    }
    const FakeProcess& process = current_.processes[next_++];
    entry->th32ProcessID = process.id;
    process.name.copy(entry->szExeFile, process.name.size());
    entry->szExeFile[process.name.size()] = 0;
    return TRUE;
  }

  Look current_;
  std::size_t next_ = 0;
};

}  // namespace relauncher_test
