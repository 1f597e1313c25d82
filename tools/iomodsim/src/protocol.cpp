#include "protocol.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace sim {
namespace {

std::optional<unsigned> HexValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return std::nullopt;
}

}  // namespace

bool IsFrameStart(char c) { return c != 0 && std::strchr("#$@%~", c) != nullptr; }

std::string ChecksumDigits(std::string_view text) {
  unsigned sum = 0;
  for (char c : text) sum += static_cast<unsigned char>(c);
  return Hex2(sum & 0xFFu);
}

FrameError ParseFrame(std::string_view frame, bool checksum, Request& request) {
  if (frame.empty() || frame.back() != kCarriageReturn) return FrameError::kMalformed;
  frame.remove_suffix(1);
  std::size_t start = 0;
  while (start < frame.size() && !IsFrameStart(frame[start])) ++start;
  std::string_view text = frame.substr(start);
  if (text.find(kCarriageReturn) != std::string_view::npos) return FrameError::kMalformed;
  if (text.size() < 3) return FrameError::kMalformed;
  if (checksum) {
    if (text.size() < 5) return FrameError::kChecksum;
    std::string_view digits = text.substr(text.size() - 2);
    text.remove_suffix(2);
    if (digits != ChecksumDigits(text)) return FrameError::kChecksum;
  }
  request = Request{};
  request.prefix = text[0];
  request.text = std::string(text);
  request.body = std::string(text.substr(3));
  if (text[0] == '~' && text[1] == '*' && text[2] == '*') {
    request.broadcast = true;
    return FrameError::kNone;
  }
  auto address = ParseHex(text.substr(1, 2), 2, 2);
  if (!address) return FrameError::kMalformed;
  request.address = *address;
  return FrameError::kNone;
}

std::string FrameReply(const std::string& text, bool checksum) {
  std::string reply = text;
  if (checksum) reply += ChecksumDigits(text);
  reply += kCarriageReturn;
  return reply;
}

std::string Hex2(unsigned value) { return HexDigits(value & 0xFFu, 2); }

std::string HexDigits(std::uint32_t value, unsigned digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text(digits, '0');
  for (unsigned i = 0; i < digits && i < 8; ++i) {
    text[digits - 1 - i] = kDigits[(value >> (4 * i)) & 0xFu];
  }
  return text;
}

std::optional<std::uint32_t> ParseHex(std::string_view text, std::size_t minDigits, std::size_t maxDigits) {
  if (text.size() < minDigits || text.size() > maxDigits || text.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    auto digit = HexValue(c);
    if (!digit) return std::nullopt;
    value = (value << 4) | *digit;
  }
  return value;
}

std::optional<unsigned> ParseChannel(char digit, unsigned count) {
  auto value = HexValue(digit);
  if (!value || *value >= count) return std::nullopt;
  return value;
}

std::optional<double> ParseDecimal(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  bool digits = false, point = false;
  for (; i < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      digits = true;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (!digits) return std::nullopt;
  std::string copy(text);  // strtod needs a terminated string; the text was checked above
  return std::strtod(copy.c_str(), nullptr);
}

std::string FixedWidthField(double value, unsigned width, unsigned integerDigits) {
  if (width < 3) width = 3;
  if (integerDigits < 1) integerDigits = 1;
  if (integerDigits > width - 1) integerDigits = width - 1;
  int decimals = static_cast<int>(width) - 2 - static_cast<int>(integerDigits);
  if (decimals < 1) {  // no room for a point: sign and integer digits only
    decimals = 0;
    integerDigits = width - 1;
  }
  double limit = std::pow(10.0, integerDigits) - std::pow(10.0, -decimals);
  if (!std::isfinite(value)) value = 0;
  value = std::fmax(-limit, std::fmin(limit, value));
  double scale = std::pow(10.0, decimals);
  if (std::round(std::fabs(value) * scale) == 0) value = 0;  // no "-00.000"
  char text[64];
  std::snprintf(text, sizeof text, "%+0*.*f", static_cast<int>(width), decimals, value);
  return text;
}

bool FrameAssembler::Add(char byte) {
  if (!inFrame_) {
    if (!IsFrameStart(byte)) return false;  // noise between frames
    inFrame_ = true;
    frame_.clear();
  }
  frame_ += byte;
  if (byte == kCarriageReturn) {
    inFrame_ = false;
    return true;
  }
  if (frame_.size() > kMaxFrameLength) {
    inFrame_ = false;
    frame_.clear();
  }
  return false;
}

std::string FrameAssembler::Take() {
  std::string frame;
  frame.swap(frame_);
  return frame;
}

}  // namespace sim
