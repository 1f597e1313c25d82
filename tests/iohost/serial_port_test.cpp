// The termios backend (pseudo-terminals and terminals libserialport cannot
// look up) opens a line at every rate the terminal driver has a code for,
// the high rates of fast adapters included, and refuses any other rate with
// a message rather than running at a wrong one.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "iomodsim/bus.h"
#include "iomodsim/pty_server.h"
#include "serial_port.h"

namespace {

TEST(TermiosPort, OpensAtHighRatesAndRefusesRatesWithoutCode) {
  sim::Bus bus({});
  sim::PtyServer server(bus);
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  const struct {
    unsigned baud;
    speed_t code;
  } rates[] = {{9600, B9600}, {230400, B230400}, {460800, B460800}, {921600, B921600}, {4000000, B4000000}};
  for (const auto& rate : rates) {
    station::Bus line;
    line.baud = rate.baud;
    auto port = iohost::OpenTermiosPort(server.SlavePath(), line, &error);
    ASSERT_NE(port, nullptr) << rate.baud << ": " << error;
    // The settings belong to the terminal: any descriptor of it shows them.
    const int fd = open(server.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios settings{};
    ASSERT_EQ(tcgetattr(fd, &settings), 0);
    close(fd);
    EXPECT_EQ(cfgetospeed(&settings), rate.code) << rate.baud;
  }
  station::Bus odd;
  odd.baud = 12345;
  EXPECT_EQ(iohost::OpenTermiosPort(server.SlavePath(), odd, &error), nullptr);
  EXPECT_NE(error.find("12345"), std::string::npos) << error;
}

}  // namespace
