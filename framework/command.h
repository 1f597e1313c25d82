// One request/reply exchange with a module, and the queue the host empties.
//
// The first eight virtual operations are the host's binary interface, in
// slot order; the hooks for command kinds come after the destructor so they
// never move a slot the host calls.
#pragma once

#include <cstdint>
#include <deque>

namespace rio {

// Reply status codes handed by ParseReply to the Module's ReportResult.
enum ReplyStatus : std::uint32_t {
  ReplyOk = 0,
  ReplyHostReserved = 1,  // the host's own "neither success nor failure"
  ReplyChecksumError = 4,
  ReplyWrongModule = 5,
  ReplyInvalid = 6,
};

class Command {
 public:
  // Text sizes count the command text only; each buffer gets room for two
  // checksum digits (when on), the carriage return and a NUL. A size of 0
  // means no buffer. Throws std::bad_alloc when a buffer cannot be had.
  Command(bool checksum, std::uint32_t requestTextSize, std::uint32_t replyTextSize);
  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;

  // --- host interface, slots 0 to 8 ---
  virtual void Prepare();
  virtual char* GetRequest();
  virtual std::uint32_t GetRequestLength();
  virtual std::uint32_t ParseReply();
  virtual char* GetReplyBuffer();
  virtual std::uint32_t GetReplyBufferSize();
  virtual std::uint8_t IsReplyComplete(std::uint32_t index);
  virtual ~Command();

  // Replaces the request text: the template (prefix, two address
  // placeholders, command letters) is copied, the address written into
  // positions 1 and 2, and the framing measured again at the next Prepare.
  void SetText(const char* text, std::uint16_t address);
  // Writes the module address as two upper-case hexadecimal digits.
  void SetAddress(std::uint16_t address);
  // Writes characters of the request text at a fixed position, inside the
  // buffer only.
  void WriteAt(std::uint32_t position, const char* text, std::uint32_t length);

  bool Checksum() const { return checksum_; }

  // Delivery tracking for commands whose exchange must not be lost: a queued
  // command awaits its reply until a reply passes the base check (whatever
  // the kind's decoding makes of it), or the module refuses the request ("?",
  // the echoed address, the right checksum if any, the carriage return). A reply
  // that never came, broken framing, a wrong address echo, a checksum error
  // or a garbled first character leave it awaiting, and so does a queue
  // emptied before the exchange.
  void MarkQueued() { awaitingReply_ = true; }
  bool IsAwaitingReply() const { return awaitingReply_; }

 protected:
  // Writes the computed part of the request before it is framed.
  virtual void FillRequest() {}
  // Decodes an accepted reply; runs only when the base check passed.
  virtual std::uint32_t Decode() { return ReplyOk; }

  // The base reply check: framing, address echo and checksum.
  std::uint32_t CheckReply() const;
  // A well-formed refusal by the module this command was sent to.
  bool IsRefusal() const;
  // Characters of the reply up to its first NUL, never past the buffer.
  std::uint32_t ReplyLength() const;
  // Characters of an accepted reply before its checksum and carriage return.
  std::uint32_t PayloadLength() const;
  // Makes the next Prepare measure the text length and the carriage-return
  // position again, for texts whose length changes.
  void ResetFraming();

  const char* Reply() const { return reply_; }
  char* Request() { return request_; }
  std::uint32_t RequestSize() const { return requestSize_; }

 private:
  bool checksum_;
  std::uint8_t textLength_ = 0;
  std::uint8_t terminatorIndex_ = 0;
  bool awaitingReply_ = false;
  char* request_ = nullptr;
  std::uint32_t requestSize_ = 0;
  char* reply_ = nullptr;
  std::uint32_t replySize_ = 0;
};

// Pointers to the Commands awaiting exchange; never owns them.
using RequestQueue = std::deque<Command*>;

// Appends a command to the queue and marks it as awaiting its reply.
// A null command is skipped.
void Enqueue(RequestQueue& queue, Command* command);

// Formats the sum of the bytes modulo 256 as two upper-case hex digits.
void FormatChecksum(const char* text, std::uint32_t length, char* digits);

}  // namespace rio
