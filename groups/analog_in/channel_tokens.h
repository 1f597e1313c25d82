// The tokens of a channel node's parameter string, by position.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/tokens.h"

namespace rio {

// The first three tokens of a channel parameter string, split like every
// parameter string (runs of commas are one separator).
class ChannelTokens {
 public:
  static constexpr std::size_t kCount = 3;

  explicit ChannelTokens(const char* params) : reader_(params) {
    for (const char*& token : tokens_) token = reader_.Next();
  }
  ChannelTokens(const ChannelTokens&) = delete;
  ChannelTokens& operator=(const ChannelTokens&) = delete;

  // The token at position 1 to 3; null for position 0 (a variant without
  // that token) and for a missing token.
  const char* At(std::uint8_t position) const {
    return position == 0 || position > kCount ? nullptr : tokens_[position - 1];
  }

 private:
  TokenReader reader_;  // owns the text the tokens point into
  const char* tokens_[kCount] = {};
};

// A token switches its function on when it begins with a capital E; a
// missing token leaves it off.
inline bool IsOnToken(const char* token) { return token != nullptr && token[0] == 'E'; }

// A type token carries a type code when it has at least the two characters
// that are sent; a channel without one sends no type request, rather than
// a request the module cannot read.
inline bool HasTypeCode(const char* token) { return token != nullptr && token[0] != '\0' && token[1] != '\0'; }

}  // namespace rio
