// The digital outputs of a port module: "DO 0" to "DO n-1" written as one
// byte (@AADO) at every scan the Module schedules the group for.
//
// A channel whose third parameter token begins with "E" follows the module:
// it is masked out of the write, and a port read copies the module's output
// state into its variable. While the module is offline the power-on and safe
// values are stored in one request, unless the Initialize flags keep the
// module's own. The channel count (2, 6 or 8) is the module's; the group
// decides whether a continuous-mode scan is due in drivers that keep its
// IsTriggered answer.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/channel_group.h"
#include "groups/digital/read_commands.h"
#include "groups/digital/write_commands.h"

namespace rio {

class PortOutputGroup final : public ChannelGroup {
 public:
  static constexpr std::uint32_t kMaxChannels = 8;  // one port byte

  // channelCount: the module's port outputs, at most 8.
  explicit PortOutputGroup(std::uint32_t channelCount);

  void Bind(VariableDb* db, IoNode moduleNode, std::uint32_t flags) override;
  // Real-time path: true while a channel follows the module, when an output
  // differs from its last written state, or when the last write is still
  // awaiting its reply.
  std::uint8_t IsTriggered() override;
  // Reads power-on ("1..."), safe ("1...") and follow ("E...") of every
  // channel; creates the write unless every channel follows, the read-back
  // when any does.
  void CreateCommands(std::uint8_t checksum) override;
  // Real-time path: offline, the defaults; then the write and the read-back.
  void ScheduleCommands(std::uint8_t offline, std::uint8_t writeAll, RequestQueue& queue) override;

 private:
  const std::uint32_t count_;
  VariableDb* db_ = nullptr;
  IoNode moduleNode_ = nullptr;
  bool keepDefaults_ = false;
  std::uint32_t followCount_ = 0;
  std::uint8_t follows_[kMaxChannels] = {};
  std::uint8_t lastWritten_[kMaxChannels] = {};
  IoNode outputs_[kMaxChannels] = {};
  std::unique_ptr<PortWriteCommand> write_;
  std::unique_ptr<PortReadCommand> readBack_;
  std::unique_ptr<PortDefaultsCommand> defaults_;
};

}  // namespace rio
