// Fault injection and timing: drops and corruptions repeat with the seed and
// come at their rates, corrupted replies fail their checksum, replies wait
// for the wire, silent and power-cycled modules say nothing.
#include <gtest/gtest.h>

#include <chrono>

#include "sim_test_support.h"

namespace sim::test {
namespace {

constexpr int kExchanges = 2000;

std::vector<std::optional<std::string>> Replies(BusOptions options) {
  TestBus t(options);
  t.Add("mx43110", 1, "MX-43110");
  std::vector<std::optional<std::string>> replies;
  for (int i = 0; i < kExchanges; ++i) replies.push_back(t.bus.Respond(i % 2 ? "$01M\r" : "$012\r"));
  return replies;
}

BusOptions Faulty(std::uint32_t seed) {
  BusOptions options;
  options.dropProbability = 0.3;
  options.corruptProbability = 0.2;
  options.seed = seed;
  return options;
}

TEST(Faults, SameSeedSameFaultsOtherSeedOtherFaults) {
  EXPECT_EQ(Replies(Faulty(7)), Replies(Faulty(7)));
  EXPECT_NE(Replies(Faulty(7)), Replies(Faulty(8)));
}

TEST(Faults, DropAndCorruptAtTheirRates) {
  TestBus t(Faulty(42));
  t.Add("mx43110", 1, "MX-43110");
  int changed = 0;
  for (int i = 0; i < kExchanges; ++i) {
    auto reply = t.bus.Respond("$01M\r");
    if (!reply) continue;
    ASSERT_EQ(reply->back(), '\r');  // the end of the reply is never damaged
    ASSERT_EQ(reply->size(), 9u);
    if (*reply != "!0143110\r") ++changed;
  }
  BusStatistics stats = t.bus.Statistics();
  EXPECT_EQ(stats.frames, static_cast<std::uint64_t>(kExchanges));
  EXPECT_EQ(stats.answered + stats.dropped, stats.frames);
  EXPECT_EQ(stats.corrupted, static_cast<std::uint64_t>(changed));
  // 600 and 280 expected; bounds of about five standard deviations.
  EXPECT_NEAR(static_cast<double>(stats.dropped), 600, 105);
  EXPECT_NEAR(static_cast<double>(stats.corrupted), 0.2 * static_cast<double>(stats.answered), 80);
}

TEST(Faults, EveryCorruptedReplyFailsItsChecksum) {
  BusOptions options;
  options.checksum = true;
  options.corruptProbability = 0.5;
  options.seed = 3;
  TestBus t(options);
  t.Add("mx43110", 1, "MX-43110");
  std::uint64_t failed = 0;
  for (int i = 0; i < 500; ++i) {
    auto reply = t.bus.Respond("#0184\r");
    ASSERT_TRUE(reply.has_value());
    std::string text = reply->substr(0, reply->size() - 3);
    if (reply->substr(reply->size() - 3, 2) != Checksum(text)) ++failed;
  }
  EXPECT_EQ(failed, t.bus.Statistics().corrupted);
  EXPECT_GT(failed, 150u);
}

TEST(Faults, DroppedRequestsNeverReachTheModule) {
  BusOptions options;
  options.dropProbability = 1;
  TestBus t(options);
  t.Add("mx43do", 2, "MX-43816");
  EXPECT_EQ(t.bus.Respond("@02FF\r"), std::nullopt);
  EXPECT_EQ(t.bus.DigitalOutput(2, 0), false);
  EXPECT_TRUE(t.bus.Requests(2).empty());
}

TEST(Timing, WireTimingWaitsForRequestAndReplyCharacters) {
  BusOptions options;
  options.baud = 1200;
  options.wireTiming = true;
  options.delayMs = 30;
  Bus bus(options);
  ASSERT_TRUE(bus.AddModule({"mx43110", 1, "MX-43110"}, nullptr));
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(bus.Respond("$01M\r"), "!0143110\r");  // 5 + 9 characters: 116.7 ms at 1200 baud
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::microseconds(146667));
  EXPECT_LT(elapsed, std::chrono::seconds(2));
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(bus.Respond("$02M\r"), std::nullopt);  // nobody answers: nothing to wait for
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST(Silence, SilentModulesKeepTheirState) {
  TestBus t;
  t.Add("mx43do", 2, "MX-43816");
  EXPECT_EQ(t.Ask("@0281"), ">");
  t.bus.SetSilent(2, true);
  EXPECT_EQ(t.Ask("@02"), kNoReply);
  EXPECT_TRUE(t.Snap(2).silent);
  t.bus.SetSilent(2, false);
  EXPECT_EQ(t.Ask("@02"), ">81");
  EXPECT_EQ(t.bus.Statistics().silent, 1u);
}

TEST(Silence, ScheduledPowerCycle) {
  TestBus t;
  t.Add("mx43110", 1, "MX-43110");
  EXPECT_EQ(t.Ask("%0101070602"), "!01");
  t.bus.SchedulePowerCycle(1, 100, 500);
  t.now += 99;
  EXPECT_EQ(t.Ask("$012"), "!01070602");
  t.now += 1;
  EXPECT_EQ(t.Ask("$012"), kNoReply);
  t.now += 499;
  EXPECT_EQ(t.Ask("$012"), kNoReply);
  t.now += 1;
  EXPECT_EQ(t.Ask("$012"), "!01080600");
  t.bus.PowerCycle(9, 100);  // nobody there: nothing happens
}

TEST(Requests, LoggedPerModuleWithoutFraming) {
  BusOptions options;
  options.checksum = true;
  TestBus t(options);
  t.Add("mx43110", 1, "MX-43110");
  t.Add("mx43110", 2, "MX-43110");
  t.Ask("$01M");
  t.Ask("#02");
  t.Ask("#01");
  EXPECT_EQ(t.bus.Requests(1), (std::vector<std::string>{"$01M", "#01"}));
  EXPECT_EQ(t.bus.Requests(2), (std::vector<std::string>{"#02"}));
  t.bus.ClearRequests();
  EXPECT_TRUE(t.bus.Requests(1).empty());
  EXPECT_TRUE(t.bus.Requests(7).empty());
}

}  // namespace
}  // namespace sim::test
