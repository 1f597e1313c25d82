// The text of the bus protocol as a module reads and writes it: frames,
// checksums, hexadecimal and decimal fields. Only upper-case hexadecimal
// digits are accepted, as the protocol writes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

constexpr char kCarriageReturn = '\r';
constexpr unsigned kMaxAddress = 255;

// The characters that start a request frame.
bool IsFrameStart(char c);

// Sum of the characters modulo 256 as two upper-case hexadecimal digits.
std::string ChecksumDigits(std::string_view text);

// One request as a module reads it.
struct Request {
  char prefix = 0;       // # $ @ % ~
  unsigned address = 0;  // from the two address digits
  bool broadcast = false;  // "~**": addressed to every module, never answered
  std::string body;      // characters after the address digits
  std::string text;      // prefix, address digits and body, without checksum and carriage return
};

enum class FrameError { kNone, kMalformed, kChecksum };

// Reads one frame: optional noise, a frame start, two address digits, the
// command characters, the checksum digits when checksum is on, and a final
// carriage return (the only one in the frame).
FrameError ParseFrame(std::string_view frame, bool checksum, Request& request);

// Appends the checksum (when on) and the carriage return to a reply text.
std::string FrameReply(const std::string& text, bool checksum);

// "%02X" and fixed-width upper-case hexadecimal.
std::string Hex2(unsigned value);
std::string HexDigits(std::uint32_t value, unsigned digits);

// Upper-case hexadecimal text of minDigits to maxDigits digits, nothing else.
std::optional<std::uint32_t> ParseHex(std::string_view text, std::size_t minDigits, std::size_t maxDigits);
// One upper-case hexadecimal digit naming a channel below count.
std::optional<unsigned> ParseChannel(char digit, unsigned count);
// Decimal text: optional sign, digits with at most one decimal point, at
// least one digit, nothing else (no blanks, no exponent).
std::optional<double> ParseDecimal(std::string_view text);

// A signed decimal field of exactly width characters: sign, integerDigits
// digits (zero-padded), point and as many decimals as fit. The value is
// limited to what the field can show. Width 7 with 2 integer digits gives
// "+01.500"; with 4 integer digits "+0025.3".
std::string FixedWidthField(double value, unsigned width, unsigned integerDigits);

// Collects bytes from a serial line into frames: skips bytes before a frame
// start, ends a frame at a carriage return (included), and discards a frame
// that grows beyond kMaxFrameLength without one.
class FrameAssembler {
 public:
  static constexpr std::size_t kMaxFrameLength = 80;
  // Adds one byte; true when it completed a frame, which Take() returns.
  bool Add(char byte);
  std::string Take();

 private:
  std::string frame_;
  bool inFrame_ = false;
};

}  // namespace sim
