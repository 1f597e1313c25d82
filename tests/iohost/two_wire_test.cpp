// Two-wire RS-485 adapters: with `echo = true` the host reads back its own
// request before the reply, and a missing or different echo fails the
// exchange with a port error (3); with `turnaround_ms` it keeps the line
// quiet between a reply and the next request. The peer plays adapter and
// module at once.
#include <gtest/gtest.h>

#include <string>

#include "scripted_peer.h"

namespace {

using iohosttest::AnalogReply;
using iohosttest::Answer;
using iohosttest::PeerHost;

const std::string kRequest = "#01\r";  // the only request of PeerHost's module

struct EchoCase {
  const char* what;
  Answer first;         // the answer to request 0, echo included
  std::string status;   // what "Connect State" shows after exchange 0
  std::string ai0;
};

TEST(TwoWireAdapter, EchoIsReadBackAndChecked) {
  const std::string good = AnalogReply(1.5) + "\r";
  const EchoCase cases[] = {
      {"echo, then the reply", {{0, kRequest}, {5, good}}, "0", "1.5"},
      {"echo and reply in one piece", {{0, kRequest + good}}, "0", "1.5"},
      {"echo a character at a time", {{0, "#"}, {2, "0"}, {2, "1"}, {2, "\r"}, {0, good}}, "0", "1.5"},
      {"echo and no reply", {{0, kRequest}}, "2", "0"},
      // A collision on the line: the reply behind it must not reach the next exchange.
      {"echo differs", {{0, "#0\x81\r"}, {0, AnalogReply(9.5) + "\r"}}, "3", "0"},
      {"no echo (the adapter does not echo)", {{0, AnalogReply(9.5) + "\r"}}, "3", "0"},
      {"nothing at all", {}, "3", "0"},
  };
  for (const EchoCase& c : cases) {
    SCOPED_TRACE(c.what);
    PeerHost host("timeout_ms = 100\necho = true", [&](std::size_t n, const std::string& request) {
      return n == 0 ? c.first : Answer{{0, request}, {0, AnalogReply(2.5) + "\r"}};
    });
    ASSERT_TRUE(host.Ok());
    const auto seen = host.WaitForExchanges(2);
    ASSERT_EQ(seen.size(), 2u) << "the host stopped asking";
    EXPECT_EQ(seen[0].connectState, c.status);
    EXPECT_EQ(seen[0].ai0, c.ai0);
    EXPECT_EQ(seen[1].connectState, "0");
    EXPECT_EQ(seen[1].ai0, "2.5");
  }
}

// A module that sends a stale second reply 10 ms after its reply: the
// turnaround waits it out, and the input is discarded after the wait.
TEST(TwoWireAdapter, TurnaroundKeepsTheLineQuietBeforeEachRequest) {
  constexpr unsigned kTurnaroundMs = 50;
  PeerHost host("timeout_ms = 100\nturnaround_ms = " + std::to_string(kTurnaroundMs),
                [](std::size_t n, const std::string&) {
                  return Answer{{0, AnalogReply(1.0 + static_cast<double>(n)) + "\r"},
                                {10, AnalogReply(-9.5) + "\r"}};
                });
  ASSERT_TRUE(host.Ok());
  const auto seen = host.WaitForExchanges(3);
  ASSERT_EQ(seen.size(), 3u);
  for (std::size_t n = 0; n < seen.size(); ++n) {
    EXPECT_EQ(seen[n].connectState, "0") << "exchange " << n;
    EXPECT_EQ(seen[n].ai0, std::to_string(n + 1)) << "exchange " << n << " took the stale reply";
    EXPECT_GE(host.Peer().RequestUs(n + 1) - host.Peer().RequestUs(n), kTurnaroundMs * 1000ULL);
  }
}

}  // namespace
