// The three functions a driver plug-in exports. Compiled into every plug-in;
// the linker version script keeps every other symbol local.
#include <cstdint>
#include <cstring>

#include "framework/driver_identity.h"
#include "framework/module.h"

#define RIO_EXPORT extern "C" __attribute__((visibility("default")))

RIO_EXPORT rio::Module* _CreateModule(void) { return rio::NewDriverModule(); }

// The display names joined by ","; no terminating NUL is written. True when
// the whole text fitted with room to spare.
RIO_EXPORT std::uint8_t _GetName(char* buffer, std::uint32_t size) {
  const rio::ModelTable& models = rio::ThisDriver().models;
  std::uint32_t length = 0;
  auto put = [&](char c) {
    if (buffer != nullptr && length < size) buffer[length] = c;
    ++length;
  };
  for (std::size_t row = 0; row < models.count; ++row) {
    if (row > 0) put(',');
    for (const char* c = models.rows[row].displayName; *c != '\0'; ++c) put(*c);
  }
  return buffer != nullptr && length < size ? 1 : 0;
}

// The version string with its NUL, cut to the buffer; true only when the
// buffer is larger than the six characters.
RIO_EXPORT std::uint8_t _GetVersion(char* buffer, std::uint32_t size) {
  if (buffer == nullptr) return 0;
  const char* version = rio::ThisDriver().version;
  const std::uint32_t textSize = static_cast<std::uint32_t>(std::strlen(version)) + 1;
  std::memcpy(buffer, version, size < textSize ? size : textSize);
  return size > textSize ? 1 : 0;
}
