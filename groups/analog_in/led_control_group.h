// The control group of the other-series modules with an LED display. The
// module parameter string carries a third leading token, the LED mode; with
// mode 2 the display shows the value the control program writes into
// "LED Host Control", sent at every offline pass and whenever it changes.
// In on-call scanning a change of that value asks for an exchange.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/control_group.h"
#include "groups/analog_in/led_commands.h"

namespace rio {

class LedControlGroup final : public ControlGroup {
 public:
  static constexpr char kHostControlledMode = '2';

  explicit LedControlGroup(const ModelTable& models);
  ~LedControlGroup() override;

  char LedMode() const { return ledMode_; }

 protected:
  void ParseLeadingTokens(TokenReader& tokens) override;
  void BindExtraVariable(IoNode child, const char* name) override;
  void CreateExtraCommands(bool checksum) override;
  // Real-time path: queues only.
  void ScheduleExtraCommands(bool offline, RequestQueue& queue) override;
  // A new LED value, not one the module merely has not confirmed: an
  // unanswering on-call module is not polled at every opportunity.
  bool IsExtraTriggered() override;

 private:
  char ledMode_ = '\0';
  IoNode ledNode_ = nullptr;
  float currentValue_ = 0;  // the LED variable as last read; what the value command sends
  float sentValue_ = 0;     // the value last queued
  std::unique_ptr<LedModeCommand> mode_;
  std::unique_ptr<LedValueCommand> value_;
};

}  // namespace rio
