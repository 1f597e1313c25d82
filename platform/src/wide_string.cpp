#include "platform/wide_string.h"

namespace platform {

std::size_t wcslen(const WCHAR* text) {
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  return length;
}

int wcscmp(const WCHAR* left, const WCHAR* right) {
  while (*left != 0 && *left == *right) {
    ++left;
    ++right;
  }
  // char16_t is unsigned, so characters above 0x7FFF sort last.
  return static_cast<int>(*left) - static_cast<int>(*right);
}

const WCHAR* wcsstr(const WCHAR* text, const WCHAR* pattern) {
  for (;; ++text) {
    std::size_t matched = 0;
    while (pattern[matched] != 0 && text[matched] == pattern[matched]) ++matched;
    if (pattern[matched] == 0) return text;
    if (*text == 0) return nullptr;
  }
}

WCHAR* wcsstr(WCHAR* text, const WCHAR* pattern) {
  return const_cast<WCHAR*>(wcsstr(static_cast<const WCHAR*>(text), pattern));
}

WCHAR* wcscat(WCHAR* destination, const WCHAR* source) {
  WCHAR* end = destination + wcslen(destination);
  while ((*end++ = *source++) != 0) {
  }
  return destination;
}

}  // namespace platform
