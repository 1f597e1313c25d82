// The iomodsim program: its command line, the bus it takes from a station,
// and a run as a user starts it (--pty, an exchange, SIGTERM).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "cli_options.h"

namespace sim::test {
namespace {

std::optional<CommandLine> Parse(std::vector<std::string> arguments, std::string* errorOut = nullptr) {
  std::string error;
  auto command = ParseCommandLine(arguments, error);
  if (errorOut) *errorOut = error;
  return command;
}

TEST(CommandLine, ReadsEveryOption) {
  auto command = Parse({"st.toml", "--pty", "--bus", "line2", "--wire-timing", "--drop", "0.25", "--corrupt", "1",
                        "--delay", "40", "--seed", "4294967295", "--power-cycle", "3:1000:2500", "--power-cycle",
                        "255:0:0", "--trace"});
  ASSERT_TRUE(command.has_value());
  EXPECT_EQ(command->stationPath, "st.toml");
  EXPECT_TRUE(command->pty);
  EXPECT_EQ(command->busName, "line2");
  EXPECT_TRUE(command->wireTiming);
  EXPECT_DOUBLE_EQ(command->dropProbability, 0.25);
  EXPECT_DOUBLE_EQ(command->corruptProbability, 1.0);
  EXPECT_EQ(command->delayMs, 40u);
  EXPECT_EQ(command->seed, 4294967295u);
  ASSERT_EQ(command->powerCycles.size(), 2u);
  EXPECT_EQ(command->powerCycles[0].address, 3u);
  EXPECT_EQ(command->powerCycles[0].afterMs, 1000u);
  EXPECT_EQ(command->powerCycles[0].silentMs, 2500u);
  EXPECT_TRUE(command->trace);
}

TEST(CommandLine, RefusesWhatItCannotUse) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--pty"},
      {"a.toml", "b.toml"},
      {"a.toml", "--pty", "--port", "/dev/ttyS0"},
      {"a.toml", "--drop", "1.5"},
      {"a.toml", "--drop", "-0.1"},
      {"a.toml", "--corrupt", "x"},
      {"a.toml", "--delay", "-1"},
      {"a.toml", "--seed", "4294967296"},
      {"a.toml", "--power-cycle", "256:0:0"},
      {"a.toml", "--power-cycle", "1:2"},
      {"a.toml", "--power-cycle", "1::2"},
      {"a.toml", "--port"},
      {"a.toml", "--verbose"},
  };
  for (const auto& arguments : bad) {
    std::string error;
    EXPECT_FALSE(Parse(arguments, &error).has_value()) << ::testing::PrintToString(arguments);
    EXPECT_FALSE(error.empty());
  }
}

const char kStation[] = R"(
[[bus]]
name = "line1"
port = "/dev/ttyS0"
baud = 19200
checksum = true

[[bus]]
name = "line2"
port = "/dev/ttyS1"

[[module]]
name = "inputs"
bus = "line1"
driver = "mx43110"
address = 1
model = "MX-43110"

[[module]]
name = "outputs"
bus = "line1"
driver = "plugins/mx43do.so"
address = 2
model = "MX-43816"

[[module]]
name = "other"
bus = "line2"
driver = "mx43di"
address = 1
model = "MX-43716"
)";

TEST(SelectBus, TakesTheNamedBusAndItsModules) {
  std::vector<station::Error> errors;
  auto st = station::Parse(kStation, "test.toml", errors);
  ASSERT_TRUE(st.has_value()) << (errors.empty() ? "" : errors[0].message);
  std::string error;
  auto command = Parse({"test.toml", "--bus", "line1", "--drop", "0.5"});
  auto setup = SelectBus(*st, *command, error);
  ASSERT_TRUE(setup.has_value()) << error;
  EXPECT_EQ(setup->port, "/dev/ttyS0");
  EXPECT_EQ(setup->options.baud, 19200u);
  EXPECT_TRUE(setup->options.checksum);
  EXPECT_DOUBLE_EQ(setup->options.dropProbability, 0.5);
  ASSERT_EQ(setup->modules.size(), 2u);
  EXPECT_EQ(setup->modules[1].driver, "mx43do");  // a plug-in path counts by its file name
  EXPECT_EQ(setup->modules[1].address, 2u);

  EXPECT_FALSE(SelectBus(*st, *Parse({"test.toml"}), error).has_value());  // two buses: which one?
  EXPECT_NE(error.find("--bus"), std::string::npos);
  EXPECT_FALSE(SelectBus(*st, *Parse({"test.toml", "--bus", "line3"}), error).has_value());
  auto other = SelectBus(*st, *Parse({"test.toml", "--bus", "line2", "--port", "/tmp/x"}), error);
  ASSERT_TRUE(other.has_value());
  EXPECT_EQ(other->port, "/tmp/x");
  EXPECT_EQ(other->modules.size(), 1u);
}

// Runs the program with --pty, talks to it through its pseudo-terminal and
// stops it with SIGTERM.
TEST(Program, ServesAStationOnAPtyUntilSigterm) {
  char directory[] = "/tmp/iomodsim-cli-XXXXXX";
  ASSERT_NE(::mkdtemp(directory), nullptr);
  std::string stationPath = std::string(directory) + "/station.toml";
  std::ofstream(stationPath) << kStation;

  int out[2];
  ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  std::vector<std::string> arguments = {IOMODSIM_PROGRAM, stationPath, "--pty", "--bus", "line1"};
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, IOMODSIM_PROGRAM, &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);

  std::string path;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (path.empty() || path.back() != '\n') {
    pollfd fds = {out[0], POLLIN, 0};
    if (std::chrono::steady_clock::now() > deadline || ::poll(&fds, 1, 100) < 0) break;
    char c;
    if (fds.revents != 0 && ::read(out[0], &c, 1) == 1) path += c;
  }
  ::close(out[0]);
  ASSERT_FALSE(path.empty());
  path.pop_back();

  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  EXPECT_GE(fd, 0) << path;
  if (fd >= 0) {
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(fd, TCSANOW, &settings);
    const std::string request = "$02MD3\r";  // checksum on for line1
    ASSERT_EQ(::write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    std::string reply;
    while (reply.empty() || reply.back() != '\r') {
      pollfd fds = {fd, POLLIN, 0};
      if (::poll(&fds, 1, 2000) <= 0) break;
      char c;
      if (::read(fd, &c, 1) == 1) reply += c;
    }
    EXPECT_EQ(reply, "!024381689\r");
    ::close(fd);
  }

  ::kill(pid, SIGTERM);
  int status = 0;
  bool ended = false;
  for (int i = 0; i < 50 && !ended; ++i) {
    ended = ::waitpid(pid, &status, WNOHANG) == pid;
    if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  }
  EXPECT_TRUE(ended) << "iomodsim did not stop on SIGTERM";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  std::remove(stationPath.c_str());
  ::rmdir(directory);
}

}  // namespace
}  // namespace sim::test
