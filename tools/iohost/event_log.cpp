#include "event_log.h"

#include <chrono>
#include <cstring>

#include "host_codes.h"

namespace iohost {
namespace {

// Bytes on the wire, readable: \r for the carriage return, \xNN for others.
void Printable(const char* data, std::size_t length, char* out, std::size_t size) {
  std::size_t used = 0;
  for (std::size_t i = 0; i < length && used + 5 < size; ++i) {
    const auto byte = static_cast<unsigned char>(data[i]);
    if (byte == '\r') {
      out[used++] = '\\';
      out[used++] = 'r';
    } else if (byte < 0x20 || byte > 0x7E || byte == '\\') {
      used += static_cast<std::size_t>(std::snprintf(out + used, size - used, "\\x%02X", byte));
    } else {
      out[used++] = static_cast<char>(byte);
    }
  }
  out[used] = '\0';
}

}  // namespace

std::uint64_t MonotonicUs() {
  static const auto start = std::chrono::steady_clock::now();
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                        std::chrono::steady_clock::now() - start)
                                        .count());
}

EventLog::EventLog(std::FILE* out, bool json, std::FILE* trace, std::FILE* notices)
    : out_(out), json_(json), trace_(trace), notices_(notices) {}

void EventLog::WriteLine(std::FILE* file, const char* line) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::fputs(line, file);
  std::fputc('\n', file);
  std::fflush(file);
}

char* EventLog::JsonEscape(const char* text, std::size_t length, char* out, std::size_t size) {
  std::size_t used = 0;
  for (std::size_t i = 0; i < length && used + 7 < size; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '"' || byte == '\\') {
      out[used++] = '\\';
      out[used++] = static_cast<char>(byte);
    } else if (byte == '\r' || byte == '\n') {
      out[used++] = '\\';
      out[used++] = byte == '\r' ? 'r' : 'n';
    } else if (byte < 0x20 || byte > 0x7E) {
      used += static_cast<std::size_t>(std::snprintf(out + used, size - used, "\\u%04x", byte));
    } else {
      out[used++] = static_cast<char>(byte);
    }
  }
  out[used] = '\0';
  return out;
}

std::string EventLog::JsonString(const std::string& text) {
  std::string out = "\"";
  char buffer[8];
  for (const char c : text) {
    out += JsonEscape(&c, 1, buffer, sizeof buffer);
  }
  return out + "\"";
}

void EventLog::Exchange(const ExchangeRecord& r) {
  if (trace_ == nullptr) return;
  char request[ExchangeRecord::kShown * 6 + 1];
  char reply[ExchangeRecord::kShown * 6 + 1];
  char line[2 * sizeof request + 256];
  if (json_ && trace_ == out_) {
    JsonEscape(r.request, r.requestLength, request, sizeof request);
    JsonEscape(r.reply, r.replyLength, reply, sizeof reply);
    std::snprintf(line, sizeof line,
                  "{\"event\":\"exchange\",\"t\":%.6f,\"bus\":\"%s\",\"module\":\"%s\","
                  "\"request\":\"%s\",\"reply\":\"%s\",\"status\":%u,\"status_text\":\"%s\","
                  "\"ms\":%.3f}",
                  static_cast<double>(r.startUs) / 1e6, r.bus, r.module, request, reply,
                  static_cast<unsigned>(r.status), StatusText(r.status),
                  static_cast<double>(r.durationUs) / 1e3);
  } else {
    Printable(r.request, r.requestLength, request, sizeof request);
    Printable(r.reply, r.replyLength, reply, sizeof reply);
    std::snprintf(line, sizeof line, "%10.3f %-8s %-12s %-24s -> %-34s %u %-13s %7.1f ms",
                  static_cast<double>(r.startUs) / 1e6, r.bus, r.module, request,
                  r.replyLength != 0 ? reply : "(nothing)", static_cast<unsigned>(r.status),
                  StatusText(r.status), static_cast<double>(r.durationUs) / 1e3);
  }
  WriteLine(trace_, line);
}

void EventLog::Port(const char* bus, const char* path, const char* state, const char* detail) {
  char line[600];
  if (json_) {
    char escapedPath[256];
    char escapedDetail[300];
    std::snprintf(line, sizeof line,
                  "{\"event\":\"port\",\"t\":%.6f,\"bus\":\"%s\",\"port\":\"%s\",\"state\":\"%s\","
                  "\"detail\":\"%s\"}",
                  static_cast<double>(MonotonicUs()) / 1e6, bus,
                  JsonEscape(path, std::strlen(path), escapedPath, sizeof escapedPath), state,
                  JsonEscape(detail, std::strlen(detail), escapedDetail, sizeof escapedDetail));
    WriteLine(out_, line);
  } else {
    std::snprintf(line, sizeof line, "%10.3f bus %s: port %s %s%s%s",
                  static_cast<double>(MonotonicUs()) / 1e6, bus, path, state,
                  *detail != '\0' ? ": " : "", detail);
    std::FILE* file = trace_ != nullptr ? trace_ : notices_;
    if (file != nullptr) WriteLine(file, line);
  }
}

void EventLog::Message(const char* kind, const std::string& text) {
  if (json_) {
    WriteLine(out_, ("{\"event\":\"" + std::string(kind) + "\",\"message\":" + JsonString(text) + "}").c_str());
  } else {
    WriteLine(out_, text.c_str());
  }
}

void EventLog::JsonLine(const std::string& object) {
  if (json_) WriteLine(out_, object.c_str());
}

}  // namespace iohost
