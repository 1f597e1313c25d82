#include "framework/tokens.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace rio {

TokenReader::TokenReader(const char* text) {
  std::size_t n = 0;
  if (text != nullptr) {
    while (n < kCapacity && text[n] != '\0') {
      buffer_[n] = text[n];
      ++n;
    }
  }
  buffer_[n] = '\0';
}

const char* TokenReader::Next() {
  while (buffer_[position_] == ',') ++position_;
  if (buffer_[position_] == '\0') return nullptr;
  char* token = buffer_ + position_;
  while (buffer_[position_] != ',' && buffer_[position_] != '\0') ++position_;
  if (buffer_[position_] == ',') buffer_[position_++] = '\0';
  return token;
}

const char* TokenReader::NextOrEmpty() {
  const char* token = Next();
  return token == nullptr ? "" : token;
}

bool ReadDecimal(const char* token, std::int32_t& target) {
  if (token == nullptr) return false;
  // strtol rather than sscanf: the same reading ("%d" skips blanks, takes a
  // sign and digits, ignores what follows), with overflow defined.
  const char* p = token;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(p, &end, 10);
  if (end == p) return false;
  if (errno == ERANGE || value > INT32_MAX || value < INT32_MIN) {
    target = value < 0 ? INT32_MIN : INT32_MAX;
    return true;
  }
  target = static_cast<std::int32_t>(value);
  return true;
}

bool ReadHex(const char* token, std::uint32_t& target) {
  if (token == nullptr) return false;
  char* end = nullptr;
  const unsigned long value = std::strtoul(token, &end, 16);
  if (end == token) return false;
  target = static_cast<std::uint32_t>(value);
  return true;
}

bool ReadHexField(const char* text, std::uint32_t length, std::uint32_t& value) {
  if (text == nullptr || length == 0 || length > 8) return false;
  std::uint32_t result = 0;
  for (std::uint32_t i = 0; i < length; ++i) {
    const char c = text[i];
    std::uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint32_t>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint32_t>(c - 'a' + 10);
    } else {
      return false;
    }
    result = (result << 4) | digit;
  }
  value = result;
  return true;
}

char FirstChar(const char* token) { return token == nullptr ? '\0' : token[0]; }

bool EqualsIgnoringCase(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return false;
  while (*a != '\0' && *b != '\0') {
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
    ++a;
    ++b;
  }
  return *a == *b;
}

bool ScanNumberedName(const char* name, const char* prefix, std::int32_t& number) {
  if (name == nullptr || prefix == nullptr) return false;
  const char* p = name;
  for (const char* q = prefix; *q != '\0'; ++q) {
    if (std::isspace(static_cast<unsigned char>(*q))) {
      while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    } else if (*p++ != *q) {
      return false;
    }
  }
  return ReadDecimal(p, number);
}

bool StartsWith(const char* name, const char* prefix) {
  return name != nullptr && prefix != nullptr && std::strncmp(name, prefix, std::strlen(prefix)) == 0;
}

}  // namespace rio
