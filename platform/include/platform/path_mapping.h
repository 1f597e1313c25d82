// How controller-style paths map onto Linux paths. This is the one place
// that defines it; the Linux implementation of the platform uses nothing else.
//
// A controller path is absolute: it starts at the root "\" and separates
// folders with "\"; it has no drive letter. The controller's root is the
// Linux root, and each "\" is a "/":
//
//   Linux "/srv/plc/App/FB"           controller "\srv\plc\App\FB\"
//   Linux "/srv/plc/App/Corvane.exe"  controller "\srv\plc\App\Corvane.exe"
//   Linux "/"                         controller "\"
//
// A directory given to the controller side ends with "\" (as the controller
// reports its current directory); other paths map character by character.
// Text is UTF-16 on the controller side and UTF-8 on the Linux side.
//
// Refused, so that no path ever maps onto a different file:
//  - relative or empty paths on either side;
//  - a "\" inside a Linux path (it would turn into a separator) and a "/"
//    inside a controller path (it would become one on Linux);
//  - text that is not valid UTF-8 / UTF-16.
// Letter case is kept: on Linux, unlike the controller, file names are
// case-sensitive.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// linuxDirectory: an absolute Linux directory such as getcwd returns.
bool LinuxDirectoryToControllerPath(std::string_view linuxDirectory,
                                    std::u16string& controllerPath);

bool ControllerPathToLinuxPath(std::u16string_view controllerPath, std::string& linuxPath);

// Text conversions used by the mapping; false on invalid input.
bool Utf8ToUtf16(std::string_view utf8, std::u16string& utf16);
bool Utf16ToUtf8(std::u16string_view utf16, std::string& utf8);
// Invalid sequences become U+FFFD; for names that are only displayed or compared.
std::u16string Utf8ToUtf16Lossy(std::string_view utf8);

}  // namespace platform
