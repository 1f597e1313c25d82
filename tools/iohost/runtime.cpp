#include "runtime.h"

#include <strings.h>

#include <cstring>
#include <map>
#include <stdexcept>

#include "host/plugin_path.h"
#include "host/value_text.h"

namespace iohost {
namespace {

std::vector<std::string> SplitModels(const std::string& names) {
  std::vector<std::string> models;
  std::size_t start = 0;
  while (start <= names.size()) {
    const std::size_t end = std::min(names.find(',', start), names.size());
    if (end > start) models.push_back(names.substr(start, end - start));
    start = end + 1;
  }
  return models;
}

std::string Join(const std::vector<std::string>& items, const char* separator) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : separator) + item;
  return text;
}

// Loads every driver the station names, once per file. Faults go to errors
// with the line of the module that names the driver.
std::vector<host::Plugin*> LoadDrivers(const station::Station& station,
                                       const std::vector<std::string>& searchPath,
                                       std::vector<std::unique_ptr<host::Plugin>>& plugins,
                                       std::vector<station::Error>& errors) {
  std::map<std::string, host::Plugin*> byFile;
  std::map<std::string, std::string> loadFailures;
  std::vector<host::Plugin*> perModule;
  for (const station::Module& module : station.modules) {
    perModule.push_back(nullptr);
    const std::string file = host::FindPlugin(module.driver, searchPath);
    if (file.empty()) {
      errors.push_back({module.driverLine, "unknown driver \"" + module.driver + "\" of module \"" +
                                               module.name + "\" (searched " +
                                               (module.driver.find('/') != std::string::npos
                                                    ? module.driver
                                                    : Join(searchPath, ", ")) +
                                               "; `iohost drivers` lists the drivers found)"});
      continue;
    }
    if (loadFailures.count(file) != 0) {
      errors.push_back({module.driverLine, loadFailures[file]});
      continue;
    }
    auto found = byFile.find(file);
    if (found == byFile.end()) {
      try {
        plugins.push_back(std::make_unique<host::Plugin>(file));
      } catch (const std::exception& error) {
        loadFailures[file] = "driver \"" + module.driver + "\" cannot be loaded: " + error.what();
        errors.push_back({module.driverLine, loadFailures[file]});
        continue;
      }
      found = byFile.emplace(file, plugins.back().get()).first;
    }
    host::Plugin* plugin = found->second;
    const std::vector<std::string> models = SplitModels(plugin->Name());
    bool served = false;
    for (const std::string& model : models) served |= strcasecmp(model.c_str(), module.model.c_str()) == 0;
    if (!served) {
      errors.push_back({module.line, "model \"" + module.model + "\" of module \"" + module.name +
                                         "\" is not served by driver " + module.driver +
                                         " (models: " + Join(models, ", ") + ")"});
      continue;
    }
    perModule.back() = plugin;
  }
  return perModule;
}

}  // namespace

std::unique_ptr<Runtime> Runtime::Build(const station::Station& station,
                                        const std::vector<std::string>& pluginSearchPath,
                                        std::vector<station::Error>& errors, std::string* failure) {
  std::unique_ptr<Runtime> runtime(new Runtime());
  runtime->station_ = station;
  const station::Station& st = runtime->station_;
  const std::size_t errorsBefore = errors.size();
  const std::vector<host::Plugin*> drivers =
      LoadDrivers(st, pluginSearchPath, runtime->plugins_, errors);
  if (errors.size() != errorsBefore) return nullptr;

  host::StationTree::Capacity capacity;
  for (const station::Module& module : st.modules) {
    for (const station::Variable& var : module.variables) capacity.CountVariable(var.typeCode);
  }
  runtime->tree_ = std::make_unique<host::StationTree>(capacity);
  host::StationTree& tree = *runtime->tree_;

  for (const station::Bus& bus : st.buses) {
    auto runtimeBus = std::make_unique<RuntimeBus>();
    runtimeBus->config = &bus;
    runtimeBus->portPath = bus.port;
    runtimeBus->echo = bus.echo;
    runtime->buses_.push_back(std::move(runtimeBus));
  }
  runtime->modules_.resize(st.modules.size());
  for (std::size_t i = 0; i < st.modules.size(); ++i) {
    const station::Module& config = st.modules[i];
    RuntimeModule& module = runtime->modules_[i];
    module.config = &config;
    module.busIndex = config.busIndex;
    const std::size_t node = tree.AddModule(static_cast<std::uint16_t>(config.address), config.model,
                                            config.params);
    for (const station::Variable& var : config.variables) {
      RuntimeVariable entry{&var, tree.AddVariable(node, var.name, var.typeCode, var.params)};
      if (var.initial && entry.var.data != nullptr) {
        host::EncodeValue(var.typeCode, *var.initial, entry.var.data, nullptr);  // checked by Load
      }
      module.variables.push_back(entry);
    }
    module.module = drivers[i]->CreateModule();
    if (module.module == nullptr) {
      *failure = "driver " + config.driver + " returned no Module for \"" + config.name + "\"";
      return nullptr;
    }
    module.module->SetWatchdogTimeout(config.watchdog);
    const bool checksum = st.buses[config.busIndex].checksum;
    module.module->Initialize(tree.Db(), tree.ModuleNode(node), config.flags, checksum ? 1 : 0);
    module.scanMode = module.module->GetScanMode();
    runtime->buses_[config.busIndex]->modules.push_back(&module);
  }
  return runtime;
}

Runtime::~Runtime() = default;

RuntimeModule* Runtime::FindModule(const std::string& name) {
  for (RuntimeModule& module : modules_) {
    if (module.config->name == name) return &module;
  }
  return nullptr;
}

RuntimeVariable* Runtime::FindVariable(RuntimeModule& module, const std::string& name) {
  for (RuntimeVariable& var : module.variables) {
    if (var.config->name == name) return &var;
  }
  return nullptr;
}

bool Runtime::Set(const std::string& moduleName, const std::string& variableName,
                  const std::string& text, std::string* message) {
  RuntimeModule* module = FindModule(moduleName);
  if (module == nullptr) {
    *message = "no module \"" + moduleName + "\"";
    return false;
  }
  RuntimeVariable* var = FindVariable(*module, variableName);
  if (var == nullptr) {
    *message = "module \"" + moduleName + "\" has no variable \"" + variableName + "\"";
    return false;
  }
  if (var->var.data == nullptr) {
    *message = "variable \"" + variableName + "\" holds no value";
    return false;
  }
  std::uint8_t value[host::kStringRecordSize];
  if (!host::EncodeValue(var->config->typeCode, text, value, message)) return false;
  RuntimeBus& bus = *buses_[module->busIndex];
  {
    std::lock_guard<std::mutex> lock(bus.mutex);
    std::memcpy(var->var.data, value, host::ValueSize(var->config->typeCode));
  }
  *message = moduleName + " " + variableName + " = " + Get(moduleName, variableName).value_or("");
  return true;
}

std::optional<std::string> Runtime::Get(const std::string& moduleName, const std::string& variableName) {
  RuntimeModule* module = FindModule(moduleName);
  RuntimeVariable* var = module != nullptr ? FindVariable(*module, variableName) : nullptr;
  if (var == nullptr || var->var.data == nullptr) return std::nullopt;
  std::lock_guard<std::mutex> lock(buses_[module->busIndex]->mutex);
  return host::FormatValue(var->config->typeCode, var->var.data);
}

}  // namespace iohost
