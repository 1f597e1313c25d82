// The Linux implementation of the platform, with real files and processes.
#include "platform/linux_platform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "platform/path_mapping.h"
#include "test_support.h"

namespace relauncher_test {
namespace {

using namespace platform;

std::u16string ToController(const std::string& linuxPath) {
  std::u16string path;
  std::u16string converted;
  Utf8ToUtf16(linuxPath, converted);
  for (char16_t c : converted) path.push_back(c == u'/' ? u'\\' : c);
  return path;
}

// The snapshot's record of the process with this pid, if it is listed.
std::optional<PROCESSENTRY32W> FindInSnapshot(LinuxPlatform& os, pid_t pid) {
  std::optional<PROCESSENTRY32W> found;
  HANDLE snapshot = os.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = os.Process32First(snapshot, &entry); more && !found;
       more = os.Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID == static_cast<DWORD>(pid)) found = entry;
  }
  os.CloseToolhelp32Snapshot(snapshot);
  return found;
}

// A script that waits, once started, until its fifo "go" is released.
std::string WaitingScript(const std::string& dir, const std::string& name,
                          const std::string& firstCommands = "") {
  const std::string path = dir + "/" + name;
  mkfifo((dir + "/go").c_str(), 0600);
  WriteFile(path, "#!/bin/sh\n" + firstCommands + "read line < \"" + dir + "/go\" || :\n", 0755);
  return path;
}

TEST(LinuxPlatformTest, SnapshotListsRunningProcessesByFileNameAndNotEndedOnes) {
  LinuxPlatform os;
  TempDir dir;
  ChildProcess probe(WaitingScript(dir.path(), "rl-probe.exe"), dir.path());

  // The name changes to the script's at exec, so wait for it.
  ASSERT_TRUE(WaitUntil([&] {
    const auto entry = FindInSnapshot(os, probe.pid());
    return entry && std::u16string(entry->szExeFile) == u"rl-probe.exe";
  }));
  EXPECT_EQ(FindInSnapshot(os, probe.pid())->th32ParentProcessID, static_cast<DWORD>(getpid()));

  // Ended but not yet collected (a zombie): no longer listed.
  ASSERT_TRUE(ReleaseFifo(dir.path() + "/go"));
  EXPECT_TRUE(WaitUntil([&] { return !FindInSnapshot(os, probe.pid()); }));
  EXPECT_EQ(probe.WaitForExit(), 0);
}

