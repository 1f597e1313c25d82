// The control group of thermocouple modules that keep one cold-junction
// compensation (CJC) for the whole module: beside the usual control
// requests it reads the cold-junction temperature into "CJC" and sends the
// module's offset "Set CJC" and the switch "Enable CJC".
//
// The functions are on when the driver offers them and the module parameter
// string ends with a token beginning with E; otherwise the group is the
// plain control group.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/control_group.h"
#include "groups/analog_in/cjc_commands.h"

namespace rio {

class CjcControlGroup final : public ControlGroup {
 public:
  // moduleCjc: whether the driver's modules have the module-wide CJC at all.
  CjcControlGroup(ParamForm form, const ModelTable& models, bool moduleCjc);
  ~CjcControlGroup() override;

  bool CjcOn() const { return cjcOn_; }

 protected:
  void ParseTrailingTokens(TokenReader& tokens) override;
  void BindExtraVariable(IoNode child, const char* name) override;
  void CreateExtraCommands(bool checksum) override;
  // Real-time path: queues only.
  void ScheduleExtraCommands(bool offline, RequestQueue& queue) override;

 private:
  const bool moduleCjc_;
  bool cjcOn_ = false;
  IoNode cjcNode_ = nullptr;
  IoNode offsetNode_ = nullptr;
  IoNode enableNode_ = nullptr;
  float recordedOffset_ = 0;
  std::uint8_t recordedEnable_ = 0;
  std::unique_ptr<CjcReadCommand> cjcRead_;
  std::unique_ptr<CjcOffsetCommand> offset_;
  std::unique_ptr<CjcEnableCommand> enable_;
};

}  // namespace rio
