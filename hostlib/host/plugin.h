// Test host: loads one driver plug-in the way the runtime does (dlopen, then
// the three exports resolved by name; everything else through the virtual
// tables of hostabi::Module and hostabi::Command).
//
//   host::Plugin plugin("mx43110");                 // RIO_PLUGIN_DIR/mx43110.so
//   EXPECT_EQ(plugin.Name(), "MX-43110");
//   host::ModulePtr module = plugin.CreateModule();  // Destroy() at scope end
//   module->Initialize(tree.Db(), tree.ModuleNode(), 0, 1);
//
// The Plugin must outlive every Module created from it (dlclose unmaps the
// code). Failures to load throw std::runtime_error with the dlerror() text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/abi.h"

namespace host {

// Calls Destroy() (slot 1), never delete.
struct ModuleDeleter {
  void operator()(hostabi::Module* module) const {
    if (module != nullptr) module->Destroy();
  }
};
using ModulePtr = std::unique_ptr<hostabi::Module, ModuleDeleter>;

class Plugin {
 public:
  // RIO_PLUGIN_DIR "/" deliverable ".so" (RIO_PLUGIN_DIR: the build's plugins/).
  static std::string PathOf(const std::string& deliverable);

  // deliverable: a deliverable name ("mx43110"), or a path if it contains '/'.
  // dlopen(RTLD_NOW | RTLD_LOCAL) and dlsym of _CreateModule, _GetName and
  // _GetVersion; throws std::runtime_error (with dlerror()) on any failure.
  explicit Plugin(const std::string& deliverable);
  ~Plugin();  // dlclose
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  const std::string& Path() const { return path_; }

  // The raw exports.
  hostabi::Module* Create();                               // _CreateModule()
  std::uint8_t GetName(char* buffer, std::uint32_t size);   // _GetName
  std::uint8_t GetVersion(char* buffer, std::uint32_t size);  // _GetVersion

  // _CreateModule wrapped so that Destroy() is called at the end.
  ModulePtr CreateModule() { return ModulePtr(Create()); }

  // Conveniences: call the export with a 4096-byte buffer and terminate the
  // text as the runtime does (the plug-in writes no NUL after names); the
  // text ends at the first NUL or at the number of bytes the plug-in wrote
  // (bytes it did not write are detected by a fill pattern).
  std::string Name();
  std::string Version();

 private:
  std::string path_;
  void* handle_ = nullptr;
  hostabi::CreateModuleFn create_ = nullptr;
  hostabi::GetNameFn getName_ = nullptr;
  hostabi::GetVersionFn getVersion_ = nullptr;
};

}  // namespace host
