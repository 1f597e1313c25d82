#include "framework/driver_module.h"

#include <algorithm>
#include <new>

#include "framework/value_access.h"

namespace rio {

DriverModule::DriverModule(ControlGroup& control, std::initializer_list<GroupEntry> groups, OutputRule outputRule)
    : control_(control), outputRule_(outputRule) {
  for (const GroupEntry& entry : groups) {
    if (groupCount_ < kMaxGroups) groups_[groupCount_++] = entry;
  }
}

DriverModule::~DriverModule() = default;

std::uint8_t DriverModule::Initialize(VariableDb* db, IoNode node, std::uint32_t flags, std::uint8_t checksum) {
  db_ = db;
  moduleNode_ = node;
  offline_ = (flags & kFlagStartOnline) == 0;
  moduleAddress_ = ModuleAddressOf(node);
  lastStatus_ = 0;
  failureCount_ = 0;
  windowStart_ = 0;
  lastScanTick_ = 0;
  scanCount_ = 0;
  scanTotal_ = 0;
  bringUp_.clear();
  try {
    control_.Bind(db, node, flags);
    for (std::uint8_t i = 0; i < groupCount_; ++i) groups_[i].group->Bind(db, node, flags);
    control_.CreateCommands(checksum);
    for (std::uint8_t i = 0; i < groupCount_; ++i) groups_[i].group->CreateCommands(checksum);
  } catch (const std::bad_alloc&) {
    // Commands that could not be created are simply never queued.
    return 0;
  }
  return 1;
}

void DriverModule::Destroy() {
  // The queue only borrows command pointers: release it before the groups
  // destroy their commands.
  RequestQueue().swap(queue_);
  bringUp_.clear();
  delete this;
}

bool DriverModule::HasOutputs() const {
  for (std::uint8_t i = 0; i < groupCount_; ++i) {
    if (groups_[i].role == GroupRole::Output) return true;
  }
  return false;
}

// Every output group is asked exactly once and first; then the groups are
// visited in construction order, inputs asked, outputs by their answer.
bool DriverModule::ContinuousDecision() {
  if (!HasOutputs()) return true;
  for (std::uint8_t i = 0; i < groupCount_; ++i) {
    if (groups_[i].role == GroupRole::Output) outputTriggered_[i] = groups_[i].group->IsTriggered() != 0;
  }
  for (std::uint8_t i = 0; i < groupCount_; ++i) {
    if (groups_[i].role == GroupRole::Input) {
      if (groups_[i].group->IsTriggered() != 0) return true;
    } else if (outputTriggered_[i]) {
      return true;
    }
  }
  // The rest of an offline pass that went unanswered is due as well.
  return BringUpUnanswered();
}

std::uint8_t DriverModule::IsScanDue() {
  if (lastStatus_ == ReplyHostReserved) return 0;
  const std::uint32_t mode = control_.GetScanMode();
  if (offline_) {
    if (mode == ScanOnCall) return control_.IsTriggered();
    std::uint32_t interval = kContinuousRetryMs;
    if (mode == ScanPeriodic) {
      interval = static_cast<std::uint32_t>(lastStatus_ != ReplyOk ? control_.OfflinePeriod() : control_.Period());
    }
    return ticks_() - lastScanTick_ >= interval ? 1 : 0;
  }
  if (lastStatus_ != ReplyOk) return 1;
  switch (mode) {
    case ScanOnCall:
      return control_.IsTriggered();
    case ScanPeriodic:
      return ticks_() - lastScanTick_ >= static_cast<std::uint32_t>(control_.Period()) ? 1 : 0;
    default:
      return ContinuousDecision() ? 1 : 0;
  }
}

bool DriverModule::BringUpUnanswered() const {
  return std::any_of(bringUp_.begin(), bringUp_.end(), [](const Command* c) { return c->IsAwaitingReply(); });
}

// Ahead of the pass, in their order, once each: the configuration goes out
// before the writes that may depend on it.
void DriverModule::RequeueUnansweredBringUp() {
  std::size_t inserted = 0;
  for (Command* command : bringUp_) {
    if (!command->IsAwaitingReply()) continue;
    if (std::find(queue_.begin(), queue_.end(), command) != queue_.end()) continue;
    queue_.insert(queue_.begin() + static_cast<std::ptrdiff_t>(inserted++), command);
  }
}

void DriverModule::ScheduleCommands() {
  if (!queue_.empty()) return;
  const bool offlinePass = offline_;
  const bool continuousOnline = control_.GetScanMode() == ScanContinuous && !offline_;
  const std::uint8_t offline = offline_ ? 1 : 0;
  try {
    control_.ScheduleCommands(offline, 0, queue_);
    for (std::uint8_t i = 0; i < groupCount_; ++i) {
      if (groups_[i].role == GroupRole::Input) groups_[i].group->ScheduleCommands(offline, 0, queue_);
    }
    for (std::uint8_t i = 0; i < groupCount_; ++i) {
      if (groups_[i].role != GroupRole::Output) continue;
      ChannelGroup& group = *groups_[i].group;
      if (outputRule_ == OutputRule::WhenTriggered) {
        if (!continuousOnline || outputTriggered_[i]) group.ScheduleCommands(offline, 0, queue_);
      } else if (continuousOnline) {
        group.ScheduleCommands(0, 0, queue_);
      } else {
        group.ScheduleCommands(offline, 1, queue_);
      }
    }
    if (offlinePass) {
      bringUp_.assign(queue_.begin(), queue_.end());
    } else if (BringUpUnanswered()) {
      RequeueUnansweredBringUp();
    } else {
      bringUp_.clear();  // all answered: nothing to look at in later passes (the capacity stays)
    }
  } catch (const std::bad_alloc&) {
    // No room to queue this scan: drop it; queued commands stay pending.
    queue_.clear();
  }
  // A scan with nothing to exchange leaves nothing to repeat: without this an
  // output-only module whose last exchange failed would be due at every
  // test, scanning nothing, until a variable changed.
  if (queue_.empty() && lastStatus_ != ReplyHostReserved) lastStatus_ = ReplyOk;
}

RequestQueue* DriverModule::GetRequestQueue() { return &queue_; }

void DriverModule::ClearModuleAddress(std::uint8_t clear) {
  if (clear == 0) return;
  std::uint8_t* record = NodeRecord(moduleNode_);
  if (record != nullptr) StoreU16(record + kModuleAddress, 0);
}

void DriverModule::SetWatchdogTimeout(std::uint32_t value) { control_.SetWatchdogTimeout(value); }

void DriverModule::ReportResult(std::uint32_t status) {
  lastStatus_ = status;
  if (status == ReplyOk) {
    failureCount_ = 0;
    offline_ = false;
  } else if (status != ReplyHostReserved) {
    if (failureCount_ < static_cast<std::uint32_t>(control_.FailureLimit())) {
      ++failureCount_;
    } else {
      offline_ = true;
      failureCount_ = 0;
      queue_.clear();
    }
  }
  SetFromUInt32(db_, control_.ConnectStateNode(), status);
}

void DriverModule::RecordScan() {
  const std::uint32_t now = ticks_();
  if (now - windowStart_ >= kStatisticsWindowMs && scanCount_ != 0) {
    SetFromUInt32(db_, control_.ScanTimeNode(), scanTotal_ / scanCount_);
    scanCount_ = 0;
    scanTotal_ = 0;
    windowStart_ = ticks_();
  }
  ++scanCount_;
  if (lastScanTick_ != 0) scanTotal_ += now - lastScanTick_;
  lastScanTick_ = now;
}

std::uint16_t DriverModule::GetModuleAddress() { return moduleAddress_; }

std::uint32_t DriverModule::GetScanMode() { return control_.GetScanMode(); }

std::int32_t DriverModule::GetHostValue() { return control_.HostValue(); }

}  // namespace rio
