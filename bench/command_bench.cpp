// The cost of one exchange of each command kind that computes its request
// or decodes its reply: Prepare (request text, checksum, framing, reply
// buffer cleared), the reply copied into the buffer (the host's part) and
// ParseReply (base check, decode, variables written). The reset request is
// the floor every kind pays: fixed text, nothing decoded. All with checksums
// on, module address 01, variables in a host tree at the host's layouts.
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bench_registry.h"
#include "framework/control_commands.h"
#include "groups/analog_in/analog_read_command.h"
#include "groups/analog_in/channel_temp_command.h"
#include "groups/analog_in/cjc_commands.h"
#include "groups/analog_in/led_commands.h"
#include "groups/analog_out/output_write_command.h"
#include "groups/digital/counter_commands.h"
#include "groups/digital/read_commands.h"
#include "groups/digital/write_commands.h"
#include "host/host_tree.h"

namespace bench {
namespace {

constexpr bool kChecksum = true;
constexpr std::uint16_t kAddress = 1;

// payload + checksum digits + carriage return, as the module sends it.
std::string Framed(const std::string& payload) {
  char digits[2];
  rio::FormatChecksum(payload.data(), static_cast<std::uint32_t>(payload.size()), digits);
  return payload + std::string(digits, 2) + "\r";
}

// Variables for the command under test.
struct Variables {
  host::HostTree tree{kAddress, "MX-BENCH", "00,Continuous,100,2"};
  VariableDb* Db() const { return reinterpret_cast<VariableDb*>(tree.Db()); }
  // count variables of one type named prefix + n; their nodes in order.
  std::vector<IoNode> Add(const char* prefix, std::uint16_t type, int count) {
    std::vector<IoNode> nodes;
    for (int n = 0; n < count; ++n) nodes.push_back(tree.AddVariable(prefix + std::to_string(n), type).node);
    return nodes;
  }
  IoNode Real(const char* name, float value) {
    const host::Var var = tree.AddVariable(name, host::kTypeFloat32);
    tree.Set<float>(var, value);
    return var.node;
  }
};

// The measured exchange. Real-time path of the plug-in.
void TimeExchange(benchmark::State& state, rio::Command& command, const std::string& replyPayload) {
  const std::string reply = Framed(replyPayload);
  if (reply.size() >= command.GetReplyBufferSize()) {
    state.SkipWithError("the reply does not fit the command's buffer");
    return;
  }
  std::uint32_t status = rio::ReplyOk;
  for (auto _ : state) {
    command.Prepare();
    std::memcpy(command.GetReplyBuffer(), reply.data(), reply.size());
    status = command.ParseReply();
    benchmark::DoNotOptimize(status);
  }
  if (status != rio::ReplyOk) state.SkipWithError(("reply refused with status " + std::to_string(status)).c_str());
  // The same counters as the scan benchmarks: the CSV has one set of columns.
  state.counters["exchanges"] = 1;
  state.counters["request_chars"] = command.GetRequestLength();
  state.counters["reply_chars"] = static_cast<double>(reply.size());
}

std::string Fields(int count, const char* field) {
  std::string text;
  for (int n = 0; n < count; ++n) text += field;
  return text;
}

void Reset(benchmark::State& state) {
  rio::ResetCommand command(kChecksum);
  command.Build(kAddress);
  TimeExchange(state, command, "!01");
}

void NameQuery(benchmark::State& state) {
  rio::NameQueryCommand command(kChecksum);
  command.Build(kAddress, "43110");
  TimeExchange(state, command, "!0143110");
}

void ConfigRead(benchmark::State& state) {
  rio::ModuleConfig config;
  rio::ConfigReadCommand command(kChecksum, rio::ParamForm::Format, config);
  command.Build(kAddress);
  TimeExchange(state, command, "!01050600");
}

void ConfigWrite(benchmark::State& state) {
  rio::ModuleConfig config;
  config.typeCode = 0x05;
  config.baudCode = 0x06;
  config.readBack = true;
  rio::ConfigWriteCommand command(kChecksum, rio::ParamForm::Format, config);
  command.Build(kAddress);
  TimeExchange(state, command, "!01");
}

void AnalogRead(benchmark::State& state, rio::ReadFormat format, const char* field) {
  Variables vars;
  const std::vector<IoNode> inputs = vars.Add("AI ", host::kTypeFloat32, 8);
  rio::AnalogReadCommand command(kChecksum);
  command.Configure("#AA", kAddress, vars.Db(), inputs.data(), 8, format);
  TimeExchange(state, command, ">" + Fields(8, field));
}

void CjcRead(benchmark::State& state) {
  Variables vars;
  rio::CjcReadCommand command(kChecksum);
  command.Build(kAddress, vars.Db(), vars.Real("CJC", 0));
  TimeExchange(state, command, ">+025.30");
}

void CjcEnable(benchmark::State& state) {
  Variables vars;
  const host::Var enable = vars.tree.AddVariable("Enable CJC", host::kTypeBool);
  vars.tree.Set<bool>(enable, true);
  rio::CjcEnableCommand command(kChecksum);
  command.Build(kAddress, vars.Db(), enable.node);
  TimeExchange(state, command, "!01");
}

void CjcOffset(benchmark::State& state, rio::CjcOffsetForm form) {
  Variables vars;
  rio::CjcOffsetCommand command(kChecksum, form);
  command.Build(kAddress, 3, vars.Db(), vars.Real("Set CJC 3", -1.25f));
  TimeExchange(state, command, "!01");
}

void ChannelTemp(benchmark::State& state) {
  Variables vars;
  rio::ChannelTempCommand command(kChecksum);
  command.Build(kAddress, 3, vars.Db(), vars.Real("Temp 3", 2.5f));
  TimeExchange(state, command, "!01");
}

void LedValue(benchmark::State& state) {
  const float value = -12.345f;
  rio::LedValueCommand command(kChecksum, value);
  command.Build(kAddress);
  TimeExchange(state, command, "!01");
}

void OutputWrite(benchmark::State& state, rio::WriteFormat format, std::uint32_t word) {
  rio::OutputWriteCommand command(kChecksum);
  command.SetLive(kAddress, 1, &word, format);
  TimeExchange(state, command, ">");
}

std::uint32_t BitsOf(float value) {
  std::uint32_t word = 0;
  std::memcpy(&word, &value, sizeof word);
  return word;
}

void BankRead(benchmark::State& state) {
  Variables vars;
  const std::vector<IoNode> inputs = vars.Add("DI ", host::kTypeBool, 32);
  rio::BankReadCommand command(kChecksum);
  command.ConfigureForVariables(kAddress, vars.Db(), inputs.data(), 32, 0xFFFFFFFFU);
  TimeExchange(state, command, ">12345678");
}

void BankWrite(benchmark::State& state) {
  Variables vars;
  const std::vector<IoNode> outputs = vars.Add("DO ", host::kTypeBool, 32);
  rio::BankWriteCommand command(kChecksum);
  command.ConfigureFromVariables(kAddress, vars.Db(), outputs.data(), 32);
  TimeExchange(state, command, ">");
}

void PortRead(benchmark::State& state) {
  Variables vars;
  const std::vector<IoNode> inputs = vars.Add("DI ", host::kTypeBool, 2);
  rio::PortReadCommand command(kChecksum);
  command.Configure(kAddress, vars.Db(), inputs.data(), 2, 0);
  TimeExchange(state, command, "!010002");
}

void PortWrite(benchmark::State& state) {
  Variables vars;
  const std::vector<IoNode> outputs = vars.Add("DO ", host::kTypeBool, 8);
  rio::PortWriteCommand command(kChecksum);
  command.Configure(kAddress, vars.Db(), outputs.data(), 8, 0xFF);
  TimeExchange(state, command, "!01");
}

void CounterRead(benchmark::State& state) {
  Variables vars;
  rio::CounterReadCommand command(kChecksum);
  command.Build(kAddress, "1F", vars.Db(), vars.tree.AddVariable("DI Counter 31", host::kTypeUInt32).node);
  TimeExchange(state, command, "!0100042");
}

void PortCounterRead(benchmark::State& state) {
  Variables vars;
  rio::PortCounterReadCommand command(kChecksum);
  command.Build(kAddress, "1", vars.Db(), vars.tree.AddVariable("DI Counter 1", host::kTypeUInt32).node);
  TimeExchange(state, command, "!010000002A");
}

}  // namespace

void RegisterCommandBenchmarks() {
  using Body = std::function<void(benchmark::State&)>;
  const std::vector<std::pair<const char*, Body>> kinds = {
      {"Reset", Reset},
      {"NameQuery", NameQuery},
      {"ConfigRead", ConfigRead},
      {"ConfigWrite", ConfigWrite},
      {"AnalogRead/8x7 decimal", [](benchmark::State& s) { AnalogRead(s, {7, true}, "+01.000"); }},
      {"AnalogRead/8x4 hex", [](benchmark::State& s) { AnalogRead(s, {4, false}, "7FFF"); }},
      {"CjcRead", CjcRead},
      {"CjcEnable", CjcEnable},
      {"CjcOffset/channel", [](benchmark::State& s) { CjcOffset(s, rio::CjcOffsetForm::Channel); }},
      {"CjcOffset/module", [](benchmark::State& s) { CjcOffset(s, rio::CjcOffsetForm::Module); }},
      {"ChannelTemp", ChannelTemp},
      {"LedValue", LedValue},
      {"OutputWrite/%+07.3f", [](benchmark::State& s) { OutputWrite(s, rio::kSignedThreeDecimals, BitsOf(-4.25f)); }},
      {"OutputWrite/hex", [](benchmark::State& s) { OutputWrite(s, rio::kHexFormat, 0x7FFFU); }},
      {"BankRead/32", BankRead},
      {"BankWrite/32", BankWrite},
      {"PortRead", PortRead},
      {"PortWrite", PortWrite},
      {"CounterRead", CounterRead},
      {"PortCounterRead", PortCounterRead},
  };
  for (const auto& kind : kinds) {
    benchmark::RegisterBenchmark((std::string("command/") + kind.first).c_str(), kind.second);
  }
}

}  // namespace bench
