#include "relauncher.h"

#include <algorithm>

#include "platform/wide_string.h"

namespace relauncher {
namespace {

using platform::BOOL;
using platform::DWORD;
using platform::FALSE;
using platform::HANDLE;
using platform::INVALID_HANDLE_VALUE;
using platform::MAX_PATH;
using platform::Platform;
using platform::PROCESS_INFORMATION;
using platform::PROCESSENTRY32W;
using platform::TH32CS_SNAPPROCESS;
using platform::WCHAR;
using platform::wcscat;
using platform::wcscmp;
using platform::wcslen;
using platform::wcsstr;
using platform::WIN32_FIND_DATAW;

// The runtime's process name, and the file name of its executable.
const WCHAR kRuntimeExecutable[] = u"Corvane.exe";
// The relauncher runs in (or below) the application's FB folder; the
// runtime's executable lives in the folder that holds it.
const WCHAR kFolderMarker[] = u"FB\\";

constexpr DWORD kProcessLookIntervalMs = 10;
constexpr DWORD kStartRetryIntervalMs = 100;

// One look at the process list. A snapshot that cannot be taken or read
// counts as the runtime not running.
bool IsRuntimeRunning(Platform& os) {
  bool found = false;
  HANDLE snapshot = os.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    BOOL more = os.Process32First(snapshot, &entry);
    while (more && !found) {
      found = wcscmp(entry.szExeFile, kRuntimeExecutable) == 0;
      if (!found) more = os.Process32Next(snapshot, &entry);
    }
  }
  // Released on every path; after a failed snapshot the call merely refuses
  // the invalid handle.
  os.CloseToolhelp32Snapshot(snapshot);
  return found;
}

// No time limit: the runtime may run for as long as it likes. Every look is
// followed by a sleep, the last one too.
void WaitForRuntimeToEnd(Platform& os) {
  bool running = true;
  while (running) {
    running = IsRuntimeRunning(os);
    os.Sleep(kProcessLookIntervalMs);
  }
}

// \Flash\App\FB\ gives \Flash\App\Corvane.exe: the text is cut at the first
// "FB\" (also one ending a longer folder name such as MyFB\) and the
// executable's name appended. False when the current directory has no
// marker or the result would not fit in the buffer.
bool BuildRuntimePath(Platform& os, WCHAR (&path)[MAX_PATH]) {
  std::fill(path, path + MAX_PATH, WCHAR{0});
  os.sorn_GetCurrentDirectoryW(path, MAX_PATH);
  path[MAX_PATH - 1] = 0;  // terminated even if the directory filled the buffer
  WCHAR* marker = wcsstr(path, kFolderMarker);
  if (marker == nullptr) return false;
  *marker = 0;
  if (wcslen(path) + wcslen(kRuntimeExecutable) >= MAX_PATH) return false;
  wcscat(path, kRuntimeExecutable);
  return true;
}

bool FileExists(Platform& os, const WCHAR* path) {
  WIN32_FIND_DATAW findData{};
  HANDLE search = os.FindFirstFileW(path, &findData);
  if (search == INVALID_HANDLE_VALUE) return false;
  os.FindClose(search);
  return true;
}

// Retries without limit: the executable is there, so a failure is taken to
// be passing.
void StartRuntime(Platform& os, const WCHAR* path) {
  for (;;) {
    PROCESS_INFORMATION processInformation{};
    if (os.CreateProcessW(path, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                          &processInformation)) {
      // The runtime runs on its own; nothing here waits for or watches it.
      os.CloseHandle(processInformation.hThread);
      os.CloseHandle(processInformation.hProcess);
      return;
    }
    os.Sleep(kStartRetryIntervalMs);
  }
}

}  // namespace

int RunRelauncher(Platform& os) {
  WaitForRuntimeToEnd(os);
  WCHAR path[MAX_PATH];
  if (!BuildRuntimePath(os, path) || !FileExists(os, path)) return 0;
  StartRuntime(os, path);
  return 0;
}

}  // namespace relauncher
