// The station file reader over arbitrary text, and what the host does with a
// station it accepted: the I/O tree built at the record layouts and the
// initial values stored (as iohost's Runtime::Build does, without loading
// plug-ins). Built with the TOML parser compiled in, so the fuzzer sees its
// coverage too.
//
// An accepted station must need nothing more checked: every module names a
// defined bus, every text fits its field, every initial value encodes, and
// integers and booleans shown to the user read back as the same value.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "host/station_tree.h"
#include "host/value_text.h"
#include "oracles.h"
#include "station/station.h"

namespace {

void CheckFields(const station::Station& st) {
  for (const station::Module& module : st.modules) {
    if (module.busIndex >= st.buses.size() || st.buses[module.busIndex].name != module.bus) {
      fuzz::Fail("module \"" + module.name + "\" accepted with an undefined bus");
    }
    if (module.address > station::kMaxAddress || module.watchdog > station::kMaxWatchdog) {
      fuzz::Fail("module \"" + module.name + "\" accepted with an address or watchdog out of range");
    }
    for (const station::Variable& var : module.variables) {
      if (var.name.empty() || var.name.size() > station::kMaxVariableNameLength ||
          var.params.size() > station::kMaxParamsLength || !host::HasArea(var.typeCode)) {
        fuzz::Fail("variable \"" + var.name + "\" accepted with a field that does not fit");
      }
    }
  }
}

// A value shown to the user must read back as itself.
void CheckShownValue(std::uint8_t code, const std::uint8_t* data) {
  if (code == host::kTypeString || code == host::kTypeFloat32 || code == host::kTypeFloat64) return;
  const std::string shown = host::FormatValue(code, data);
  std::uint8_t again[host::kStringRecordSize] = {};
  std::string error;
  if (!host::EncodeValue(code, shown, again, &error) || std::memcmp(again, data, host::ValueSize(code)) != 0) {
    fuzz::Fail("value shown as \"" + shown + "\" does not read back: " + error);
  }
}

void BuildTree(const station::Station& st) {
  host::StationTree::Capacity capacity;
  for (const station::Module& module : st.modules) {
    for (const station::Variable& var : module.variables) capacity.CountVariable(var.typeCode);
  }
  host::StationTree tree(capacity);
  for (const station::Module& module : st.modules) {
    const std::size_t node = tree.AddModule(static_cast<std::uint16_t>(module.address), module.model, module.params);
    for (const station::Variable& var : module.variables) {
      const host::Var built = tree.AddVariable(node, var.name, var.typeCode, var.params);
      if (!var.initial || built.data == nullptr) continue;
      std::string error;
      if (!host::EncodeValue(var.typeCode, *var.initial, built.data, &error)) {
        fuzz::Fail("accepted initial value \"" + *var.initial + "\" does not encode: " + error);
      }
      CheckShownValue(var.typeCode, built.data);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<station::Error> errors;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto st = station::Parse(text, "fuzz.toml", errors);
  if (!st) {
    if (errors.empty()) fuzz::Fail("a station refused without an error");
    for (const station::Error& error : errors) station::Format(st ? st->path : "fuzz.toml", error);
    return 0;
  }
  if (!errors.empty()) fuzz::Fail("a station accepted with errors");
  CheckFields(*st);
  BuildTree(*st);
  return 0;
}
