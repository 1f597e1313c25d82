// The process list, read from /proc. A process is listed under the name the
// kernel gives it (/proc/PID/comm): the executable's file name, at most 15
// bytes, and for a script the script's own name rather than its
// interpreter's.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "linux_detail.h"
#include "platform/path_mapping.h"

namespace platform::detail {
namespace {

bool ParseProcessId(const char* text, DWORD& processId) {
  if (*text == 0) return false;
  std::uint64_t value = 0;
  for (; *text != 0; ++text) {
    if (*text < '0' || *text > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(*text - '0');
    if (value > 0xFFFFFFFFu) return false;
  }
  processId = static_cast<DWORD>(value);
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::string text;
  char chunk[512];
  ssize_t got = 0;
  while ((got = read(fd, chunk, sizeof chunk)) > 0 || (got < 0 && errno == EINTR)) {
    if (got > 0) text.append(chunk, static_cast<std::size_t>(got));
  }
  close(fd);
  if (got < 0) return false;
  contents = std::move(text);
  return true;
}

// /proc/PID/stat reads "PID (name) STATE PPID ..."; the name may itself hold
// spaces and parentheses, so the fields are found after the last ')'.
bool ReadStateAndParent(const std::string& processDir, char& state, DWORD& parentProcessId) {
  std::string stat;
  if (!ReadWholeFile(processDir + "/stat", stat)) return false;
  const std::size_t nameEnd = stat.rfind(')');
  if (nameEnd == std::string::npos || nameEnd + 4 >= stat.size()) return false;
  state = stat[nameEnd + 2];
  std::size_t parentEnd = stat.find(' ', nameEnd + 4);
  if (parentEnd == std::string::npos) parentEnd = stat.size();
  return ParseProcessId(stat.substr(nameEnd + 4, parentEnd - nameEnd - 4).c_str(), parentProcessId);
}

// A process that has ended but not been collected by its parent (zombie) or
// is being torn down no longer runs, so it is left out.
bool HasEnded(char state) { return state == 'Z' || state == 'X' || state == 'x'; }

}  // namespace

bool ReadProcessList(std::vector<ProcessRecord>& processes) {
  std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
  if (!proc) return false;
  std::vector<ProcessRecord> found;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(proc.get());
    if (entry == nullptr) {
      if (errno != 0) return false;
      break;
    }
    ProcessRecord record{};
    if (!ParseProcessId(entry->d_name, record.processId)) continue;
    // Processes may end while the list is read; those are skipped.
    const std::string processDir = std::string("/proc/") + entry->d_name;
    char state = 0;
    std::string name;
    if (!ReadStateAndParent(processDir, state, record.parentProcessId) || HasEnded(state) ||
        !ReadWholeFile(processDir + "/comm", name)) {
      continue;
    }
    if (!name.empty() && name.back() == '\n') name.pop_back();
    record.exeFile = Utf8ToUtf16Lossy(name);
    found.push_back(std::move(record));
  }
  processes = std::move(found);
  return true;
}

}  // namespace platform::detail
