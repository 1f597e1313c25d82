#include "host/responder.h"

#include <cstdio>

namespace host {

std::string Responder::ChecksumDigits(const std::string& text) {
  unsigned sum = 0;
  for (const char c : text) sum += static_cast<unsigned char>(c);
  char digits[3] = {};
  std::snprintf(digits, sizeof digits, "%02X", sum & 0xFFu);
  return digits;
}

std::string Responder::Frame(const std::string& payload) const {
  return payload + (checksum_ ? ChecksumDigits(payload) : std::string()) + "\r";
}

void Responder::On(const std::string& request, const std::string& replyPayload) {
  replies_[request] = Entry{Entry::kFramed, replyPayload};
}

void Responder::OnRaw(const std::string& request, const std::string& replyBytes) {
  replies_[request] = Entry{Entry::kRaw, replyBytes};
}

void Responder::Silent(const std::string& request) { replies_[request] = Entry{Entry::kSilent, {}}; }

void Responder::Forget(const std::string& request) { replies_.erase(request); }

void Responder::Clear() {
  replies_.clear();
  fallback_ = nullptr;
}

std::optional<std::string> Responder::Answer(const std::string& request) const {
  const auto it = replies_.find(request);
  if (it != replies_.end()) {
    switch (it->second.kind) {
      case Entry::kFramed: return Frame(it->second.bytes);
      case Entry::kRaw: return it->second.bytes;
      case Entry::kSilent: return std::nullopt;
    }
  }
  if (fallback_) {
    std::optional<std::string> payload = fallback_(request);
    if (payload) return Frame(*payload);
  }
  return std::nullopt;
}

}  // namespace host
