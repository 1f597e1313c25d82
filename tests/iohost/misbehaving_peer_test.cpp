// The host against a peer that misbehaves on purpose, one fault per case:
// bytes after the carriage return, a reply without one, overlong replies,
// noise before a reply, and slow replies. Each case faults exchange 0 only;
// exchange 1 gets a good reply, and must be judged on that reply alone:
// nothing of the fault may be left for it.
#include <gtest/gtest.h>

#include <string>

#include "host_codes.h"
#include "scripted_peer.h"

namespace {

using iohosttest::AnalogReply;
using iohosttest::Answer;
using iohosttest::PeerHost;

// A reply sent one character at a time, pauseMs before each.
Answer Trickle(const std::string& text, unsigned pauseMs) {
  Answer answer;
  for (const char c : text) answer.push_back({pauseMs, std::string(1, c)});
  return answer;
}

// The read's reply buffer holds 148 characters before its final NUL.
constexpr std::size_t kReplyRoom = 148;

struct Fault {
  const char* what;
  std::string busKeys;
  Answer first;          // the answer to request 0
  std::string status;    // what "Connect State" shows after exchange 0
  std::string ai0;       // and AI 0 ("0": nothing was taken)
};

TEST(MisbehavingPeer, EachFaultGetsItsStatusAndLeavesNothingForTheNextExchange) {
  const std::string good = AnalogReply(1.5) + "\r";
  std::string overlong = ">";
  while (overlong.size() < 400) overlong += "+09.999";
  Answer slowOverlong;
  for (std::size_t at = 0; at < overlong.size(); at += 50) slowOverlong.push_back({3, overlong.substr(at, 50)});

  const Fault faults[] = {
      // A second, stale reply behind the first would be taken as the reply
      // to the next request if it were left in the port.
      {"bytes after the carriage return", "timeout_ms = 100", {{0, good + AnalogReply(9.5) + "\r"}}, "0", "1.5"},
      {"reply without carriage return", "timeout_ms = 100", {{0, AnalogReply(9.5)}}, "8", "0"},
      {"reply without carriage return, character timeout", "timeout_ms = 1000\nchar_timeout_ms = 20",
       {{0, AnalogReply(9.5)}}, "8", "0"},
      {"reply that fills the buffer without carriage return", "timeout_ms = 1000",
       {{0, overlong.substr(0, kReplyRoom)}}, "7", "0"},
      {"overlong reply still arriving", "timeout_ms = 100", slowOverlong, "7", "0"},
      {"noise before the reply", "timeout_ms = 100", {{0, std::string("\xFF\x00\xFE", 3) + good}}, "0", "1.5"},
      // An adapter that echoes on a bus not told so: the echo is noise too.
      {"an echo the host was not told about", "timeout_ms = 100", {{0, "#01\r"}, {2, good}}, "0", "1.5"},
      {"noise, a pause, then the reply", "timeout_ms = 100\nchar_timeout_ms = 5",
       {{0, std::string("\x00~", 2)}, {15, good}}, "0", "1.5"},
      {"one character at a time, pauses below the character timeout", "timeout_ms = 1000\nchar_timeout_ms = 30",
       Trickle(good, 3), "0", "1.5"},
      {"a pause longer than the character timeout", "timeout_ms = 1000\nchar_timeout_ms = 20",
       {{0, good.substr(0, 10)}, {60, good.substr(10)}}, "8", "0"},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.what);
    PeerHost host(fault.busKeys, [&](std::size_t n, const std::string&) {
      return n == 0 ? fault.first : Answer{{0, AnalogReply(2.5) + "\r"}};
    });
    ASSERT_TRUE(host.Ok());
    const auto seen = host.WaitForExchanges(2);
    ASSERT_EQ(seen.size(), 2u) << "the host stopped asking";
    EXPECT_EQ(seen[0].connectState, fault.status);
    EXPECT_EQ(seen[0].ai0, fault.ai0);
    EXPECT_EQ(seen[1].connectState, "0") << "the next exchange saw bytes of the fault";
    EXPECT_EQ(seen[1].ai0, "2.5") << "the next exchange took a stale value";
  }
}

}  // namespace
