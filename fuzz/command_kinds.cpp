#include "command_kinds.h"

#include <utility>

#include "groups/analog_in/alarm_commands.h"
#include "groups/analog_in/analog_read_command.h"
#include "groups/analog_in/channel_temp_command.h"
#include "groups/analog_in/cjc_commands.h"
#include "groups/analog_in/clear_extreme_command.h"
#include "groups/analog_in/input_type_command.h"
#include "groups/analog_in/led_commands.h"
#include "groups/analog_out/output_setting_commands.h"
#include "groups/analog_out/output_write_command.h"
#include "groups/digital/counter_commands.h"
#include "groups/digital/digital_channels.h"
#include "groups/digital/read_commands.h"
#include "groups/digital/write_commands.h"

namespace fuzz {
namespace {

using rio::Command;
using Made = std::unique_ptr<Command>;

// Forwards references: some kinds keep a reference to the context's fields.
template <class Kind, class... Args>
std::unique_ptr<Kind> New(Args&&... args) {
  return std::make_unique<Kind>(std::forward<Args>(args)...);
}

rio::ParamForm FormOf(std::uint8_t variant) {
  switch (variant % 3) {
    case 0: return rio::ParamForm::Format;
    case 1: return rio::ParamForm::FormatAndType;
    default: return rio::ParamForm::Plain;
  }
}

// Widths and layouts of the analog reads: decimal 7 and 9, hexadecimal 4,
// and the widest field a read may be configured with.
rio::ReadFormat ReadFormatOf(std::uint8_t variant) {
  switch (variant % 4) {
    case 0: return {7, true};
    case 1: return {4, false};
    case 2: return {9, true};
    default: return {rio::AnalogReadCommand::kMaxWidth, (variant & 0x80) != 0};
  }
}

// One to ten channels, so that some layouts need more than the reply holds.
std::uint32_t ChannelCountOf(std::uint8_t variant) { return 1 + (variant >> 2) % 10; }

rio::StateMask MaskOf(std::uint8_t variant) {
  switch (variant % 4) {
    case 0: return rio::StateMask::LowChannels;
    case 1: return rio::StateMask::AboveLowChannels;
    case 2: return rio::StateMask::AllBits;
    default: return rio::StateMask::SecondByteWhenNarrow;
  }
}

std::uint32_t DigitalCountOf(std::uint8_t variant) {
  static const std::uint32_t kCounts[] = {2, 4, 6, 8, 16, 32};
  return kCounts[(variant >> 2) % 6];
}

const char* ChannelTextOf(std::uint8_t variant) {
  static const char* const kTexts[] = {"0", "7", "F", "1F", ""};
  return kTexts[variant % 5];
}

std::vector<CommandKind> MakeKinds() {
  return {
      // The control commands of every module.
      {"reset", "mx43110",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::ResetCommand>(cs);
         k->Build(c.address);
         return k;
       }},
      {"watchdog", "mx43110",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::WatchdogCommand>(cs);
         k->Build(c.address, c.variant * 3U);
         return k;
       }},
      {"name query", "mx43110",
       [](bool cs, KindContext& c) -> Made {
         static const char* const kCodes[] = {"43110", "", "2430Q", "43714F4"};
         auto k = New<rio::NameQueryCommand>(cs);
         k->Build(c.address, kCodes[c.variant % 4]);
         return k;
       }},
      {"configuration read", "mx43110",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::ConfigReadCommand>(cs, FormOf(c.variant), c.config);
         k->Build(c.address);
         return k;
       }},
      {"configuration write", "mx43110",
       [](bool cs, KindContext& c) -> Made {
         // Without a successful read the write sends the read in its place.
         c.config.readBack = (c.variant & 4) != 0;
         c.config.typeCode = c.variant;
         auto k = New<rio::ConfigWriteCommand>(cs, FormOf(c.variant), c.config);
         k->Build(c.address);
         return k;
       }},
      // Analog inputs.
      {"analog read", "mx43110",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::AnalogReadCommand>(cs);
         k->Configure("#AA", c.address, c.db, c.nodes, ChannelCountOf(c.variant), ReadFormatOf(c.variant));
         return k;
       }},
      {"maximum read", "mx43120",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::AnalogReadCommand>(cs, 5U, 71U);
         k->Configure((c.variant & 0x40) != 0 ? "@AARL" : "@AARH", c.address, c.db, c.nodes,
                      ChannelCountOf(c.variant), ReadFormatOf(c.variant));
         return k;
       }},
      {"cold-junction read", "mx43120t",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::CjcReadCommand>(cs);
         k->Build(c.address, c.db, (c.variant & 1) != 0 ? nullptr : c.nodes[c.variant % KindContext::kNodes]);
         return k;
       }},
      {"cold-junction enable", "mx43120t",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::CjcEnableCommand>(cs);
         k->Build(c.address, c.db, c.nodes[c.variant % KindContext::kNodes]);
         return k;
       }},
      {"cold-junction offset", "mx43120h",
       [](bool cs, KindContext& c) -> Made {
         const auto form = (c.variant & 1) != 0 ? rio::CjcOffsetForm::Module : rio::CjcOffsetForm::Channel;
         auto k = New<rio::CjcOffsetCommand>(cs, form);
         k->Build(c.address, c.variant >> 1, c.db, c.nodes[c.variant % KindContext::kNodes]);
         return k;
       }},
      {"temperature setting", "mx43130",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::ChannelTempCommand>(cs);
         k->Build(c.address, c.variant, c.db, c.nodes[c.variant % KindContext::kNodes]);
         return k;
       }},
      {"clear extreme", "mx43120",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::ClearExtremeCommand>(cs);
         k->Build(c.address, (c.variant & 1) != 0 ? rio::Extreme::Min : rio::Extreme::Max, c.variant >> 1);
         return k;
       }},
      {"input type", "mx43120h",
       [](bool cs, KindContext& c) -> Made {
         static const char* const kTokens[] = {"08", "1B", "K", "", "0E,junk"};
         auto k = New<rio::InputTypeCommand>(cs);
         k->Build(c.address, c.variant, kTokens[c.variant % 5]);
         return k;
       }},
      {"alarm setting", "mx43150",
       [](bool cs, KindContext& c) -> Made {
         static const char* const kLimits[] = {"+05.000", "-1", "", "+123456789.123456789012"};
         auto k = New<rio::AlarmSetCommand>(cs);
         k->Build(c.address, (c.variant & 1) != 0 ? rio::AlarmSide::Low : rio::AlarmSide::High, c.variant >> 1,
                  kLimits[c.variant % 4], 'L', '1');
         return k;
       }},
      {"alarm control", "mx43150",
       [](bool cs, KindContext& c) -> Made {
         const auto kind = (c.variant & 1) != 0 ? rio::AlarmControlCommand::Kind::Disable
                                                : rio::AlarmControlCommand::Kind::ClearLatch;
         const auto side = (c.variant & 2) != 0 ? rio::AlarmSide::Low : rio::AlarmSide::High;
         auto k = New<rio::AlarmControlCommand>(cs, kind, side);
         k->Build(c.address, c.variant >> 2);
         return k;
       }},
      {"coefficient", "mx43150",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::CoefficientCommand>(cs);
         k->Build(c.address, "ABC"[c.variant % 3], "71", (c.variant & 8) != 0 ? "1.5" : "+123456789012");
         return k;
       }},
      {"LED mode", "mx2430",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::LedModeCommand>(cs);
         k->Build(c.address, static_cast<char>('0' + c.variant % 4));
         return k;
       }},
      {"LED value", "mx2430",
       [](bool cs, KindContext& c) -> Made {
         c.ledValue = static_cast<float>(c.variant) - 128.0f;
         auto k = New<rio::LedValueCommand>(cs, c.ledValue);
         k->Build(c.address);
         return k;
       }},
      // Analog outputs.
      {"output type", "mx43220",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::OutputTypeCommand>(cs, 1U + (c.variant & 1));
         k->Build(c.address, c.variant >> 1, "32", "1");
         return k;
       }},
      {"stored value", "mx43280",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::StoredValueCommand>(cs);
         k->Build(c.address, (c.variant & 1) != 0 ? 'S' : 'P', c.variant >> 1, "+05.000");
         return k;
       }},
      {"power-on mask", "mx43280",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::PowerOnMaskCommand>(cs);
         k->Build(c.address, c.variant);
         return k;
       }},
      {"store output", "mx43220",
       [](bool cs, KindContext& c) -> Made {
         const auto target = (c.variant & 1) != 0 ? rio::StoreOutputCommand::Target::Safe
                                                  : rio::StoreOutputCommand::Target::PowerOn;
         auto k = New<rio::StoreOutputCommand>(cs);
         k->Build(c.address, target, c.variant >> 1);
         return k;
       }},
      {"output write", "mx43220",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::OutputWriteCommand>(cs);
         if ((c.variant & 1) != 0) {
           k->SetFixed(c.address, c.variant >> 1, "+123456789");
         } else {
           c.outputWord = 0x40A00000U + c.variant;  // about 5.0
           k->SetLive(c.address, c.variant >> 1, &c.outputWord,
                      (c.variant & 2) != 0 ? rio::kHexFormat : rio::kSignedThreeDecimals);
         }
         return k;
       }},
      // Digital inputs and outputs.
      {"bank read", "mx43dio",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::BankReadCommand>(cs);
         const std::uint32_t count = DigitalCountOf(c.variant);
         const std::uint32_t mask = rio::StateMaskBits(MaskOf(c.variant), count);
         if ((c.variant & 0x80) != 0) {
           k->ConfigureForArray(c.address, c.states, count, mask);
         } else {
           k->ConfigureForVariables(c.address, c.db, c.nodes, count, mask);
         }
         return k;
       }},
      {"port read", "mx43610",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::PortReadCommand>(cs);
         k->Configure(c.address, c.db, (c.variant & 0x80) != 0 ? nullptr : c.nodes, 1 + c.variant % 9,
                      static_cast<std::uint8_t>(c.variant & 0x3C));
         return k;
       }},
      {"counter read", "mx43di",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::CounterReadCommand>(cs);
         k->Build(c.address, ChannelTextOf(c.variant), c.db, c.nodes[c.variant % KindContext::kNodes]);
         return k;
       }},
      {"port counter read", "mx43610",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::PortCounterReadCommand>(cs);
         k->Build(c.address, ChannelTextOf(c.variant), c.db, c.nodes[c.variant % KindContext::kNodes]);
         return k;
       }},
      {"counter clear", "mx43di",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::CounterClearCommand>(cs);
         k->Build(c.address, ChannelTextOf(c.variant));
         return k;
       }},
      {"port counter clear", "mx43610",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::PortCounterClearCommand>(cs);
         k->Build(c.address, ChannelTextOf(c.variant));
         return k;
       }},
      {"bank write", "mx43do",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::BankWriteCommand>(cs);
         const std::uint32_t count = DigitalCountOf(c.variant);
         if ((c.variant & 1) != 0) {
           k->ConfigureWithPattern(c.address, count, 0xA5A5A5A5U);
         } else {
           k->ConfigureFromVariables(c.address, c.db, c.nodes, count);
         }
         return k;
       }},
      {"store outputs", "mx43do",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::StoreOutputsCommand>(cs);
         k->Build(c.address, (c.variant & 1) != 0 ? rio::StoreOutputsCommand::Slot::Safe
                                                  : rio::StoreOutputsCommand::Slot::PowerOn);
         return k;
       }},
      {"port write", "mx43610",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::PortWriteCommand>(cs);
         k->Configure(c.address, c.db, c.nodes, 1 + c.variant % 9, c.variant);
         return k;
       }},
      {"port defaults", "mx43610",
       [](bool cs, KindContext& c) -> Made {
         auto k = New<rio::PortDefaultsCommand>(cs);
         k->Build(c.address, c.variant, static_cast<std::uint8_t>(~c.variant));
         return k;
       }},
  };
}

}  // namespace

const std::vector<CommandKind>& CommandKinds() {
  static const std::vector<CommandKind> kinds = MakeKinds();
  return kinds;
}

}  // namespace fuzz
