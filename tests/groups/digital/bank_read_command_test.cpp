// The "@" state word: the mask picks a group's channels, its lowest bit
// becomes channel 0, and a word without the digits of the highest channel
// decoded is rejected before anything is written.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "groups/digital/read_commands.h"

namespace rio {
namespace {

struct Case {
  std::uint32_t mask;
  std::uint32_t channels;
  const char* reply;  // without the carriage return
  std::uint32_t status;
  std::uint32_t states;  // bit i = channel i, when accepted
};

const Case kCases[] = {
    // Inputs of 8-channel input modules: bits 8 to 15, four digits needed.
    {0x0000FF00, 8, ">5A00", ReplyOk, 0x5A},
    {0x0000FF00, 8, ">12A5", ReplyOk, 0x12},
    {0x0000FF00, 8, ">5A0", ReplyInvalid, 0},
    {0x0000FF00, 8, ">5A", ReplyInvalid, 0},
    // The whole word, 8 channels: two digits carry them.
    {0xFFFFFFFF, 8, ">A5", ReplyOk, 0xA5},
    {0xFFFFFFFF, 8, ">1A5", ReplyOk, 0xA5},
    {0xFFFFFFFF, 8, ">5", ReplyInvalid, 0},
    {0xFFFFFFFF, 8, ">", ReplyInvalid, 0},
    {0xFFFFFFFF, 32, ">80000001", ReplyOk, 0x80000001},
    {0xFFFFFFFF, 32, ">8000001", ReplyInvalid, 0},
    // Inputs and outputs of the input/output modules.
    {0x0000000F, 4, ">0F03", ReplyOk, 0x3},
    {0x000000F0, 4, ">0F03", ReplyOk, 0x0},
    {0x000000F0, 4, ">3", ReplyInvalid, 0},
    {0x0000FFFF, 16, ">12345678", ReplyOk, 0x5678},
    {0xFFFF0000, 16, ">12345678", ReplyOk, 0x1234},
    {0xFFFF0000, 16, ">5678", ReplyInvalid, 0},
    // Anything but hexadecimal digits is no state word.
    {0xFFFFFFFF, 8, ">A5 ", ReplyInvalid, 0},
    {0xFFFFFFFF, 8, ">-1", ReplyInvalid, 0},
    {0xFFFFFFFF, 8, ">0xA5", ReplyInvalid, 0},
    {0xFFFFFFFF, 8, ">a5", ReplyOk, 0xA5},
};

TEST(BankReadCommand, MaskSelectsChannelsAndShortWordsAreRejected) {
  for (bool checksum : {false, true}) {
    for (const Case& c : kCases) {
      SCOPED_TRACE(std::string(c.reply) + (checksum ? " with checksum" : ""));
      std::uint8_t states[32];
      std::memset(states, 7, sizeof states);
      BankReadCommand command(checksum);
      command.ConfigureForArray(1, states, c.channels, c.mask);
      command.Prepare();
      std::string reply = c.reply;
      if (checksum) {
        char digits[2];
        FormatChecksum(reply.data(), static_cast<std::uint32_t>(reply.size()), digits);
        reply.append(digits, 2);
      }
      reply += '\r';
      ASSERT_LT(reply.size(), command.GetReplyBufferSize());
      std::memcpy(command.GetReplyBuffer(), reply.data(), reply.size());
      ASSERT_EQ(command.ParseReply(), c.status);
      for (std::uint32_t i = 0; i < 32; ++i) {
        const std::uint8_t expected = i >= c.channels || c.status != ReplyOk ? 7 : (c.states >> i) & 1U;
        EXPECT_EQ(states[i], expected) << "channel " << i;
      }
    }
  }
}

}  // namespace
}  // namespace rio