TEST(LinuxPlatformTest, SnapshotWalkEndsAndBadUseIsRefused) {
  LinuxPlatform os;
  EXPECT_EQ(os.CreateToolhelp32Snapshot(0, 0), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(os.CloseToolhelp32Snapshot(INVALID_HANDLE_VALUE));

  HANDLE snapshot = os.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry - 1;
  EXPECT_FALSE(os.Process32First(snapshot, &entry));
  entry.dwSize = sizeof entry;
  ASSERT_TRUE(os.Process32First(snapshot, &entry));
  int listed = 1;
  while (os.Process32Next(snapshot, &entry)) ++listed;
  EXPECT_GE(listed, 1);
  EXPECT_FALSE(os.Process32Next(snapshot, &entry));
  EXPECT_FALSE(os.FindClose(snapshot));  // not a search handle
  EXPECT_TRUE(os.CloseToolhelp32Snapshot(snapshot));
  EXPECT_FALSE(os.CloseToolhelp32Snapshot(snapshot));
  EXPECT_FALSE(os.Process32First(snapshot, &entry));
}

TEST(LinuxPlatformTest, CreateProcessStartsDetachedProgramWithoutInheritedDescriptors) {
  LinuxPlatform os;
  TempDir dir;
  // A descriptor the relauncher would own, not marked close-on-exec.
  const int ownDescriptor = fcntl(STDERR_FILENO, F_DUPFD, 50);
  ASSERT_GE(ownDescriptor, 50);
  const std::string report = dir.path() + "/report";
  const std::string program =
      WaitingScript(dir.path(), "starter",
                    "fd=absent; [ -e /proc/$$/fd/" + std::to_string(ownDescriptor) +
                        " ] && fd=present\n" + "echo \"$$ $fd\" > \"" + report + ".tmp\" && mv \"" +
                        report + ".tmp\" \"" + report + "\"\n");

  PROCESS_INFORMATION info{};
  const std::u16string path = ToController(program);
  ASSERT_TRUE(os.CreateProcessW(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                nullptr, &info));
  close(ownDescriptor);
  ASSERT_TRUE(WaitUntil([&] { return Exists(report); }));
  EXPECT_EQ(ReadFile(report), std::to_string(info.dwProcessId) + " absent\n");
  const auto pid = static_cast<pid_t>(info.dwProcessId);
  EXPECT_NE(getsid(pid), getsid(0));
  const auto entry = FindInSnapshot(os, pid);
  ASSERT_TRUE(entry);
  EXPECT_NE(entry->th32ParentProcessID, static_cast<DWORD>(getpid()));

  ASSERT_TRUE(ReleaseFifo(dir.path() + "/go"));
  EXPECT_TRUE(WaitUntil([&] { return !FindInSnapshot(os, pid); }));
  EXPECT_TRUE(os.CloseHandle(info.hThread));
  EXPECT_TRUE(os.CloseHandle(info.hProcess));
  EXPECT_FALSE(os.CloseHandle(info.hProcess));
}

TEST(LinuxPlatformTest, CreateProcessFailsWhenNothingStarts) {
  LinuxPlatform os;
  TempDir dir;
  WriteFile(dir.path() + "/not-executable", "#!/bin/sh\n", 0644);
  WriteFile(dir.path() + "/not-a-program", "just text\n", 0755);
  WriteFile(dir.path() + "/bad-interpreter", "#!/nonexistent/sh\n", 0755);
  WriteFile(dir.path() + "/fine", "#!/bin/sh\n", 0755);
  mkdir((dir.path() + "/folder").c_str(), 0755);
  const std::u16string base = ToController(dir.path());
  WCHAR commandLine[] = u"fine";

  struct Case {
    const char* what;
    std::u16string path;
    WCHAR* commandLine;
  };
  const Case cases[] = {
      {"missing", base + u"\\missing", nullptr},
      {"not executable", base + u"\\not-executable", nullptr},
      {"not a program", base + u"\\not-a-program", nullptr},
      {"interpreter missing", base + u"\\bad-interpreter", nullptr},
      {"folder", base + u"\\folder", nullptr},
      {"relative path", u"fine", nullptr},
      {"Linux separator", base + u"/fine", nullptr},
      {"command line", base + u"\\fine", commandLine},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PROCESS_INFORMATION info{};
    EXPECT_FALSE(os.CreateProcessW(c.path.c_str(), c.commandLine, nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, nullptr, &info));
    EXPECT_EQ(info.hProcess, nullptr);
  }
  EXPECT_FALSE(os.CreateProcessW((base + u"\\fine").c_str(), nullptr, nullptr, nullptr, FALSE, 0,
                                 nullptr, nullptr, nullptr, nullptr));
}

// Restores the working directory the test changed.
class WorkingDirectoryGuard {
 public:
  WorkingDirectoryGuard() : saved_(std::filesystem::current_path()) {}
  ~WorkingDirectoryGuard() { std::filesystem::current_path(saved_); }

 private:
  std::filesystem::path saved_;
};

TEST(LinuxPlatformTest, CurrentDirectoryInControllerStyle) {
  LinuxPlatform os;
  TempDir dir;
  WorkingDirectoryGuard guard;
  const std::string folder = dir.path() + "/App/FB";
  std::filesystem::create_directories(folder);
  ASSERT_EQ(chdir(folder.c_str()), 0);

  const std::u16string expected = ToController(folder) + u"\\";
  WCHAR buffer[MAX_PATH];
  EXPECT_EQ(os.sorn_GetCurrentDirectoryW(buffer, MAX_PATH), expected.size());
  EXPECT_EQ(std::u16string(buffer), expected);

  // Too small: an empty string, and the size needed.
  const auto exact = static_cast<DWORD>(expected.size() + 1);
  EXPECT_EQ(os.sorn_GetCurrentDirectoryW(buffer, exact - 1), exact);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(os.sorn_GetCurrentDirectoryW(buffer, exact), exact - 1);

  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(os.sorn_GetCurrentDirectoryW(buffer, MAX_PATH), 1u);
  EXPECT_EQ(std::u16string(buffer), u"\\");
}

TEST(LinuxPlatformTest, FindFirstFileTakesThePathLiterally) {
  LinuxPlatform os;
  TempDir dir;
  WriteFile(dir.path() + "/Corvane.exe", "#!/bin/sh\n", 0755);
  mkdir((dir.path() + "/FB").c_str(), 0755);
  const std::u16string base = ToController(dir.path());

  WIN32_FIND_DATAW found{};
  HANDLE search = os.FindFirstFileW((base + u"\\Corvane.exe").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(std::u16string(found.cFileName), u"Corvane.exe");
  EXPECT_EQ(found.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
  EXPECT_FALSE(os.CloseHandle(search));  // not a process handle
  EXPECT_TRUE(os.FindClose(search));
  EXPECT_FALSE(os.FindClose(search));

  search = os.FindFirstFileW((base + u"\\FB").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(found.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  os.FindClose(search);

  for (const std::u16string& absent :
       {base + u"\\corvane.exe", base + u"\\Corv*.exe", base + u"\\FB\\", base + u"\\Missing.exe",
        std::u16string()}) {
    EXPECT_EQ(os.FindFirstFileW(absent.c_str(), &found), INVALID_HANDLE_VALUE);
  }
}

TEST(LinuxPlatformTest, SleepLastsAtLeastTheTimeAsked) {
  LinuxPlatform os;
  const auto start = std::chrono::steady_clock::now();
  os.Sleep(30);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, 30ms);
  EXPECT_LT(elapsed, 3s);
}

}  // namespace
}  // namespace relauncher_test
