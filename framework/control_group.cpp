#include "framework/control_group.h"

#include "framework/value_access.h"

namespace rio {

ControlGroup::ControlGroup(ParamForm form, const ModelTable& models) : form_(form), models_(models) {}

ControlGroup::~ControlGroup() = default;

void ControlGroup::Bind(VariableDb* db, IoNode moduleNode, std::uint32_t /*flags*/) {
  db_ = db;
  moduleNode_ = moduleNode;
  ParseParameters();
  BindStatusVariables();
}

void ControlGroup::ParseParameters() {
  const ParamText params = ModuleParamsOf(moduleNode_);
  TokenReader tokens(params.text);
  ParseLeadingTokens(tokens);

  const char* mode = tokens.Next();
  if (EqualsIgnoringCase(mode, "Periodic")) {
    scanMode_ = ScanPeriodic;
  } else if (EqualsIgnoringCase(mode, "On Call")) {
    scanMode_ = ScanOnCall;
  } else {
    scanMode_ = ScanContinuous;
  }
  if (scanMode_ == ScanPeriodic) {
    ReadDecimal(tokens.Next(), period_);
    ReadDecimal(tokens.Next(), offlinePeriod_);
  }
  ReadDecimal(tokens.Next(), hostValue_);
  ReadDecimal(tokens.Next(), failureLimit_);
  ParseTrailingTokens(tokens);
}

void ControlGroup::ParseLeadingTokens(TokenReader& tokens) {
  if (form_ == ParamForm::Plain) return;
  std::uint32_t value = 0;
  if (ReadHex(tokens.Next(), value)) config_.dataFormat = static_cast<std::uint8_t>(value);
  if (form_ == ParamForm::FormatAndType && ReadHex(tokens.Next(), value)) {
    config_.typeCode = static_cast<std::uint8_t>(value);
  }
}

void ControlGroup::ParseTrailingTokens(TokenReader& /*tokens*/) {}

void ControlGroup::BindStatusVariables() {
  for (IoNode child = FirstChild(moduleNode_); child != nullptr; child = NextSibling(child)) {
    const NodeName name = NameOf(child);
    // Leading characters are compared, so a longer name binds too.
    if (StartsWith(name.text, "Connect State")) {
      connectState_ = child;
    } else if (StartsWith(name.text, "Scan Time")) {
      scanTime_ = child;
    } else if (StartsWith(name.text, "Responding Time")) {
      respondingTime_ = child;
    } else if (StartsWith(name.text, "On Call")) {
      onCall_ = child;
    } else if (StartsWith(name.text, "Reset Watchdog")) {
      resetWatchdog_ = child;
    }
    BindExtraVariable(child, name.text);
  }
}

void ControlGroup::BindExtraVariable(IoNode /*child*/, const char* /*name*/) {}

std::uint8_t ControlGroup::IsTriggered() {
  bool triggered = false;
  if (onCall_ != nullptr) {
    const std::uint8_t value = GetBool(db_, onCall_);
    triggered = lastOnCall_ == 0 && value == 1;
    lastOnCall_ = value;
  }
  const bool extra = IsExtraTriggered();
  return triggered || extra ? 1 : 0;
}

bool ControlGroup::IsExtraTriggered() { return false; }

void ControlGroup::CreateCommands(std::uint8_t checksum) {
  moduleAddress_ = ModuleAddressOf(moduleNode_);
  const bool withChecksum = checksum != 0;
  if (!reset_) reset_ = std::make_unique<ResetCommand>(withChecksum);
  reset_->Build(moduleAddress_);
  if (!watchdog_) watchdog_ = std::make_unique<WatchdogCommand>(withChecksum);
  watchdog_->Build(moduleAddress_, watchdogTimeout_);

  const ModelRow* model = models_.Find(ModelNameOf(moduleNode_).text);
  if (!nameQuery_) nameQuery_ = std::make_unique<NameQueryCommand>(withChecksum);
  nameQuery_->Build(moduleAddress_, model == nullptr ? "" : model->moduleCode);

  if (!configWrite_) configWrite_ = std::make_unique<ConfigWriteCommand>(withChecksum, form_, config_);
  configWrite_->Build(moduleAddress_);
  if (!configRead_) configRead_ = std::make_unique<ConfigReadCommand>(withChecksum, form_, config_);
  configRead_->Build(moduleAddress_);
  CreateExtraCommands(withChecksum);
}

void ControlGroup::CreateExtraCommands(bool /*checksum*/) {}

void ControlGroup::ScheduleCommands(std::uint8_t offline, std::uint8_t /*writeAll*/, RequestQueue& queue) {
  if (offline != 0) {
    // What was read before the module went offline may be stale.
    config_.readBack = false;
    Enqueue(queue, reset_.get());
    Enqueue(queue, watchdog_.get());
    Enqueue(queue, nameQuery_.get());
    Enqueue(queue, configRead_.get());
    Enqueue(queue, configWrite_.get());
  } else {
    if (resetWatchdog_ != nullptr) {
      const std::uint8_t value = GetBool(db_, resetWatchdog_);
      if (value == 1 && lastResetWatchdog_ == 0) Enqueue(queue, reset_.get());
      lastResetWatchdog_ = value;
    }
    // A write not yet answered goes out again, preceded in its own exchange
    // by the read it needs when no read has succeeded.
    if (configWrite_ && configWrite_->IsPending()) Enqueue(queue, configWrite_.get());
  }
  ScheduleExtraCommands(offline != 0, queue);
}

void ControlGroup::ScheduleExtraCommands(bool /*offline*/, RequestQueue& /*queue*/) {}

const ModelRow* ModelTable::Find(const char* name) const {
  for (std::size_t i = 0; i < count; ++i) {
    if (EqualsIgnoringCase(rows[i].displayName, name)) return &rows[i];
  }
  return nullptr;
}

}  // namespace rio
