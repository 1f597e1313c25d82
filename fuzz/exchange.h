// How a reply reaches a command, for the plug-in's own Command and for the
// host's view of it (hostabi::Command) alike.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace fuzz {

enum class Delivery : std::uint8_t {
  // As the runtime does: from position 0, at most size - 1 characters, asking
  // IsReplyComplete after each one and stopping at the first true.
  HostLike,
  // The bytes taken as a payload: checksum digits (when on) and a carriage
  // return are added, then delivered like the host.
  Framed,
  // The whole buffer filled, its last byte included: no NUL is left.
  FillWhole,
};

inline std::string ChecksumDigits(const std::string& text) {
  unsigned sum = 0;
  for (char c : text) sum += static_cast<unsigned char>(c);
  static const char kHex[] = "0123456789ABCDEF";
  return {kHex[(sum >> 4) & 0xF], kHex[sum & 0xF]};
}

// Returns false when the command has no reply buffer.
template <class CommandT>
bool Deliver(CommandT& command, const std::string& bytes, Delivery mode, bool checksum) {
  char* buffer = command.GetReplyBuffer();
  const std::uint32_t size = command.GetReplyBufferSize();
  if (buffer == nullptr || size == 0) return false;
  if (mode == Delivery::FillWhole) {
    std::memcpy(buffer, bytes.data(), bytes.size() < size ? bytes.size() : size);
    return true;
  }
  const std::string wire = mode == Delivery::Framed ? bytes + (checksum ? ChecksumDigits(bytes) : "") + "\r" : bytes;
  for (std::uint32_t i = 0; i < wire.size() && i + 1 < size; ++i) {
    buffer[i] = wire[i];
    if (command.IsReplyComplete(i) != 0) break;
  }
  return true;
}

}  // namespace fuzz
