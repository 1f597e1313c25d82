// The relauncher's logic against a scripted platform.
#include "relauncher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_platform.h"

namespace relauncher_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Part of a call log, clamped to what is there, so a short log fails the
// comparison instead of the test crashing.
std::vector<std::string> Calls(const std::vector<std::string>& log, std::size_t from,
                               std::size_t count) {
  from = std::min(from, log.size());
  return std::vector<std::string>(log.begin() + from,
                                  log.begin() + std::min(log.size(), from + count));
}
std::vector<std::string> LastCalls(const std::vector<std::string>& log, std::size_t count) {
  return Calls(log, log.size() - std::min(count, log.size()), count);
}

const std::vector<FakeProcess> kOthers = {{1, u"init"}, {7, u"shell.exe"}};
const std::vector<FakeProcess> kWithRuntime = {
    {1, u"init"}, {42, u"Corvane.exe"}, {50, u"late.exe"}};

class RelauncherTest : public ::testing::Test {
 protected:
  int Run() { return relauncher::RunRelauncher(os); }
  long Count(const std::string& call) const {
    return std::count(os.log.begin(), os.log.end(), call);
  }
  bool Started() const {
    return std::any_of(os.log.begin(), os.log.end(), [](const std::string& call) {
      return call.rfind("CreateProcessW", 0) == 0;
    });
  }
  void TearDown() override { EXPECT_THAT(os.openHandles, IsEmpty()) << "handle left open"; }

  FakePlatform os;
};

TEST_F(RelauncherTest, RuntimeNotRunningAtStartIsStartedAfterOneLookAndOneSleep) {
  os.looks = {{kOthers}};
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(os.log, ElementsAre("CreateToolhelp32Snapshot", "Process32First", "Process32Next",
                                  "Process32Next", "CloseToolhelp32Snapshot", "Sleep 10",
                                  "sorn_GetCurrentDirectoryW 260",
                                  "FindFirstFileW \\Flash\\App\\Corvane.exe", "FindClose",
                                  "CreateProcessW \\Flash\\App\\Corvane.exe", "CloseHandle thread",
                                  "CloseHandle process"));
  EXPECT_TRUE(os.startArgumentsWereDefaults);
}

TEST_F(RelauncherTest, WaitsWhileRuntimeRunsAndStopsWalkingAtIt) {
  os.looks = {{kWithRuntime}, {kOthers}};
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(Calls(os.log, 0, 11),
              ElementsAre("CreateToolhelp32Snapshot", "Process32First", "Process32Next",
                          "CloseToolhelp32Snapshot", "Sleep 10", "CreateToolhelp32Snapshot",
                          "Process32First", "Process32Next", "Process32Next",
                          "CloseToolhelp32Snapshot", "Sleep 10"));
  EXPECT_TRUE(Started());
}

TEST_F(RelauncherTest, StartsOnlyAfterTheLastLookThatFoundTheRuntime) {
  for (int i = 0; i < 25; ++i) os.looks.push_back({kWithRuntime});
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Count("CreateToolhelp32Snapshot"), 26);
  EXPECT_EQ(Count("Sleep 10"), 26);
  const auto firstStart =
      std::find(os.log.begin(), os.log.end(), "CreateProcessW \\Flash\\App\\Corvane.exe");
  ASSERT_NE(firstStart, os.log.end());
  EXPECT_EQ(std::count(firstStart, os.log.end(), "Sleep 10"), 0);
}

TEST_F(RelauncherTest, OnlyTheExactNameIsTheRuntime) {
  const std::u16string notTheRuntime[] = {
      u"corvane.exe",  u"CORVANE.EXE",  u"Corvane.ex",      u"Corvane",
      u"Corvane.exe ", u"XCorvane.exe", u"Corvane.exe.bak", u""};
  for (const std::u16string& name : notTheRuntime) {
    SCOPED_TRACE(Narrow(name));
    FakePlatform fresh;
    fresh.looks = {{{{1, u"init"}, {9, name}}}};
    EXPECT_EQ(relauncher::RunRelauncher(fresh), 0);
    EXPECT_EQ(std::count(fresh.log.begin(), fresh.log.end(), "CreateToolhelp32Snapshot"), 1);
    EXPECT_THAT(fresh.openHandles, IsEmpty());
  }
}

