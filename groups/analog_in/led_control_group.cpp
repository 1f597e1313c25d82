#include "groups/analog_in/led_control_group.h"

#include "framework/value_access.h"
#include "groups/analog_in/host_setting.h"

namespace rio {

LedControlGroup::LedControlGroup(const ModelTable& models) : ControlGroup(ParamForm::FormatAndType, models) {}

LedControlGroup::~LedControlGroup() = default;

void LedControlGroup::ParseLeadingTokens(TokenReader& tokens) {
  ControlGroup::ParseLeadingTokens(tokens);
  ledMode_ = FirstChar(tokens.Next());
}

void LedControlGroup::BindExtraVariable(IoNode child, const char* name) {
  if (StartsWith(name, "LED Host Control")) ledNode_ = child;
}

void LedControlGroup::CreateExtraCommands(bool checksum) {
  // Without a mode token there is no character to send.
  if (ledMode_ == '\0') return;
  if (!mode_) mode_ = std::make_unique<LedModeCommand>(checksum);
  mode_->Build(ModuleAddress(), ledMode_);
  if (ledMode_ == kHostControlledMode && ledNode_ != nullptr) {
    if (!value_) value_ = std::make_unique<LedValueCommand>(checksum, currentValue_);
    value_->Build(ModuleAddress());
  }
}

void LedControlGroup::ScheduleExtraCommands(bool offline, RequestQueue& queue) {
  if (offline) Enqueue(queue, mode_.get());
  if (!value_) return;
  currentValue_ = GetFloat(Db(), ledNode_);
  if (offline) {
    QueueSetting(queue, value_.get(), currentValue_, sentValue_);
  } else {
    QueueSettingIfDue(queue, value_.get(), currentValue_, sentValue_);
  }
}

bool LedControlGroup::IsExtraTriggered() {
  if (!value_) return false;
  currentValue_ = GetFloat(Db(), ledNode_);
  return !SameSetting(currentValue_, sentValue_);
}

}  // namespace rio
