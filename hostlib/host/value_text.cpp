#include "host/value_text.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <strings.h>

#include "host/host_tree.h"

namespace host {
namespace {

const TypeName kTypeNames[] = {
    {"BOOL", kTypeBool},    {"SINT", kTypeInt8},     {"INT", kTypeInt16},
    {"DINT", kTypeInt32},   {"LINT", kTypeInt64},    {"USINT", kTypeUInt8},
    {"UINT", kTypeUInt16},  {"UDINT", kTypeUInt32},  {"ULINT", kTypeUInt64},
    {"REAL", kTypeFloat32}, {"LREAL", kTypeFloat64}, {"STRING", kTypeString},
};

struct IntRange {
  long double min;
  long double max;
};

bool IsSigned(std::uint8_t code) {
  return code == kTypeInt8 || code == kTypeInt16 || code == kTypeInt32 || code == kTypeInt64;
}

IntRange RangeOf(std::uint8_t code) {
  switch (code) {
    case kTypeInt8: return {-128.0L, 127.0L};
    case kTypeInt16: return {-32768.0L, 32767.0L};
    case kTypeInt32: return {-2147483648.0L, 2147483647.0L};
    case kTypeInt64: return {-9223372036854775808.0L, 9223372036854775807.0L};
    case kTypeUInt8: return {0.0L, 255.0L};
    case kTypeUInt16: return {0.0L, 65535.0L};
    case kTypeUInt32: case kTypeAux32: return {0.0L, 4294967295.0L};
    default: return {0.0L, 18446744073709551615.0L};
  }
}

std::string Trim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return std::string(text.substr(begin, end - begin));
}

bool Fail(std::string* error, const std::string& message) {
  if (error != nullptr) *error = message;
  return false;
}

bool EncodeBool(const std::string& text, std::uint8_t* out, std::string* error) {
  static const char* const kTrue[] = {"1", "true", "on"};
  static const char* const kFalse[] = {"0", "false", "off"};
  for (const char* word : kTrue) {
    if (strcasecmp(text.c_str(), word) == 0) return *out = 1, true;
  }
  for (const char* word : kFalse) {
    if (strcasecmp(text.c_str(), word) == 0) return *out = 0, true;
  }
  return Fail(error, "\"" + text + "\" is not a BOOL (use 0, 1, true, false, on or off)");
}

// Integers: decimal, or hexadecimal with 0x; an optional sign for signed types.
bool EncodeInteger(std::uint8_t code, const std::string& text, std::uint8_t* out,
                   std::string* error) {
  const char* name = TypeNameOf(code);
  const IntRange range = RangeOf(code);
  const std::string rangeText = " (" + std::to_string(static_cast<long long>(
                                           IsSigned(code) ? range.min : 0)) +
                                " to " +
                                (code == kTypeUInt64 ? std::string("18446744073709551615")
                                                     : std::to_string(static_cast<long long>(range.max))) +
                                ")";
  const bool negative = !text.empty() && text[0] == '-';
  const char* digits = text.c_str() + ((negative || (!text.empty() && text[0] == '+')) ? 1 : 0);
  const bool hex = digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  const char* start = hex ? digits + 2 : digits;
  if (*start == '\0' || std::strspn(start, hex ? "0123456789abcdefABCDEF" : "0123456789") !=
                            std::strlen(start)) {
    return Fail(error, "\"" + text + "\" is not an integer for " + name);
  }
  errno = 0;
  const unsigned long long magnitude = std::strtoull(start, nullptr, hex ? 16 : 10);
  const bool tooBig = errno == ERANGE;
  const long double value = negative ? -static_cast<long double>(magnitude)
                                     : static_cast<long double>(magnitude);
  if (tooBig || value < range.min || value > range.max) {
    return Fail(error, text + " is out of range for " + name + rangeText);
  }
  const std::uint64_t bits = negative ? (~magnitude + 1ULL) : magnitude;  // two's complement
  std::memcpy(out, &bits, ValueSize(code));  // little-endian: the low bytes come first
  return true;
}

bool EncodeReal(std::uint8_t code, const std::string& text, std::uint8_t* out,
                std::string* error) {
  const char* name = TypeNameOf(code);
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || end == nullptr || *end != '\0') {
    return Fail(error, "\"" + text + "\" is not a number for " + name);
  }
  if (!std::isfinite(value) ||
      (code == kTypeFloat32 && std::fabs(value) > std::numeric_limits<float>::max())) {
    return Fail(error, text + " is out of range for " + name);
  }
  if (code == kTypeFloat32) {
    const auto single = static_cast<float>(value);
    std::memcpy(out, &single, sizeof single);
  } else {
    std::memcpy(out, &value, sizeof value);
  }
  return true;
}

