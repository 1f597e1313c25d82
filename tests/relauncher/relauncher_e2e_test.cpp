// The relauncher program with real processes: a stand-in runtime named
// Corvane.exe runs; the relauncher, started in App/FB, waits for it to end,
// then starts App/Corvane.exe and exits.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "test_support.h"

namespace relauncher_test {
namespace {

TEST(RelauncherEndToEndTest, StartsTheRuntimeAgainAfterItsProcessEnds) {
  TempDir dir;
  const std::string app = dir.path() + "/App";
  const std::string running = dir.path() + "/Running";
  for (const std::string& folder : {app, app + "/FB", running}) {
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0) << folder;
  }
  // The runtime that is running now: a script named like the runtime (the
  // kernel names the process after the script), ended through its fifo.
  const std::string go = running + "/go";
  ASSERT_EQ(mkfifo(go.c_str(), 0600), 0);
  ASSERT_TRUE(
      WriteFile(running + "/Corvane.exe", "#!/bin/sh\nread line < \"" + go + "\" || :\n", 0755));
  // The executable the relauncher is to start: records its pid.
  const std::string started = app + "/started";
  ASSERT_TRUE(WriteFile(app + "/Corvane.exe",
                        "#!/bin/sh\necho $$ > \"" + started + ".tmp\" && mv \"" + started +
                            ".tmp\" \"" + started + "\"\n",
                        0755));

  ChildProcess runtime(running + "/Corvane.exe", running);
  ASSERT_TRUE(WaitUntil([&] {
    return ReadFile("/proc/" + std::to_string(runtime.pid()) + "/comm") == "Corvane.exe\n";
  }));

  ChildProcess relauncher(RELAUNCHER_EXE, app + "/FB");
  // While the runtime runs, the relauncher keeps waiting and starts nothing.
  EXPECT_FALSE(WaitUntil([&] { return relauncher.ExitCode() || Exists(started); }, 300ms));

  ASSERT_TRUE(ReleaseFifo(go));
  EXPECT_EQ(runtime.WaitForExit(), 0);
  ASSERT_TRUE(WaitUntil([&] { return Exists(started); })) << "runtime not started again";
  EXPECT_EQ(relauncher.WaitForExit(), 0);
  EXPECT_NE(ReadFile(started), std::to_string(relauncher.pid()) + "\n");
}

}  // namespace
}  // namespace relauncher_test