TEST_F(RelauncherTest, LookThatCannotBeTakenCountsAsRuntimeNotRunning) {
  os.looks = {{kWithRuntime, Look::Snapshot}};
  EXPECT_EQ(Run(), 0);
  // The snapshot is released also when taking it failed.
  EXPECT_THAT(Calls(os.log, 0, 3),
              ElementsAre("CreateToolhelp32Snapshot",
                          "CloseToolhelp32Snapshot INVALID_HANDLE_VALUE", "Sleep 10"));
  EXPECT_TRUE(Started());

  FakePlatform unreadable;
  unreadable.looks = {{kWithRuntime, Look::FirstRecord}};
  EXPECT_EQ(relauncher::RunRelauncher(unreadable), 0);
  EXPECT_EQ(std::count(unreadable.log.begin(), unreadable.log.end(), "CreateToolhelp32Snapshot"),
            1);
  EXPECT_EQ(unreadable.log.back(), "CloseHandle process");
  EXPECT_THAT(unreadable.openHandles, IsEmpty());
}

std::u16string Repeat(char16_t c, std::size_t count) { return std::u16string(count, c); }

TEST_F(RelauncherTest, ExecutableIsLookedForInTheFolderHoldingTheFirstFbFolder) {
  struct Case {
    std::u16string currentDirectory;
    std::u16string executable;  // empty: nothing is looked for or started
  };
  const Case cases[] = {
      {u"\\Flash\\App\\FB\\", u"\\Flash\\App\\Corvane.exe"},
      {u"\\Flash\\App\\FB\\Logs\\", u"\\Flash\\App\\Corvane.exe"},
      {u"\\Storage\\FBdata\\FB\\", u"\\Storage\\FBdata\\Corvane.exe"},
      {u"\\Disk\\MyFB\\Tools\\", u"\\Disk\\MyCorvane.exe"},
      {u"\\A\\FB\\B\\FB\\", u"\\A\\Corvane.exe"},
      {u"\\FB\\", u"\\Corvane.exe"},
      {u"\\Flash\\App\\fb\\", u""},
      {u"\\Flash\\App\\FB", u""},
      {u"", u""},
      // 248 characters before the marker leave exactly room for the name and the NUL.
      {u"\\" + Repeat(u'a', 247) + u"FB\\", u"\\" + Repeat(u'a', 247) + u"Corvane.exe"},
      {u"\\" + Repeat(u'a', 248) + u"FB\\", u""},
      // Longer than the buffer: the part that fits counts, and stays terminated.
      {u"\\Flash\\FB\\" + Repeat(u'x', 400), u"\\Flash\\Corvane.exe"},
      {u"\\" + Repeat(u'x', 400) + u"\\FB\\", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.currentDirectory));
    FakePlatform fresh;
    fresh.currentDirectory = c.currentDirectory;
    fresh.files = {c.executable};
    EXPECT_EQ(relauncher::RunRelauncher(fresh), 0);
    if (c.executable.empty()) {
      EXPECT_EQ(fresh.log.back(), "sorn_GetCurrentDirectoryW 260");
    } else {
      EXPECT_THAT(LastCalls(fresh.log, 3),
                  ElementsAre("CreateProcessW " + Narrow(c.executable), "CloseHandle thread",
                              "CloseHandle process"));
    }
    EXPECT_THAT(fresh.openHandles, IsEmpty());
  }
}

TEST_F(RelauncherTest, MissingExecutableEndsQuietlyWithoutStarting) {
  os.currentDirectory = u"\\Disk\\MyFB\\Tools\\";
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(os.log.back(), "FindFirstFileW \\Disk\\MyCorvane.exe");
}

TEST_F(RelauncherTest, FailingStartIsRetriedEvery100Ms) {
  os.startFailures = 3;
  EXPECT_EQ(Run(), 0);
  const std::string start = "CreateProcessW \\Flash\\App\\Corvane.exe";
  EXPECT_THAT(LastCalls(os.log, 9),
              ElementsAre(start, "Sleep 100", start, "Sleep 100", start, "Sleep 100", start,
                          "CloseHandle thread", "CloseHandle process"));
}

}  // namespace
}  // namespace relauncher_test
