// The command base: request framing, the reply check and its status codes,
// delivery tracking, and reads that stay inside the reply buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/command.h"

namespace rio {
namespace {

class TestCommand : public Command {
 public:
  TestCommand(bool checksum, std::uint32_t requestSize, std::uint32_t replySize)
      : Command(checksum, requestSize, replySize) {}
  using Command::ResetFraming;
};

std::string RequestOf(Command& command) { return std::string(command.GetRequest(), command.GetRequestLength()); }

// Puts a reply into the buffer as the host does: never past the last byte.
void Answer(Command& command, const std::string& reply) {
  const std::size_t n = std::min<std::size_t>(reply.size(), command.GetReplyBufferSize() - 1);
  std::memcpy(command.GetReplyBuffer(), reply.data(), n);
}

TEST(CommandFraming, AppendsChecksumAndCarriageReturn) {
  TestCommand plain(false, 3, 10);
  plain.SetText("#AA", 1);
  plain.Prepare();
  EXPECT_EQ(RequestOf(plain), "#01\r");

  TestCommand summed(true, 3, 10);
  summed.SetText("#AA", 1);
  summed.Prepare();
  EXPECT_EQ(RequestOf(summed), "#0184\r");

  TestCommand name(true, 4, 19);
  name.SetText("$AAM", 1);
  name.Prepare();
  EXPECT_EQ(RequestOf(name), "$01MD2\r");
}

TEST(CommandFraming, RefilledTextIsSummedAgainAtTheSamePlaces) {
  TestCommand command(true, 5, 3);
  command.SetText("#AA10", 0x1F);
  command.Prepare();
  EXPECT_EQ(RequestOf(command), "#1F10FB\r");
  command.WriteAt(3, "20", 2);
  command.Prepare();
  EXPECT_EQ(RequestOf(command), "#1F20FC\r");
}

TEST(CommandFraming, PrepareClearsTheReplyBuffer) {
  TestCommand command(false, 3, 10);
  command.SetText("#AA", 1);
  Answer(command, ">stale\r");
  command.Prepare();
  EXPECT_EQ(command.GetReplyBuffer()[0], '\0');
}

TEST(CommandReply, StatusCodes) {
  struct Case {
    bool checksum;
    std::string reply;
    std::uint32_t status;
  };
  const Case cases[] = {
      {false, ">+01.500\r", ReplyOk},
      {false, "!01\r", ReplyOk},
      {false, "!02\r", ReplyInvalid},    // another module's address
      {false, "!0\r", ReplyInvalid},     // echo cut short
      {false, "?01\r", ReplyInvalid},    // refused
      {false, ">+01.500", ReplyInvalid}, // no carriage return
      {false, "", ReplyInvalid},
      {true, "!0182\r", ReplyOk},
      {true, "!0183\r", ReplyChecksumError},
      {true, ">\r", ReplyInvalid},  // no room for checksum digits
      {true, ">3E\r", ReplyOk},
  };
  for (const Case& c : cases) {
    TestCommand command(c.checksum, 3, 20);
    command.SetText("#AA", 1);
    command.Prepare();
    Answer(command, c.reply);
    EXPECT_EQ(command.ParseReply(), c.status) << c.reply << (c.checksum ? " (checksum)" : "");
  }
}

TEST(CommandReply, WithoutReplyBufferEverythingIsAccepted) {
  TestCommand command(false, 3, 0);
  command.SetText("#AA", 1);
  command.Prepare();
  EXPECT_EQ(command.GetReplyBuffer(), nullptr);
  EXPECT_EQ(command.ParseReply(), ReplyOk);
}

TEST(CommandReply, ReplyFillingTheWholeBufferIsReadOnlyInside) {
  TestCommand command(false, 3, 3);
  command.SetText("#AA", 1);
  command.Prepare();
  // No NUL anywhere: the host broke its promise, the check must still stop.
  std::memset(command.GetReplyBuffer(), '>', command.GetReplyBufferSize());
  EXPECT_EQ(command.ParseReply(), ReplyInvalid);
}

TEST(CommandReply, IsReplyCompleteOnlyAtTheCarriageReturn) {
  TestCommand command(false, 3, 5);
  command.SetText("#AA", 1);
  command.Prepare();
  Answer(command, ">12\r");
  EXPECT_FALSE(command.IsReplyComplete(2));
  EXPECT_TRUE(command.IsReplyComplete(3));
  EXPECT_FALSE(command.IsReplyComplete(1000));
}

TEST(CommandDelivery, AwaitsUntilAcceptedOrRefused) {
  struct Case {
    const char* reply;  // null: no exchange at all
    bool awaiting;
  };
  const Case cases[] = {{nullptr, true}, {"!01", true},  {"!02\r", true}, {"!0183\r", true},
                        {"?01\r", false}, {"!0182\r", false}};
  for (const Case& c : cases) {
    TestCommand command(true, 3, 3);
    command.SetText("#AA", 1);
    RequestQueue queue;
    Enqueue(queue, &command);
    ASSERT_EQ(queue.size(), 1U);
    if (c.reply != nullptr) {
      command.Prepare();
      Answer(command, c.reply);
      command.ParseReply();
    }
    EXPECT_EQ(command.IsAwaitingReply(), c.awaiting) << (c.reply ? c.reply : "(dropped)");
  }
}

}  // namespace
}  // namespace rio
