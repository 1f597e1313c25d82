#include "platform/linux_platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>
#include <vector>

#include "linux_detail.h"
#include "platform/path_mapping.h"

namespace platform {

enum class LinuxPlatform::ObjectKind { Snapshot, Search, Process, Thread };

// What a handle stands for.
struct LinuxPlatform::Object {
  ObjectKind kind;
  std::vector<detail::ProcessRecord> processes;  // Snapshot: the processes listed
  std::size_t nextProcess = 0;                   // Snapshot: next one to return
};

namespace {

// Handles are small multiples of 4, never 0 or INVALID_HANDLE_VALUE.
constexpr std::uintptr_t kFirstHandle = 4;
constexpr std::uintptr_t kHandleStep = 4;
constexpr std::size_t kLongestWorkingDirectory = 1 << 20;

// Copies text into a fixed field, cut to fit and always NUL-terminated.
template <std::size_t N>
void CopyToField(const std::u16string& text, WCHAR (&field)[N]) {
  const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
  text.copy(field, length);
  field[length] = 0;
}

bool ReadWorkingDirectory(std::string& directory) {
  for (std::size_t size = 256; size <= kLongestWorkingDirectory; size *= 2) {
    std::vector<char> buffer(size);
    if (getcwd(buffer.data(), buffer.size()) != nullptr) {
      directory = buffer.data();
      return true;
    }
    if (errno != ERANGE) return false;
  }
  return false;
}

}  // namespace

LinuxPlatform::LinuxPlatform() : nextHandle_(kFirstHandle) {}
LinuxPlatform::~LinuxPlatform() = default;

HANDLE LinuxPlatform::Store(std::unique_ptr<Object> object) {
  const std::uintptr_t key = nextHandle_;
  nextHandle_ += kHandleStep;
  objects_.emplace(key, std::move(object));
  return reinterpret_cast<HANDLE>(key);
}

LinuxPlatform::Object* LinuxPlatform::Lookup(HANDLE handle, ObjectKind kind) {
  const auto found = objects_.find(reinterpret_cast<std::uintptr_t>(handle));
  if (found == objects_.end() || found->second->kind != kind) return nullptr;
  return found->second.get();
}

BOOL LinuxPlatform::Release(HANDLE handle, ObjectKind kind) {
  if (Lookup(handle, kind) == nullptr) return FALSE;
  objects_.erase(reinterpret_cast<std::uintptr_t>(handle));
  return TRUE;
}

HANDLE LinuxPlatform::CreateToolhelp32Snapshot(DWORD flags, DWORD /*processId*/) {
  if ((flags & TH32CS_SNAPPROCESS) == 0) return INVALID_HANDLE_VALUE;
  auto snapshot = std::make_unique<Object>();
  snapshot->kind = ObjectKind::Snapshot;
  if (!detail::ReadProcessList(snapshot->processes)) return INVALID_HANDLE_VALUE;
  return Store(std::move(snapshot));
}

BOOL LinuxPlatform::Process32First(HANDLE snapshot, PROCESSENTRY32W* entry) {
  Object* object = Lookup(snapshot, ObjectKind::Snapshot);
  if (object == nullptr) return FALSE;
  object->nextProcess = 0;
  return Process32Next(snapshot, entry);
}

BOOL LinuxPlatform::Process32Next(HANDLE snapshot, PROCESSENTRY32W* entry) {
  Object* object = Lookup(snapshot, ObjectKind::Snapshot);
  if (object == nullptr || entry == nullptr || entry->dwSize != sizeof(PROCESSENTRY32W) ||
      object->nextProcess >= object->processes.size()) {
    return FALSE;
  }
  const detail::ProcessRecord& process = object->processes[object->nextProcess++];
  entry->th32ProcessID = process.processId;
  entry->th32ParentProcessID = process.parentProcessId;
  CopyToField(process.exeFile, entry->szExeFile);
  return TRUE;
}

BOOL LinuxPlatform::CloseToolhelp32Snapshot(HANDLE snapshot) {
  return Release(snapshot, ObjectKind::Snapshot);
}

void LinuxPlatform::Sleep(DWORD milliseconds) {
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

DWORD LinuxPlatform::sorn_GetCurrentDirectoryW(WCHAR* buffer, DWORD size) {
  if (buffer == nullptr) return 0;
  if (size > 0) buffer[0] = 0;
  std::string linuxDirectory;
  std::u16string directory;
  if (!ReadWorkingDirectory(linuxDirectory) ||
      !LinuxDirectoryToControllerPath(linuxDirectory, directory)) {
    return 0;
  }
  const auto needed = static_cast<DWORD>(directory.size() + 1);
  if (needed > size) return needed;
  directory.copy(buffer, directory.size());
  buffer[directory.size()] = 0;
  return needed - 1;
}

HANDLE LinuxPlatform::FindFirstFileW(const WCHAR* path, WIN32_FIND_DATAW* findData) {
  if (path == nullptr || findData == nullptr) return INVALID_HANDLE_VALUE;
  // The path names one file, taken literally ("*" and "?" match only
  // themselves); a path ending in a separator names no file.
  const std::u16string controllerPath(path);
  std::string linuxPath;
  struct stat info {};
  if (controllerPath.empty() || controllerPath.back() == u'\\' ||
      !ControllerPathToLinuxPath(controllerPath, linuxPath) ||
      stat(linuxPath.c_str(), &info) != 0) {
    return INVALID_HANDLE_VALUE;
  }
  findData->dwFileAttributes =
      S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  CopyToField(controllerPath.substr(controllerPath.rfind(u'\\') + 1), findData->cFileName);
  auto search = std::make_unique<Object>();
  search->kind = ObjectKind::Search;
  return Store(std::move(search));
}

BOOL LinuxPlatform::FindClose(HANDLE search) { return Release(search, ObjectKind::Search); }

BOOL LinuxPlatform::CreateProcessW(const WCHAR* applicationName, WCHAR* commandLine,
                                   SECURITY_ATTRIBUTES* processAttributes,
                                   SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles,
                                   DWORD creationFlags, void* environment,
                                   const WCHAR* currentDirectory, STARTUPINFOW* startupInfo,
                                   PROCESS_INFORMATION* processInformation) {
  const bool unsupported = commandLine != nullptr || processAttributes != nullptr ||
                           threadAttributes != nullptr || creationFlags != 0 ||
                           environment != nullptr || currentDirectory != nullptr ||
                           startupInfo != nullptr;
  std::string linuxPath;
  pid_t pid = 0;
  if (applicationName == nullptr || processInformation == nullptr || unsupported ||
      !ControllerPathToLinuxPath(applicationName, linuxPath) ||
      !detail::StartDetachedProcess(linuxPath, inheritHandles != FALSE, pid)) {
    return FALSE;
  }
  auto process = std::make_unique<Object>();
  process->kind = ObjectKind::Process;
  auto thread = std::make_unique<Object>();
  thread->kind = ObjectKind::Thread;
  processInformation->hProcess = Store(std::move(process));
  processInformation->hThread = Store(std::move(thread));
  // The main thread of a Linux process carries the process's id.
  processInformation->dwProcessId = static_cast<DWORD>(pid);
  processInformation->dwThreadId = static_cast<DWORD>(pid);
  return TRUE;
}

BOOL LinuxPlatform::CloseHandle(HANDLE object) {
  return Release(object, ObjectKind::Process) || Release(object, ObjectKind::Thread) ? TRUE : FALSE;
}

}  // namespace platform
