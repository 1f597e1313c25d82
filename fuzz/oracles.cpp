#include "oracles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "exchange.h"

namespace fuzz {

void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz oracle: %s\n", what.c_str());
  std::abort();
}

std::uint32_t ExpectedBaseStatus(const char* reply, std::uint32_t size, const char* request, bool checksum) {
  if (reply == nullptr || size == 0) return rio::ReplyOk;
  const std::size_t length = strnlen(reply, size);
  if (length == 0 || reply[length - 1] != '\r') return rio::ReplyInvalid;
  if (reply[0] == '!') {
    if (length < 3 || request == nullptr || reply[1] != request[1] || reply[2] != request[2]) return rio::ReplyInvalid;
  } else if (reply[0] != '>') {
    return rio::ReplyInvalid;
  }
  if (!checksum) return rio::ReplyOk;
  if (length < 4) return rio::ReplyInvalid;
  const std::string digits = ChecksumDigits(std::string(reply, length - 3));
  return digits[0] == reply[length - 3] && digits[1] == reply[length - 2] ? rio::ReplyOk : rio::ReplyChecksumError;
}

namespace {

// "?", the request's address and a carriage return, or with checksum on the
// same with the right checksum before the carriage return.
bool IsRefusal(const char* reply, std::size_t length, const char* request, bool checksum) {
  if (reply == nullptr || request == nullptr || length < 4) return false;
  if (reply[0] != '?' || reply[1] != request[1] || reply[2] != request[2] || reply[length - 1] != '\r') return false;
  return length == 4 || (checksum && length == 6 && ChecksumDigits(std::string(reply, 3)) == std::string(reply + 3, 2));
}

}  // namespace

void CheckRequest(rio::Command& command, bool checksum) {
  const char* request = command.GetRequest();
  const std::uint32_t length = command.GetRequestLength();
  if (request == nullptr) Fail("a queued command has no request");
  const std::string text(request, length);
  if (length < 4 || std::strchr("#$@%~", text[0]) == nullptr || text.back() != '\r') {
    Fail("malformed request \"" + text + "\"");
  }
  if (checksum && ChecksumDigits(text.substr(0, length - 3)) != text.substr(length - 3, 2)) {
    Fail("wrong checksum in request \"" + text + "\"");
  }
}

std::uint32_t ParseChecked(rio::Command& command, bool checksum, const std::function<std::string()>& storage) {
  const char* reply = command.GetReplyBuffer();
  const std::uint32_t size = command.GetReplyBufferSize();
  const std::uint32_t base = ExpectedBaseStatus(reply, size, command.GetRequest(), checksum);
  const std::size_t length = reply == nullptr ? 0 : strnlen(reply, size);
  const bool refusedByModule = IsRefusal(reply, length, command.GetRequest(), checksum);
  const bool awaitingBefore = command.IsAwaitingReply();
  const std::string before = storage ? storage() : std::string();

  const std::uint32_t status = command.ParseReply();

  const std::string shown = reply == nullptr ? "" : std::string(reply, length);
  if (base != rio::ReplyOk && status != base) {
    Fail("reply \"" + shown + "\" gave status " + std::to_string(status) + ", the base check " + std::to_string(base));
  }
  if (base == rio::ReplyOk && status != rio::ReplyOk && status != rio::ReplyWrongModule && status != rio::ReplyInvalid) {
    Fail("reply \"" + shown + "\" gave status " + std::to_string(status));
  }
  if (status != rio::ReplyOk && storage && storage() != before) {
    Fail("refused reply \"" + shown + "\" changed the host's variables");
  }
  // The module received the request when the base check passed, whatever
  // the kind's decoding made of the reply.
  const bool awaiting = awaitingBefore && base != rio::ReplyOk && !refusedByModule;
  if (command.IsAwaitingReply() != awaiting) {
    Fail("reply \"" + shown + "\": awaiting its reply is " + std::to_string(command.IsAwaitingReply()) +
         ", expected " + std::to_string(awaiting));
  }
  return status;
}

}  // namespace fuzz
