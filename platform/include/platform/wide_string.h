// The C library's wide-string functions for 16-bit WCHAR text (wchar_t is
// 32-bit on Linux, so the C library's own cannot be used). Same contracts:
// NUL-terminated arguments, no bounds checks, characters compared as
// unsigned 16-bit values.
#pragma once

#include <cstddef>

#include "platform/types.h"

namespace platform {

std::size_t wcslen(const WCHAR* text);
// <0, 0 or >0 as left sorts before, equal to or after right; case-sensitive.
int wcscmp(const WCHAR* left, const WCHAR* right);
// First occurrence of pattern in text, or null; text itself for an empty pattern.
const WCHAR* wcsstr(const WCHAR* text, const WCHAR* pattern);
WCHAR* wcsstr(WCHAR* text, const WCHAR* pattern);
// Appends source to destination, which must have room; returns destination.
WCHAR* wcscat(WCHAR* destination, const WCHAR* source);

}  // namespace platform
