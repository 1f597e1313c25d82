// The fault campaign: one module of every family on one bus, served over a
// pseudo-terminal by the simulator behind a line that loses requests,
// corrupts replies, answers after the response timeout and adds noise,
// while modules are power-cycled (silent until declared lost, then with
// their configuration forgotten) or silent for a while, and a control
// program keeps changing outputs and settings. Once the faults stop, every
// input variable must converge to its module's value and every output and
// setting must be on its module: no write lost. "Connect State" must have
// shown the failures of the modules that went away.
//
// Bounded by default (about 10 s of faults); the long campaign sets
// RIO_CAMPAIGN_SECONDS (faults), RIO_CAMPAIGN_SEED and RIO_CAMPAIGN_CHECKSUM=1.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <set>
#include <thread>

#include "host_under_test.h"

namespace {

using namespace robustness;
using Clock = std::chrono::steady_clock;

constexpr unsigned kTimeoutMs = 50;
constexpr unsigned kSilenceMs = 1500;
// A power-cycled module stays silent until the host has declared it lost
// (its next bring-up begins), at most this long.
constexpr unsigned kMaxPowerOffMs = 15000;

// A power cycle in progress: the module is off until the host starts to
// bring it into service again, then answers with its configuration gone.
struct PowerCycle {
  std::size_t module;
  std::uint64_t startsBefore;
  Clock::time_point since;
};

TEST(FaultCampaign, EveryFamilyRecoversWithNothingLost) {
  const unsigned faultMs = 1000 * EnvNumber("RIO_CAMPAIGN_SECONDS", 10);
  const std::uint32_t seed = EnvNumber("RIO_CAMPAIGN_SEED", 1);
  const bool checksum = EnvNumber("RIO_CAMPAIGN_CHECKSUM", 0) != 0;
  std::mt19937 random(seed);
  const std::vector<CampaignModule> modules = OneOfEachFamily(1);

  HostUnderTest host({modules}, kTimeoutMs, checksum, seed);
  ASSERT_EQ(host.Failure(), "");
  sim::Bus& bus = host.Bus(0);
  FaultyLine& line = host.Line(0);
  PinInputs(bus, modules, random);
  host.Start();
  const auto settled = host.WaitForAgreement(20000);
  ASSERT_TRUE(settled.empty()) << "before the faults: " << settled.front();

  const std::uint64_t exchangesBefore = host.Exchanges();
  const std::uint64_t failuresBefore = host.FailedExchanges();
  line.SetFaults({0.03, 0.03, 0.01, 0.03});
  std::vector<std::size_t> order(modules.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), random);
  std::size_t nextAway = 0;
  std::vector<PowerCycle> cycling;
  std::vector<std::pair<std::size_t, Clock::time_point>> silent;
  std::set<std::size_t> powerCycled, silenced;  // the modules
  std::size_t powerCycles = 0, silences = 0;
  std::map<std::string, std::uint32_t> worstState;
  unsigned outputChanges = 0;
  std::size_t notDeclaredLost = 0;
  const Clock::time_point start = Clock::now();
  Clock::time_point lastEvent = start;
  const auto phaseEnd = start + std::chrono::milliseconds(faultMs);
  for (auto now = start; now < phaseEnd || !cycling.empty(); now = Clock::now()) {
    // Every second or so: a module loses power, or goes silent for a while,
    // and the inputs take new values; none of it in the last two seconds.
    if (now - lastEvent >= std::chrono::milliseconds(1000) && now + std::chrono::milliseconds(2000) < phaseEnd) {
      lastEvent = now;
      const std::size_t m = order[nextAway++ % order.size()];
      const unsigned address = modules[m].address;
      const bool alreadyAway = std::any_of(cycling.begin(), cycling.end(), [&](const PowerCycle& c) { return c.module == m; }) ||
                               std::any_of(silent.begin(), silent.end(), [&](const auto& s) { return s.first == m; });
      if (!alreadyAway && nextAway % 3 != 0) {
        cycling.push_back({m, line.Figures().serviceStarts[address], now});
        bus.PowerCycle(address, kMaxPowerOffMs);
        powerCycled.insert(m);
        ++powerCycles;
      } else if (!alreadyAway) {
        bus.SetSilent(address, true);
        silent.push_back({m, now});
        silenced.insert(m);
        ++silences;
      }
      PinInputs(bus, modules, random);
    }
    const LineFigures figures = line.Figures();
    for (auto c = cycling.begin(); c != cycling.end();) {
      const unsigned address = modules[c->module].address;
      const auto starts = figures.serviceStarts.count(address) != 0 ? figures.serviceStarts.at(address) : 0;
      const bool declaredLost = starts > c->startsBefore;
      if (declaredLost || now - c->since > std::chrono::milliseconds(kMaxPowerOffMs)) {
        notDeclaredLost += declaredLost ? 0 : 1;
        bus.PowerCycle(address, 0);  // power is back: the module answers, its configuration gone
        c = cycling.erase(c);
      } else {
        ++c;
      }
    }
    for (auto s = silent.begin(); s != silent.end();) {
      if (now - s->second >= std::chrono::milliseconds(kSilenceMs)) {
        bus.SetSilent(modules[s->first].address, false);
        s = silent.erase(s);
      } else {
        ++s;
      }
    }
    ChangeOneOutput(host.Runtime(), modules, random);
    ++outputChanges;
    for (const CampaignModule& m : modules) worstState[m.name] = std::max(worstState[m.name], host.ConnectState(m.name));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  for (const auto& s : silent) bus.SetSilent(modules[s.first].address, false);
  line.SetFaults({});
  const Clock::time_point faultsEnded = Clock::now();
  const std::vector<std::string> left = host.WaitForAgreement(30000);
  const auto convergedMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - faultsEnded).count();
  const auto faultSeconds = std::chrono::duration_cast<std::chrono::milliseconds>(faultsEnded - start).count() / 1000.0;
  host.Stop();