bool EncodeString(std::string_view text, std::uint8_t* out, std::string* error) {
  if (text.size() > kStringCapacity || text.find('\0') != std::string_view::npos) {
    return Fail(error, "a STRING holds at most " + std::to_string(kStringCapacity) +
                           " characters and no NUL");
  }
  std::memset(out, 0, kStringRecordSize);
  out[0] = static_cast<std::uint8_t>(kStringCapacity);
  out[1] = static_cast<std::uint8_t>(text.size());
  std::memcpy(out + 2, text.data(), text.size());
  return true;
}

}  // namespace

const TypeName* TypeNames(std::size_t* count) {
  *count = sizeof kTypeNames / sizeof kTypeNames[0];
  return kTypeNames;
}

std::optional<std::uint8_t> TypeCodeOf(std::string_view name) {
  const std::string text(name);
  for (const TypeName& type : kTypeNames) {
    if (strcasecmp(type.name, text.c_str()) == 0) return type.code;
  }
  return std::nullopt;
}

const char* TypeNameOf(std::uint8_t code) {
  for (const TypeName& type : kTypeNames) {
    if (type.code == code) return type.name;
  }
  return code == kTypeAux32 ? "UDINT" : "?";
}

std::string TypeNameList() {
  std::string list;
  for (const TypeName& type : kTypeNames) {
    if (!list.empty()) list += ", ";
    list += type.name;
  }
  return list;
}

std::size_t ValueSize(std::uint8_t code) {
  return code == kTypeString ? kStringRecordSize : ElementSize(code);
}

bool EncodeValue(std::uint8_t code, std::string_view text, std::uint8_t* out, std::string* error) {
  if (code == kTypeString) return EncodeString(text, out, error);
  const std::string trimmed = Trim(text);
  switch (code) {
    case kTypeBool: return EncodeBool(trimmed, out, error);
    case kTypeFloat32: case kTypeFloat64: return EncodeReal(code, trimmed, out, error);
    default:
      if (ElementSize(code) == 0) return Fail(error, "variables of this type hold no value");
      return EncodeInteger(code, trimmed, out, error);
  }
}

bool CheckValue(std::uint8_t code, std::string_view text, std::string* error) {
  std::uint8_t scratch[kStringRecordSize];
  return EncodeValue(code, text, scratch, error);
}

std::string FormatValue(std::uint8_t code, const std::uint8_t* data) {
  char text[64];
  auto load = [data](auto value) {
    std::memcpy(&value, data, sizeof value);
    return value;
  };
  switch (code) {
    case kTypeBool: return data[0] != 0 ? "1" : "0";
    case kTypeInt8: return std::to_string(load(std::int8_t{}));
    case kTypeInt16: return std::to_string(load(std::int16_t{}));
    case kTypeInt32: return std::to_string(load(std::int32_t{}));
    case kTypeInt64: return std::to_string(load(std::int64_t{}));
    case kTypeUInt8: return std::to_string(load(std::uint8_t{}));
    case kTypeUInt16: return std::to_string(load(std::uint16_t{}));
    case kTypeUInt32: case kTypeAux32: return std::to_string(load(std::uint32_t{}));
    case kTypeUInt64: return std::to_string(load(std::uint64_t{}));
    case kTypeFloat32:
      std::snprintf(text, sizeof text, "%.7g", static_cast<double>(load(float{})));
      return text;
    case kTypeFloat64:
      std::snprintf(text, sizeof text, "%.15g", load(double{}));
      return text;
    case kTypeString: {
      const std::size_t length = std::min<std::size_t>(data[1], data[0]);
      return std::string(reinterpret_cast<const char*>(data + 2), length);
    }
    default: return "";
  }
}

}  // namespace host
