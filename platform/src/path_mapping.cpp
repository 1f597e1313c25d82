#include "platform/path_mapping.h"

namespace platform {
namespace {

constexpr char kLinuxSeparator = '/';
constexpr char16_t kControllerSeparator = u'\\';
constexpr char32_t kReplacementCharacter = 0xFFFD;

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Decodes one UTF-8 sequence at text[pos], advancing pos; false for an
// overlong, truncated or out-of-range sequence (pos then moves by one byte).
bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& c) {
  const auto lead = static_cast<unsigned char>(text[pos++]);
  int continuation = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    c = lead;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    c = lead & 0x1Fu;
    continuation = 1;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    c = lead & 0x0Fu;
    continuation = 2;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    c = lead & 0x07u;
    continuation = 3;
    minimum = 0x10000;
  } else {
    return false;
  }
  std::size_t next = pos;
  for (int i = 0; i < continuation; ++i, ++next) {
    if (next >= text.size()) return false;
    const auto byte = static_cast<unsigned char>(text[next]);
    if ((byte & 0xC0) != 0x80) return false;
    c = (c << 6) | (byte & 0x3Fu);
  }
  if (c < minimum || c > 0x10FFFF || IsSurrogate(c)) return false;
  pos = next;
  return true;
}

void AppendUtf16(char32_t c, std::u16string& out) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

bool Utf8ToUtf16(std::string_view utf8, std::u16string& utf16) {
  std::u16string out;
  for (std::size_t pos = 0; pos < utf8.size();) {
    char32_t c = 0;
    if (!DecodeUtf8(utf8, pos, c)) return false;
    AppendUtf16(c, out);
  }
  utf16 = std::move(out);
  return true;
}

std::u16string Utf8ToUtf16Lossy(std::string_view utf8) {
  std::u16string out;
  for (std::size_t pos = 0; pos < utf8.size();) {
    char32_t c = 0;
    AppendUtf16(DecodeUtf8(utf8, pos, c) ? c : kReplacementCharacter, out);
  }
  return out;
}

bool Utf16ToUtf8(std::u16string_view utf16, std::string& utf8) {
  std::string out;
  for (std::size_t pos = 0; pos < utf16.size(); ++pos) {
    char32_t c = utf16[pos];
    if (c >= 0xD800 && c <= 0xDBFF && pos + 1 < utf16.size() && utf16[pos + 1] >= 0xDC00 &&
        utf16[pos + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++pos] - 0xDC00);
    } else if (IsSurrogate(c)) {
      return false;  // unpaired half of a pair
    }
    AppendUtf8(c, out);
  }
  utf8 = std::move(out);
  return true;
}

bool LinuxDirectoryToControllerPath(std::string_view linuxDirectory,
                                    std::u16string& controllerPath) {
  if (linuxDirectory.empty() || linuxDirectory.front() != kLinuxSeparator ||
      linuxDirectory.find('\\') != std::string_view::npos) {
    return false;
  }
  std::u16string path;
  if (!Utf8ToUtf16(linuxDirectory, path)) return false;
  for (char16_t& c : path) {
    if (c == kLinuxSeparator) c = kControllerSeparator;
  }
  if (path.back() != kControllerSeparator) path.push_back(kControllerSeparator);
  controllerPath = std::move(path);
  return true;
}

bool ControllerPathToLinuxPath(std::u16string_view controllerPath, std::string& linuxPath) {
  if (controllerPath.empty() || controllerPath.front() != kControllerSeparator ||
      controllerPath.find(u'/') != std::u16string_view::npos) {
    return false;
  }
  std::string path;
  if (!Utf16ToUtf8(controllerPath, path)) return false;
  for (char& c : path) {
    if (c == '\\') c = kLinuxSeparator;
  }
  linuxPath = std::move(path);
  return true;
}

}  // namespace platform
