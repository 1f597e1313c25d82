// What every exchange must keep, whatever the reply: checked after each
// call into a command, and reported as a crash so that the fuzzer keeps the
// input. The expectations are restated here from the rules of the framework
// (framing, address echo, checksum, delivery tracking) rather than taken
// from its code.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "framework/command.h"

namespace fuzz {

[[noreturn]] void Fail(const std::string& what);

// The status the base reply check must give a reply buffer: 0 when the
// framing, the echo of the request's address and the checksum are right.
std::uint32_t ExpectedBaseStatus(const char* reply, std::uint32_t size, const char* request, bool checksum);

// A prepared request: prefix, address, text, checksum digits when on, and a
// carriage return last, inside the buffer.
void CheckRequest(rio::Command& command, bool checksum);

// ParseReply with its rules checked: the status agrees with the base check
// (a kind's own decoding may only refuse an accepted reply, with 5 or 6),
// nothing in storage changes when the reply is refused, and the command
// stops awaiting its reply exactly when the reply passed the base check or
// is a well-formed refusal by the module. storage may be empty.
std::uint32_t ParseChecked(rio::Command& command, bool checksum, const std::function<std::string()>& storage);

}  // namespace fuzz
