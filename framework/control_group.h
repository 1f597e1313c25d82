// The first group of every Module: the module parameter string, the status
// variables, and the control commands that bring the module into service.
//
// Drivers extend it by deriving: extra leading or trailing tokens of the
// parameter string, extra variables bound beside the status variables,
// extra commands scheduled after the group's own, and an extra trigger.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/channel_group.h"
#include "framework/control_commands.h"
#include "framework/driver_identity.h"
#include "framework/tokens.h"

namespace rio {

enum ScanMode : std::uint32_t {
  ScanOnCall = 0,
  ScanContinuous = 1,
  ScanPeriodic = 2,
};

class ControlGroup : public ChannelGroup {
 public:
  ControlGroup(ParamForm form, const ModelTable& models);
  ~ControlGroup() override;

  void Bind(VariableDb* db, IoNode moduleNode, std::uint32_t flags) override;
  std::uint8_t IsTriggered() override;
  void CreateCommands(std::uint8_t checksum) override;
  void ScheduleCommands(std::uint8_t offline, std::uint8_t writeAll, RequestQueue& queue) override;

  std::uint32_t GetScanMode() const { return scanMode_; }
  std::int32_t Period() const { return period_; }
  std::int32_t OfflinePeriod() const { return offlinePeriod_; }
  std::int32_t HostValue() const { return hostValue_; }
  std::int32_t FailureLimit() const { return failureLimit_; }
  void SetWatchdogTimeout(std::uint32_t value) { watchdogTimeout_ = value; }

  IoNode ConnectStateNode() const { return connectState_; }
  IoNode ScanTimeNode() const { return scanTime_; }
  const ModuleConfig& Config() const { return config_; }

 protected:
  // Leading tokens of the form (data format, type code); drivers with
  // further leading tokens read them after calling this.
  virtual void ParseLeadingTokens(TokenReader& tokens);
  // Tokens after the two numbers that end every form.
  virtual void ParseTrailingTokens(TokenReader& tokens);
  // Offered every child of the module node, after the status variables.
  virtual void BindExtraVariable(IoNode child, const char* name);
  // Runs after the control commands are built.
  virtual void CreateExtraCommands(bool checksum);
  // Runs after the control commands are queued.
  virtual void ScheduleExtraCommands(bool offline, RequestQueue& queue);
  // Asked at every IsTriggered beside the "On Call" edge.
  virtual bool IsExtraTriggered();

  VariableDb* Db() const { return db_; }
  IoNode ModuleNode() const { return moduleNode_; }
  std::uint16_t ModuleAddress() const { return moduleAddress_; }

 private:
  void ParseParameters();
  void BindStatusVariables();

  const ParamForm form_;
  const ModelTable& models_;
  VariableDb* db_ = nullptr;
  IoNode moduleNode_ = nullptr;
  std::uint16_t moduleAddress_ = 0;
  ModuleConfig config_;
  std::uint32_t scanMode_ = ScanOnCall;
  std::int32_t period_ = 0;
  std::int32_t offlinePeriod_ = 0;
  std::int32_t hostValue_ = 0;
  std::int32_t failureLimit_ = 0;
  std::uint32_t watchdogTimeout_ = 0;
  std::uint8_t lastOnCall_ = 0;
  std::uint8_t lastResetWatchdog_ = 0;

  IoNode connectState_ = nullptr;
  IoNode scanTime_ = nullptr;
  IoNode respondingTime_ = nullptr;  // bound and kept; nothing is written to it
  IoNode onCall_ = nullptr;
  IoNode resetWatchdog_ = nullptr;

  std::unique_ptr<ResetCommand> reset_;
  std::unique_ptr<WatchdogCommand> watchdog_;
  std::unique_ptr<NameQueryCommand> nameQuery_;
  std::unique_ptr<ConfigWriteCommand> configWrite_;
  std::unique_ptr<ConfigReadCommand> configRead_;
};

}  // namespace rio
