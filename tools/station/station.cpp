#include "station/station.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <toml++/toml.h>

#include "host/value_text.h"

namespace station {
namespace {

int LineOf(const toml::node& node) { return static_cast<int>(node.source().begin.line); }

// Collects errors while reading one file; every check goes on after a fault so
// that the user sees all faults of the file at once.
class Reader {
 public:
  explicit Reader(std::vector<Error>& errors) : errors_(errors) {}

  void Add(int line, std::string message) { errors_.push_back({line, std::move(message)}); }
  std::size_t Count() const { return errors_.size(); }

  // Reports keys of a table that are not in allowed (a misspelt key would
  // otherwise be ignored silently).
  void CheckKeys(const toml::table& table, std::initializer_list<const char*> allowed,
                 const std::string& where) {
    for (auto&& [key, node] : table) {
      // A lambda may not capture a structured binding in C++17.
      const std::string_view keyText = key.str();
      const bool known = std::any_of(allowed.begin(), allowed.end(),
                                     [&](const char* name) { return keyText == name; });
      if (!known) {
        std::string list;
        for (const char* name : allowed) list += std::string(list.empty() ? "" : ", ") + name;
        Add(LineOf(node), "unknown key \"" + std::string(key.str()) + "\" in " + where +
                              " (known keys: " + list + ")");
      }
    }
  }

  // A string key. Missing: error when required, else the default stays.
  bool String(const toml::table& table, const char* key, int ownerLine, const std::string& where,
              bool required, std::string& out) {
    const toml::node* node = table.get(key);
    if (node == nullptr) {
      if (required) Add(ownerLine, where + " has no \"" + key + "\"");
      return false;
    }
    if (!node->is_string()) {
      Add(LineOf(*node), std::string("\"") + key + "\" of " + where + " must be a text in quotes");
      return false;
    }
    out = node->as_string()->get();
    return true;
  }

  // An integer key within [min, max].
  template <class T>
  bool Number(const toml::table& table, const char* key, const std::string& where,
              std::int64_t min, std::int64_t max, T& out, int ownerLine = 0) {
    const toml::node* node = table.get(key);
    if (node == nullptr) {
      if (ownerLine != 0) Add(ownerLine, where + " has no \"" + key + "\"");
      return false;
    }
    if (!node->is_integer()) {
      Add(LineOf(*node), std::string("\"") + key + "\" of " + where + " must be a whole number");
      return false;
    }
    const std::int64_t value = node->as_integer()->get();
    if (value < min || value > max) {
      Add(LineOf(*node), std::string("\"") + key + "\" of " + where + " is " +
                             std::to_string(value) + ", allowed " + std::to_string(min) + " to " +
                             std::to_string(max));
      return false;
    }
    out = static_cast<T>(value);
    return true;
  }

  bool Boolean(const toml::table& table, const char* key, const std::string& where, bool& out) {
    const toml::node* node = table.get(key);
    if (node == nullptr) return false;
    if (!node->is_boolean()) {
      Add(LineOf(*node), std::string("\"") + key + "\" of " + where + " must be true or false");
      return false;
    }
    out = node->as_boolean()->get();
    return true;
  }

  // Also refuses a NUL ("\u0000"): the field would end there.
  void Length(const toml::table& table, const char* key, const std::string& where,
              const std::string& value, std::size_t max) {
    const toml::node* node = table.get(key);
    if (value.size() > max) {
      Add(node != nullptr ? LineOf(*node) : 0,
          std::string("\"") + key + "\" of " + where + " has " + std::to_string(value.size()) +
              " characters, at most " + std::to_string(max) + " fit");
    }
    if (value.find('\0') != std::string::npos) {
      Add(node != nullptr ? LineOf(*node) : 0, std::string("\"") + key + "\" of " + where + " contains a NUL character");
    }
  }

