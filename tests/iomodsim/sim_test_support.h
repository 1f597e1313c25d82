// A Bus on a hand-driven clock, and exchanges written as command text.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "iomodsim/bus.h"

namespace sim::test {

constexpr const char* kNoReply = "(no reply)";

inline std::string Checksum(const std::string& text) {
  unsigned sum = 0;
  for (char c : text) sum += static_cast<unsigned char>(c);
  static const char kDigits[] = "0123456789ABCDEF";
  return {kDigits[(sum >> 4) & 0xF], kDigits[sum & 0xF]};
}

struct TestBus {
  explicit TestBus(BusOptions options = {}) : bus(options) {
    bus.SetClock([this] { return now; });
  }

  void Add(const std::string& driver, unsigned address, const std::string& model = "") {
    std::string error;
    ASSERT_TRUE(bus.AddModule({driver, address, model}, &error)) << error;
  }

  // Sends the command text framed as the bus wants it (checksum when on,
  // carriage return) and returns the reply text with its checksum checked
  // and removed, or kNoReply.
  std::string Ask(const std::string& command) {
    bool checksum = bus.Options().checksum;
    auto reply = bus.Respond(command + (checksum ? Checksum(command) : "") + "\r");
    if (!reply) return kNoReply;
    EXPECT_EQ(reply->back(), '\r') << *reply;
    std::string text = reply->substr(0, reply->size() - 1);
    if (checksum) {
      EXPECT_GE(text.size(), 3u);
      std::string digits = text.substr(text.size() - 2);
      text.resize(text.size() - 2);
      EXPECT_EQ(digits, Checksum(text)) << "reply " << *reply;
    }
    return text;
  }

  ModuleSnapshot Snap(unsigned address) {
    auto snapshot = bus.Snapshot(address);
    EXPECT_TRUE(snapshot.has_value());
    return snapshot.value_or(ModuleSnapshot{});
  }

  std::uint64_t now = 1000;
  Bus bus;
};

// Field i of fixed width after the first reply character.
inline std::string Field(const std::string& reply, std::size_t index, std::size_t width) {
  return reply.substr(1 + index * width, width);
}

inline double FieldValue(const std::string& reply, std::size_t index, std::size_t width) {
  return std::atof(Field(reply, index, width).c_str());
}

}  // namespace sim::test
