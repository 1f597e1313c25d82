// The host's own failure codes: what iohost passes to a Module's ReportResult
// when an exchange failed before the plug-in could judge a reply. The Module
// writes every status to its "Connect State" variable, so these numbers are
// what a user sees there. Reply codes of the plug-ins, for comparison:
//
//   code | meaning                                             | from
//   -----+-----------------------------------------------------+--------
//     0  | reply accepted                                      | plug-in
//     1  | (reserved: neither success nor failure; never sent) | -
//     2  | response timeout: no reply byte before the timeout  | iohost
//     3  | port error: the port is missing, unplugged or fails | iohost
//     4  | checksum error in the reply                         | plug-in
//     5  | wrong module: the model does not match              | plug-in
//     6  | invalid reply: framing or address echo wrong        | plug-in
//     7  | reply overflow: no carriage return within the       | iohost
//        | command's reply buffer                              |
//     8  | incomplete reply: bytes arrived but no carriage     | iohost
//        | return before the response or character timeout    |
//
// 0, 1, 4, 5 and 6 belong to the plug-ins; the host never reports them itself.
#pragma once

#include <cstdint>

namespace iohost {

enum HostCode : std::uint32_t {
  kResponseTimeout = 2,
  kPortError = 3,
  kReplyOverflow = 7,
  kIncompleteReply = 8,
};

// Short text for a status, e.g. "ok", "timeout", "checksum" ("status 9" for others).
const char* StatusText(std::uint32_t status);

}  // namespace iohost
