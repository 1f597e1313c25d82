// Variable values as text, for people: the station file's initial values,
// `set MODULE VARIABLE VALUE`, and the live table. Type names are the ones
// control programmers use (BOOL, SINT, ... LREAL, STRING); each maps to one
// variable database type code.
//
// Encoding is strict: the whole text must be a value of the type, in its
// range ("300" is not a SINT, "1.5" is not a DINT). Values are stored
// little-endian with memcpy (variables may lie at any byte address).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace host {

struct TypeName {
  const char* name;
  std::uint8_t code;
};

// BOOL, SINT, INT, DINT, LINT, USINT, UINT, UDINT, ULINT, REAL, LREAL, STRING.
const TypeName* TypeNames(std::size_t* count);

// Type code of a type name (letter case ignored); nullopt when unknown.
std::optional<std::uint8_t> TypeCodeOf(std::string_view name);
// Name of a type code ("?" for a code without a name).
const char* TypeNameOf(std::uint8_t code);
// "BOOL, SINT, ..., STRING", for error messages.
std::string TypeNameList();

// String variables: a record of kStringRecordSize bytes; byte 0 holds the
// capacity (kStringCapacity, so the record size is byte 0 + 3), byte 1 the
// current length, then the characters and a NUL.
constexpr std::size_t kStringCapacity = 255;
constexpr std::size_t kStringRecordSize = kStringCapacity + 3;

// Size in bytes of a value of the type (string: kStringRecordSize; 0 for a
// code without storage).
std::size_t ValueSize(std::uint8_t code);

// Parses text as a value of the type code into out (ValueSize bytes; for
// strings the whole record). Returns false and a message such as
// "300 is out of range for SINT (-128 to 127)" when the text is not a value.
bool EncodeValue(std::uint8_t code, std::string_view text, std::uint8_t* out, std::string* error);
// Checks text without storing it.
bool CheckValue(std::uint8_t code, std::string_view text, std::string* error);

// The value at data as text: BOOL "0"/"1", integers in decimal, reals with up
// to 7 (REAL) or 15 (LREAL) significant digits, strings as they are.
std::string FormatValue(std::uint8_t code, const std::uint8_t* data);

}  // namespace host
