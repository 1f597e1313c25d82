#include "framework/command.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace rio {
namespace {

constexpr char kCarriageReturn = '\r';

std::uint32_t BufferSize(bool checksum, std::uint32_t textSize) {
  if (textSize == 0) return 0;
  return textSize + (checksum ? 4 : 2);
}

char* AllocateZeroed(std::uint32_t size) {
  if (size == 0) return nullptr;
  auto* buffer = static_cast<char*>(std::calloc(size, 1));
  if (buffer == nullptr) throw std::bad_alloc();
  return buffer;
}

const char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

void FormatChecksum(const char* text, std::uint32_t length, char* digits) {
  unsigned sum = 0;
  for (std::uint32_t i = 0; i < length; ++i) sum += static_cast<unsigned char>(text[i]);
  digits[0] = kHexDigits[(sum >> 4) & 0xF];
  digits[1] = kHexDigits[sum & 0xF];
}

Command::Command(bool checksum, std::uint32_t requestTextSize, std::uint32_t replyTextSize)
    : checksum_(checksum) {
  requestSize_ = BufferSize(checksum, requestTextSize);
  replySize_ = BufferSize(checksum, replyTextSize);
  request_ = AllocateZeroed(requestSize_);
  try {
    reply_ = AllocateZeroed(replySize_);
  } catch (...) {
    std::free(request_);
    throw;
  }
}

Command::~Command() {
  std::free(request_);
  std::free(reply_);
}

void Command::Prepare() {
  if (request_ != nullptr && requestSize_ != 0) {
    FillRequest();
    if (checksum_) {
      if (textLength_ == 0) textLength_ = static_cast<std::uint8_t>(strnlen(request_, requestSize_ - 1));
      // The digits and the carriage return must stay inside the buffer.
      if (textLength_ + 3U <= requestSize_) FormatChecksum(request_, textLength_, request_ + textLength_);
    }
    if (terminatorIndex_ == 0) terminatorIndex_ = static_cast<std::uint8_t>(strnlen(request_, requestSize_ - 1));
    if (terminatorIndex_ + 1U < requestSize_) request_[terminatorIndex_] = kCarriageReturn;
  }
  if (reply_ != nullptr && replySize_ != 0) std::memset(reply_, 0, replySize_);
}

char* Command::GetRequest() { return request_; }

std::uint32_t Command::GetRequestLength() {
  return request_ == nullptr ? 0 : static_cast<std::uint32_t>(strnlen(request_, requestSize_));
}

std::uint32_t Command::ParseReply() {
  std::uint32_t status = CheckReply();
  // The module received the request when its reply passed the base check,
  // whatever the kind makes of the data, or when it refused the request.
  if (status == ReplyOk || IsRefusal()) awaitingReply_ = false;
  if (status == ReplyOk) status = Decode();
  return status;
}

// "?", the echoed address and the carriage return, with nothing between
// them or, checksum on, the right checksum. A reply garbled on the line is
// no refusal: it leaves the command awaiting.
bool Command::IsRefusal() const {
  if (reply_ == nullptr || request_ == nullptr) return false;
  const std::uint32_t length = ReplyLength();
  if (length < 4 || reply_[0] != '?' || reply_[length - 1] != kCarriageReturn) return false;
  if (reply_[1] != request_[1] || reply_[2] != request_[2]) return false;
  if (length == 4) return true;
  if (!checksum_ || length != 6) return false;
  char digits[2];
  FormatChecksum(reply_, 3, digits);
  return digits[0] == reply_[3] && digits[1] == reply_[4];
}

char* Command::GetReplyBuffer() { return reply_; }

std::uint32_t Command::GetReplyBufferSize() { return replySize_; }

std::uint8_t Command::IsReplyComplete(std::uint32_t index) {
  return reply_ != nullptr && index < replySize_ && reply_[index] == kCarriageReturn ? 1 : 0;
}

void Command::SetText(const char* text, std::uint16_t address) {
  if (request_ == nullptr) return;
  std::memset(request_, 0, requestSize_);
  // Room is kept for the checksum digits, the carriage return and the NUL.
  const std::uint32_t room = requestSize_ - (checksum_ ? 4 : 2);
  std::strncpy(request_, text, room);
  ResetFraming();
  SetAddress(address);
}

void Command::SetAddress(std::uint16_t address) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(address));
  WriteAt(1, digits, 2);
}

void Command::WriteAt(std::uint32_t position, const char* text, std::uint32_t length) {
  if (request_ == nullptr) return;
  const std::uint32_t room = requestSize_ - (checksum_ ? 4 : 2);
  for (std::uint32_t i = 0; i < length && position + i < room; ++i) request_[position + i] = text[i];
}

void Command::ResetFraming() {
  textLength_ = 0;
  terminatorIndex_ = 0;
}

std::uint32_t Command::ReplyLength() const {
  return reply_ == nullptr ? 0 : static_cast<std::uint32_t>(strnlen(reply_, replySize_));
}

std::uint32_t Command::PayloadLength() const {
  const std::uint32_t length = ReplyLength();
  const std::uint32_t trailer = checksum_ ? 3 : 1;
  return length >= trailer ? length - trailer : 0;
}

std::uint32_t Command::CheckReply() const {
  if (reply_ == nullptr || replySize_ == 0) return ReplyOk;
  const std::uint32_t length = ReplyLength();
  if (length == 0 || reply_[length - 1] != kCarriageReturn) return ReplyInvalid;
  if (reply_[0] == '!') {
    if (length < 3 || request_ == nullptr || reply_[1] != request_[1] || reply_[2] != request_[2]) return ReplyInvalid;
  } else if (reply_[0] != '>') {
    return ReplyInvalid;
  }
  if (!checksum_) return ReplyOk;
  // No room for the digits after the first character: rejected unread.
  if (length < 4) return ReplyInvalid;
  char digits[2];
  FormatChecksum(reply_, length - 3, digits);
  return digits[0] == reply_[length - 3] && digits[1] == reply_[length - 2] ? ReplyOk : ReplyChecksumError;
}

void Enqueue(RequestQueue& queue, Command* command) {
  if (command == nullptr) return;
  command->MarkQueued();
  queue.push_back(command);
}

}  // namespace rio
