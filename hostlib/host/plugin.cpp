#include "host/plugin.h"

#include <dlfcn.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#ifndef RIO_PLUGIN_DIR
#error "RIO_PLUGIN_DIR must be defined (the build's plug-in directory)"
#endif

namespace host {
namespace {

std::string LastDlError() {
  const char* text = dlerror();
  return text != nullptr ? text : "(no dlerror text)";
}

// Reads one export. dlsym's void* is turned into a function pointer with
// memcpy (POSIX guarantees the representations match).
template <class Fn>
Fn Resolve(void* handle, const char* symbol, const std::string& path) {
  dlerror();
  void* address = dlsym(handle, symbol);
  if (address == nullptr) {
    throw std::runtime_error("test host: " + path + ": export " + symbol +
                             " not found: " + LastDlError());
  }
  Fn fn = nullptr;
  static_assert(sizeof(fn) == sizeof(address), "function and data pointers differ");
  std::memcpy(&fn, &address, sizeof(fn));
  return fn;
}

// Calls _GetName/_GetVersion with a large buffer pre-filled with a byte
// pattern and makes a C++ string of what the plug-in wrote.
template <class Fn>
std::string CallText(Fn fn) {
  constexpr std::uint32_t kSize = 4096;
  constexpr char kFill = '\x7f';
  std::vector<char> buffer(kSize + 1, kFill);
  fn(buffer.data(), kSize);
  buffer[kSize] = '\0';  // the host terminates the text itself
  std::string text;
  for (std::uint32_t i = 0; i < kSize && buffer[i] != '\0' && buffer[i] != kFill; ++i) {
    text.push_back(buffer[i]);
  }
  return text;
}

}  // namespace

std::string Plugin::PathOf(const std::string& deliverable) {
  return std::string(RIO_PLUGIN_DIR) + "/" + deliverable + ".so";
}

Plugin::Plugin(const std::string& deliverable)
    : path_(deliverable.find('/') == std::string::npos ? PathOf(deliverable) : deliverable) {
  handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    throw std::runtime_error("test host: dlopen " + path_ + " failed: " + LastDlError());
  }
  try {
    create_ = Resolve<hostabi::CreateModuleFn>(handle_, "_CreateModule", path_);
    getName_ = Resolve<hostabi::GetNameFn>(handle_, "_GetName", path_);
    getVersion_ = Resolve<hostabi::GetVersionFn>(handle_, "_GetVersion", path_);
  } catch (...) {
    dlclose(handle_);
    throw;
  }
}

Plugin::~Plugin() {
  if (handle_ != nullptr) dlclose(handle_);
}

hostabi::Module* Plugin::Create() { return create_(); }

std::uint8_t Plugin::GetName(char* buffer, std::uint32_t size) { return getName_(buffer, size); }

std::uint8_t Plugin::GetVersion(char* buffer, std::uint32_t size) {
  return getVersion_(buffer, size);
}

std::string Plugin::Name() { return CallText(getName_); }

std::string Plugin::Version() { return CallText(getVersion_); }

}  // namespace host
