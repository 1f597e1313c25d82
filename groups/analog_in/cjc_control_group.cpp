#include "groups/analog_in/cjc_control_group.h"

#include "framework/value_access.h"
#include "groups/analog_in/host_setting.h"

namespace rio {

CjcControlGroup::CjcControlGroup(ParamForm form, const ModelTable& models, bool moduleCjc)
    : ControlGroup(form, models), moduleCjc_(moduleCjc) {}

CjcControlGroup::~CjcControlGroup() = default;

void CjcControlGroup::ParseTrailingTokens(TokenReader& tokens) {
  cjcOn_ = moduleCjc_ && FirstChar(tokens.Next()) == 'E';
}

// Leading characters are compared, as for the status variables.
void CjcControlGroup::BindExtraVariable(IoNode child, const char* name) {
  if (!moduleCjc_) return;
  if (StartsWith(name, "CJC")) cjcNode_ = child;
  if (StartsWith(name, "Set CJC")) offsetNode_ = child;
  if (StartsWith(name, "Enable CJC")) enableNode_ = child;
}

void CjcControlGroup::CreateExtraCommands(bool checksum) {
  if (!cjcOn_) return;
  if (!cjcRead_) cjcRead_ = std::make_unique<CjcReadCommand>(checksum);
  cjcRead_->Build(ModuleAddress(), Db(), cjcNode_);
  if (!offset_) offset_ = std::make_unique<CjcOffsetCommand>(checksum, CjcOffsetForm::Module);
  offset_->Build(ModuleAddress(), 0, Db(), offsetNode_);
  if (!enable_) enable_ = std::make_unique<CjcEnableCommand>(checksum);
  enable_->Build(ModuleAddress(), Db(), enableNode_);
}

void CjcControlGroup::ScheduleExtraCommands(bool offline, RequestQueue& queue) {
  if (!cjcOn_) return;
  const float offset = GetFloat(Db(), offsetNode_);
  const std::uint8_t enable = GetBool(Db(), enableNode_);
  if (offline) {
    QueueSetting(queue, offset_.get(), offset, recordedOffset_);
    QueueSetting(queue, enable_.get(), enable, recordedEnable_);
  }
  Enqueue(queue, cjcRead_.get());
  if (!offline) {
    QueueSettingIfDue(queue, offset_.get(), offset, recordedOffset_);
    QueueSettingIfDue(queue, enable_.get(), enable, recordedEnable_);
  }
}

}  // namespace rio
