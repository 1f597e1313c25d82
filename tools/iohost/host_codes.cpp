#include "host_codes.h"

namespace iohost {

const char* StatusText(std::uint32_t status) {
  switch (status) {
    case 0: return "ok";
    case 1: return "pending";
    case kResponseTimeout: return "timeout";
    case kPortError: return "port error";
    case 4: return "checksum";
    case 5: return "wrong module";
    case 6: return "invalid reply";
    case kReplyOverflow: return "overflow";
    case kIncompleteReply: return "incomplete";
    default: return "failed";
  }
}

}  // namespace iohost
