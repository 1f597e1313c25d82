// Every command kind of the framework and the groups, each in the variants
// that change how its reply is read (data formats, widths, channel counts,
// masks, parameter forms), made ready for one exchange with a module at a
// given address. The reply fuzzer exchanges them; the seed maker asks the
// simulator for their replies.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/command.h"
#include "framework/control_commands.h"
#include "framework/host_records.h"

namespace fuzz {

// What a command decodes into or reads from: host variables of assorted
// types (some slots empty), a state array, a module configuration, a value.
struct KindContext {
  static constexpr std::uint32_t kNodes = 32;

  VariableDb* db = nullptr;
  IoNode nodes[kNodes] = {};
  std::uint8_t states[kNodes] = {};
  rio::ModuleConfig config;
  float ledValue = 0;
  std::uint32_t outputWord = 0;
  std::uint16_t address = 1;
  std::uint8_t variant = 0;  // a free byte of the input for the kind's own choices
};

struct CommandKind {
  const char* name;
  const char* family;  // a simulator family whose modules answer the request
  std::unique_ptr<rio::Command> (*make)(bool checksum, KindContext& context);
};

const std::vector<CommandKind>& CommandKinds();

}  // namespace fuzz
