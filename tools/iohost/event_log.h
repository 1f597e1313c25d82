// What the host tells the person or the script watching it, apart from the
// live table: exchange traces (--trace, --trace-file), port events, command
// results, and with --json one JSON object per line for every event.
// Called from the bus threads and the display thread; one mutex keeps lines
// whole. The exchange path formats into fixed buffers (no allocation).
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace iohost {

// Microseconds of the monotonic clock since the first call in the process.
std::uint64_t MonotonicUs();

// One exchange as the bus thread saw it. Texts are the bytes on the wire,
// cut at kShown characters.
struct ExchangeRecord {
  static constexpr std::size_t kShown = 200;
  const char* bus = "";
  const char* module = "";
  char request[kShown] = {};
  std::size_t requestLength = 0;
  char reply[kShown] = {};
  std::size_t replyLength = 0;
  std::uint32_t status = 0;
  std::uint64_t startUs = 0;      // when the request was sent (MonotonicUs)
  std::uint64_t durationUs = 0;   // request sent to reply complete (or timeout)
};

class EventLog {
 public:
  // out: where events go (stdout); json: JSON lines instead of text;
  // trace: where exchange traces go (null: no trace); notices: where port
  // events go as text when there is no trace (null: nowhere, for the live
  // table, which shows each port's state and must keep the terminal's last
  // row for the line being typed).
  EventLog(std::FILE* out, bool json, std::FILE* trace, std::FILE* notices = stderr);

  bool Json() const { return json_; }
  bool Tracing() const { return trace_ != nullptr; }

  // real-time path: no allocation.
  void Exchange(const ExchangeRecord& record);
  // Port opened, lost, or failing to open ("open", "lost", "error").
  void Port(const char* bus, const char* path, const char* state, const char* detail);
  // A human message (result of a command, warnings). In JSON mode an object
  // {"event":kind,"message":text}; otherwise the text on its own line.
  void Message(const char* kind, const std::string& text);
  // A complete JSON object (JSON mode only).
  void JsonLine(const std::string& object);

  // Escapes text for a JSON string (without the quotes) into out; returns out.
  static char* JsonEscape(const char* text, std::size_t length, char* out, std::size_t size);
  static std::string JsonString(const std::string& text);

 private:
  void WriteLine(std::FILE* file, const char* line);
  std::mutex mutex_;
  std::FILE* out_;
  bool json_;
  std::FILE* trace_;
  std::FILE* notices_;
};

}  // namespace iohost
