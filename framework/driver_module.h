// The Module of every driver: fans the host's operations out to the control
// group and the driver's channel groups, and keeps scan timing, failure
// counting and the scan statistics.
//
// A driver's Module derives from DriverModule, holds its groups as members
// in construction order and states its composition: which groups are inputs
// and which outputs, and how its outputs are scheduled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "framework/channel_group.h"
#include "framework/control_group.h"
#include "framework/module.h"
#include "framework/ticks.h"

namespace rio {

enum class GroupRole : std::uint8_t { Input, Output };

// How output groups are scheduled.
enum class OutputRule : std::uint8_t {
  // In continuous mode while online (false, false); otherwise (offline, true).
  WriteAllUnlessContinuous,
  // Always (offline, false); in continuous mode while online only when the
  // group's IsTriggered answered true at the last IsScanDue.
  WhenTriggered,
};

struct GroupEntry {
  ChannelGroup* group;
  GroupRole role;
};

class DriverModule : public Module {
 public:
  static constexpr std::uint32_t kContinuousRetryMs = 1000;
  static constexpr std::uint32_t kStatisticsWindowMs = 5000;
  static constexpr std::size_t kMaxGroups = 4;

  std::uint8_t Initialize(VariableDb* db, IoNode node, std::uint32_t flags, std::uint8_t checksum) override;
  void Destroy() override;
  std::uint8_t IsScanDue() override;
  void ScheduleCommands() override;
  RequestQueue* GetRequestQueue() override;
  void ClearModuleAddress(std::uint8_t clear) override;
  void SetWatchdogTimeout(std::uint32_t value) override;
  void ReportResult(std::uint32_t status) override;
  void RecordScan() override;
  std::uint16_t GetModuleAddress() override;
  std::uint32_t GetScanMode() override;
  std::int32_t GetHostValue() override;

  // Replaces the millisecond clock (tests drive time by hand).
  void SetTickSource(TickSource source) { ticks_ = source; }
  bool IsOffline() const { return offline_; }

 protected:
  // groups: the channel groups in construction order (the control group
  // comes first implicitly). Pointers to members of the derived class are
  // taken before those members are constructed and used only afterwards.
  DriverModule(ControlGroup& control, std::initializer_list<GroupEntry> groups,
               OutputRule outputRule = OutputRule::WriteAllUnlessContinuous);
  ~DriverModule() override;

 private:
  bool HasOutputs() const;
  bool ContinuousDecision();
  bool BringUpUnanswered() const;
  void RequeueUnansweredBringUp();

  ControlGroup& control_;
  GroupEntry groups_[kMaxGroups] = {};
  std::uint8_t groupCount_ = 0;
  OutputRule outputRule_;
  // The last IsTriggered answer of each output group.
  bool outputTriggered_[kMaxGroups] = {};

  VariableDb* db_ = nullptr;
  IoNode moduleNode_ = nullptr;
  bool offline_ = true;
  std::uint16_t moduleAddress_ = 0;
  std::uint32_t failureCount_ = 0;
  std::uint32_t lastStatus_ = 0;
  std::uint32_t windowStart_ = 0;
  std::uint32_t lastScanTick_ = 0;
  std::uint32_t scanCount_ = 0;
  std::uint32_t scanTotal_ = 0;
  TickSource ticks_ = SystemTicks;
  RequestQueue queue_;
  // The commands of the last offline pass. A module comes online at its
  // first answer, so the rest of that pass may go unanswered: those
  // commands go out again, ahead of each later pass, until answered.
  std::vector<Command*> bringUp_;
};

// Creates a Module of the given type, or null when memory runs out.
template <class DriverModuleType>
Module* CreateModuleOf() {
  try {
    return new DriverModuleType();
  } catch (...) {
    return nullptr;
  }
}

}  // namespace rio
