// The digital outputs of a bank module, written all at once as one
// hexadecimal word from the variables "DO 0" to "DO n-1".
//
// While the module is offline (the first scan, and again after it was
// declared lost) the group stores the configured safe and power-on patterns
// in the module, unless the Initialize flags keep the module's own, and
// reads the outputs back into its last values. Then it writes at every scan
// it is given writeAll, and otherwise only when an output differs from the
// last values or a write was never answered: a write stays due until the
// module answers it (or refuses it), so the module's outputs never stay
// behind the variables.
//
// The family is data: its channel table (model name to output count) and
// where the outputs lie in the module's state word.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/channel_group.h"
#include "groups/digital/digital_channels.h"
#include "groups/digital/read_commands.h"
#include "groups/digital/write_commands.h"

namespace rio {

class BankOutputGroup final : public ChannelGroup {
 public:
  // channels must outlive the group (a constant table of the driver).
  BankOutputGroup(const ChannelTable& channels, StateMask readBackMask);

  // The output count comes from the channel table by the module's model
  // name; bit 1 of flags keeps the module's stored patterns.
  void Bind(VariableDb* db, IoNode moduleNode, std::uint32_t flags) override;
  // Real-time path: true when an output variable differs from the last
  // values, or the last write is still awaiting its reply.
  std::uint8_t IsTriggered() override;
  // Reads the power-on (first token "1...") and safe (second token "1...")
  // value of every channel from its node's parameter string.
  void CreateCommands(std::uint8_t checksum) override;
  // Real-time path.
  void ScheduleCommands(std::uint8_t offline, std::uint8_t writeAll, RequestQueue& queue) override;

 private:
  bool PatternsUnanswered() const;

  const ChannelTable& table_;
  const StateMask readBackMask_;
  VariableDb* db_ = nullptr;
  IoNode moduleNode_ = nullptr;
  bool keepDefaults_ = false;
  std::uint32_t count_ = kDefaultDigitalChannels;
  // The states the group last knew the module's outputs to have.
  std::uint8_t lastValues_[kMaxDigitalChannels] = {};
  IoNode outputs_[kMaxDigitalChannels] = {};
  std::unique_ptr<BankWriteCommand> write_;
  std::unique_ptr<BankWriteCommand> powerOnPattern_;
  std::unique_ptr<BankWriteCommand> safePattern_;
  std::unique_ptr<BankReadCommand> readBack_;
  std::unique_ptr<StoreOutputsCommand> storePowerOn_;
  std::unique_ptr<StoreOutputsCommand> storeSafe_;
};

}  // namespace rio
