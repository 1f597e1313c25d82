// Comma-separated parameter strings, split like strtok (runs of commas are
// one separator, so empty tokens do not exist) but on a private copy, so
// modules on different bus threads never share tokenizer state.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rio {

class TokenReader {
 public:
  // Copies at most kCapacity characters of text.
  explicit TokenReader(const char* text);

  // The next token, or null when the string is used up.
  const char* Next();
  // The next token, or "" when the string is used up.
  const char* NextOrEmpty();

  static constexpr std::size_t kCapacity = 128;

 private:
  char buffer_[kCapacity + 1];
  std::size_t position_ = 0;
};

// Token values, read as the C library reads them; each returns false and
// leaves the target alone when the token is missing or not a number.
bool ReadDecimal(const char* token, std::int32_t& target);      // sscanf "%d"
bool ReadHex(const char* token, std::uint32_t& target);         // strtoul base 16
// Exactly `length` hexadecimal digits (1 to 8, either letter case) as one
// number; false when any of them is not a digit, so a garbled field is
// refused rather than read as far as it goes.
bool ReadHexField(const char* text, std::uint32_t length, std::uint32_t& value);
// First character of a token, or '\0' for a missing token.
char FirstChar(const char* token);
// Whole-string comparison with letter case ignored.
bool EqualsIgnoringCase(const char* a, const char* b);
// Reads a numbered name the way sscanf reads it with "<prefix>%d": the
// prefix's letters must match, a blank in it matches any run of blanks
// (also none), and the number may be followed by anything.
// Example: prefix "AI " accepts "AI 3", "AI3" and "AI 3x", not "AIX".
bool ScanNumberedName(const char* name, const char* prefix, std::int32_t& number);
// True when name begins with the given prefix, letter case included.
bool StartsWith(const char* name, const char* prefix);

}  // namespace rio