 private:
  std::vector<Error>& errors_;
};

// The tables of an array-of-tables key ([[bus]], [[module]], [[module.variable]]).
std::vector<const toml::table*> TablesOf(Reader& reader, const toml::table& parent,
                                         const char* key, const char* header) {
  std::vector<const toml::table*> tables;
  const toml::node* node = parent.get(key);
  if (node == nullptr) return tables;
  const toml::array* array = node->as_array();
  if (array == nullptr || !array->is_array_of_tables()) {
    reader.Add(LineOf(*node), std::string("\"") + key + "\" must be written as [[" + header +
                                  "]] sections, one per entry");
    return tables;
  }
  for (const toml::node& entry : *array) tables.push_back(entry.as_table());
  return tables;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

Bus ReadBus(Reader& reader, const toml::table& table, std::size_t index) {
  Bus bus;
  bus.line = LineOf(table);
  std::string where = "bus " + std::to_string(index + 1);
  reader.CheckKeys(table, {"name", "port", "baud", "parity", "data_bits", "stop_bits",
                           "timeout_ms", "char_timeout_ms", "checksum", "echo", "turnaround_ms"},
                   "a [[bus]]");
  if (reader.String(table, "name", bus.line, where, true, bus.name)) {
    if (bus.name.empty()) reader.Add(bus.line, where + " has an empty name");
    where = "bus " + Quoted(bus.name);
  }
  if (reader.String(table, "port", bus.line, where, true, bus.port) && bus.port.empty()) {
    reader.Add(LineOf(*table.get("port")), where + " has an empty port");
  }
  reader.Number(table, "baud", where, 50, 4000000, bus.baud);
  std::string parity = "none";
  if (reader.String(table, "parity", bus.line, where, false, parity)) {
    if (parity == "none") bus.parity = Parity::kNone;
    else if (parity == "even") bus.parity = Parity::kEven;
    else if (parity == "odd") bus.parity = Parity::kOdd;
    else reader.Add(LineOf(*table.get("parity")),
                    "parity of " + where + " is " + Quoted(parity) + ", use none, even or odd");
  }
  reader.Number(table, "data_bits", where, 7, 8, bus.dataBits);
  reader.Number(table, "stop_bits", where, 1, 2, bus.stopBits);
  reader.Number(table, "timeout_ms", where, 1, 60000, bus.timeoutMs);
  reader.Number(table, "char_timeout_ms", where, 0, 60000, bus.charTimeoutMs);
  reader.Boolean(table, "checksum", where, bus.checksum);
  reader.Boolean(table, "echo", where, bus.echo);
  reader.Number(table, "turnaround_ms", where, 0, kMaxTurnaroundMs, bus.turnaroundMs);
  return bus;
}

// The initial value as the text that the value parser reads.
std::optional<std::string> InitialText(Reader& reader, const toml::node& node,
                                       const std::string& where) {
  if (node.is_string()) return node.as_string()->get();
  if (node.is_boolean()) return std::string(node.as_boolean()->get() ? "1" : "0");
  if (node.is_integer()) return std::to_string(node.as_integer()->get());
  if (node.is_floating_point()) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", node.as_floating_point()->get());
    return std::string(text);
  }
  reader.Add(LineOf(node), "initial value of " + where + " must be a number, true/false or a text");
  return std::nullopt;
}

Variable ReadVariable(Reader& reader, const toml::table& table, const std::string& moduleWhere,
                      std::size_t index) {
  Variable var;
  var.line = LineOf(table);
  std::string where = "variable " + std::to_string(index + 1) + " of " + moduleWhere;
  reader.CheckKeys(table, {"name", "type", "params", "initial"}, "a [[module.variable]]");
  if (reader.String(table, "name", var.line, where, true, var.name)) {
    if (var.name.empty()) reader.Add(var.line, where + " has an empty name");
    where = "variable " + Quoted(var.name) + " of " + moduleWhere;
    reader.Length(table, "name", where, var.name, kMaxVariableNameLength);
  }
  if (reader.String(table, "type", var.line, where, true, var.typeName)) {
    const auto code = host::TypeCodeOf(var.typeName);
    if (code) {
      var.typeCode = *code;
      var.typeName = host::TypeNameOf(*code);
    } else {
      reader.Add(LineOf(*table.get("type")), "unknown type " + Quoted(var.typeName) + " of " +
                                                 where + " (types: " + host::TypeNameList() + ")");
    }
  }
  if (reader.String(table, "params", var.line, where, false, var.params)) {
    reader.Length(table, "params", where, var.params, kMaxParamsLength);
  }
  if (const toml::node* initial = table.get("initial")) {
    var.initial = InitialText(reader, *initial, where);
    std::string problem;
    if (var.initial && var.typeCode != 0 && !host::CheckValue(var.typeCode, *var.initial, &problem)) {
      reader.Add(LineOf(*initial), "initial value of " + where + ": " + problem);
    }
  }
  return var;
}

Module ReadModule(Reader& reader, const toml::table& table, std::size_t index) {
  Module module;
  module.line = LineOf(table);
  std::string where = "module " + std::to_string(index + 1);
  reader.CheckKeys(table, {"name", "bus", "driver", "address", "model", "params", "flags",
                           "watchdog", "variable"}, "a [[module]]");
  if (reader.String(table, "name", module.line, where, true, module.name)) {
    if (module.name.empty()) reader.Add(module.line, where + " has an empty name");
    where = "module " + Quoted(module.name);
  }
  reader.String(table, "bus", module.line, where, true, module.bus);
  if (reader.String(table, "driver", module.line, where, true, module.driver)) {
    module.driverLine = LineOf(*table.get("driver"));
    if (module.driver.empty()) reader.Add(module.driverLine, where + " has an empty driver");
  }
  reader.Number(table, "address", where, 0, kMaxAddress, module.address, module.line);
  if (reader.String(table, "model", module.line, where, true, module.model)) {
    reader.Length(table, "model", where, module.model, kMaxModelLength);
  }
  if (reader.String(table, "params", module.line, where, false, module.params)) {
    reader.Length(table, "params", where, module.params, kMaxParamsLength);
  }
  reader.Number(table, "flags", where, 0, 0xFFFFFFFFLL, module.flags);
  reader.Number(table, "watchdog", where, 0, kMaxWatchdog, module.watchdog);
  const auto variables = TablesOf(reader, table, "variable", "module.variable");
  std::set<std::string> names;
  for (std::size_t i = 0; i < variables.size(); ++i) {
    Variable var = ReadVariable(reader, *variables[i], where, i);
    if (!var.name.empty() && !names.insert(var.name).second) {
      reader.Add(var.line, "variable " + Quoted(var.name) + " appears twice in " + where);
    }
    module.variables.push_back(std::move(var));
  }
  return module;
}

// Checks between entries: unique names, known buses, one module per address.
void CrossCheck(Reader& reader, Station& st) {
  std::set<std::string> busNames;
  for (const Bus& bus : st.buses) {
    if (!bus.name.empty() && !busNames.insert(bus.name).second) {
      reader.Add(bus.line, "bus name " + Quoted(bus.name) + " is used twice");
    }
  }
  std::set<std::string> moduleNames;
  std::set<std::pair<std::size_t, unsigned>> addresses;
  for (Module& module : st.modules) {
    if (!module.name.empty() && !moduleNames.insert(module.name).second) {
      reader.Add(module.line, "module name " + Quoted(module.name) + " is used twice");
    }
    const auto bus = std::find_if(st.buses.begin(), st.buses.end(),
                                  [&](const Bus& b) { return b.name == module.bus; });
    if (bus == st.buses.end()) {
      if (!module.bus.empty() || st.buses.empty()) {
        reader.Add(module.line, "module " + Quoted(module.name) + " names bus " +
                                    Quoted(module.bus) + ", which is not defined");
      }
      continue;
    }
    module.busIndex = static_cast<std::size_t>(bus - st.buses.begin());
    if (!addresses.insert({module.busIndex, module.address}).second) {
      reader.Add(module.line, "module " + Quoted(module.name) + ": address " +
                                  std::to_string(module.address) + " is already used on bus " +
                                  Quoted(bus->name));
    }
  }
  if (st.modules.empty()) reader.Add(0, "the station has no [[module]]");
}

}  // namespace

const Module* Station::FindModule(std::string_view name) const {
  for (const Module& module : modules) {
    if (module.name == name) return &module;
  }
  return nullptr;
}

const Variable* Station::FindVariable(const Module& module, std::string_view name) const {
  for (const Variable& var : module.variables) {
    if (var.name == name) return &var;
  }
  return nullptr;
}

std::optional<Station> Parse(std::string_view text, const std::string& sourceName,
                             std::vector<Error>& errors) {
  Reader reader(errors);
  const std::size_t before = reader.Count();
  toml::table root;
  try {
    root = toml::parse(text, sourceName);
  } catch (const toml::parse_error& error) {
    reader.Add(static_cast<int>(error.source().begin.line),
               "TOML syntax: " + std::string(error.description()));
    return std::nullopt;
  }
  Station st;
  st.path = sourceName;
  reader.CheckKeys(root, {"bus", "module"}, "the station file");
  const auto buses = TablesOf(reader, root, "bus", "bus");
  for (std::size_t i = 0; i < buses.size(); ++i) st.buses.push_back(ReadBus(reader, *buses[i], i));
  const auto modules = TablesOf(reader, root, "module", "module");
  for (std::size_t i = 0; i < modules.size(); ++i) {
    st.modules.push_back(ReadModule(reader, *modules[i], i));
  }
  CrossCheck(reader, st);
  if (reader.Count() != before) {
    std::stable_sort(errors.begin() + static_cast<std::ptrdiff_t>(before), errors.end(),
                     [](const Error& a, const Error& b) { return a.line < b.line; });
    return std::nullopt;
  }
  return st;
}

std::optional<Station> Load(const std::string& path, std::vector<Error>& errors) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    errors.push_back({0, "cannot open the station file"});
    return std::nullopt;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return Parse(text.str(), path, errors);
}

std::string Format(const std::string& path, const Error& error) {
  if (error.line <= 0) return path + ": " + error.message;
  return path + ":" + std::to_string(error.line) + ": " + error.message;
}

}  // namespace station