  // The figures of the run.
  const LineFigures figures = line.Figures();
  std::uint64_t recoveries = 0;
  for (const auto& [address, starts] : figures.serviceStarts) recoveries += starts > 0 ? starts - 1 : 0;
  std::size_t lostWrites = 0;
  for (const std::string& difference : left) {
    for (const CampaignModule& m : modules) {
      for (const CampaignVariable& var : m.variables) {
        if (var.IsWritten() && difference.rfind(m.name + " " + var.name + ":", 0) == 0) ++lostWrites;
      }
    }
  }
  std::size_t showedFailures = 0;
  for (const auto& [name, state] : worstState) showedFailures += state != 0 ? 1 : 0;
  std::printf(
      "fault campaign (%.1f s of faults, checksum %s, seed %u): %llu exchanges, %llu failed; %llu faults on the line "
      "(%llu requests dropped, %llu replies corrupted, %llu late, %llu with noise); %zu power cycles, %zu silences; "
      "%llu recoveries (modules brought into service again); %u output and setting changes; %zu of %zu modules "
      "showed failures in Connect State; converged %lld ms after the faults; lost writes %zu\n",
      faultSeconds, checksum ? "on" : "off", seed, static_cast<unsigned long long>(host.Exchanges() - exchangesBefore),
      static_cast<unsigned long long>(host.FailedExchanges() - failuresBefore),
      static_cast<unsigned long long>(figures.Faults()), static_cast<unsigned long long>(figures.dropped),
      static_cast<unsigned long long>(figures.corrupted), static_cast<unsigned long long>(figures.late),
      static_cast<unsigned long long>(figures.noisy), powerCycles, silences,
      static_cast<unsigned long long>(recoveries), outputChanges, showedFailures, modules.size(),
      static_cast<long long>(convergedMs), lostWrites);

  for (const std::string& difference : left) ADD_FAILURE() << "after the faults: " << difference;
  EXPECT_EQ(lostWrites, 0u);
  EXPECT_EQ(notDeclaredLost, 0u) << "power-cycled modules the host did not declare lost";
  EXPECT_FALSE(powerCycled.empty());
  EXPECT_FALSE(silenced.empty());
  for (std::size_t m : powerCycled) {
    EXPECT_NE(worstState[modules[m].name], 0u) << modules[m].name << " lost power, yet Connect State never showed it";
  }
  for (std::size_t m : silenced) {
    EXPECT_NE(worstState[modules[m].name], 0u) << modules[m].name << " went silent, yet Connect State never showed it";
  }
}

}  // namespace
