// One steady-state scan of a Module with the module's replies worked out
// beforehand: the measured loop copies prepared bytes and calls the plug-in,
// and looks nothing up. Shared by the scan benchmarks and the instruction
// counter.
//
//   drivertest::SteadyModule m(drivertest::SteadySetupOf("mx43110"));
//   std::string error;
//   auto scan = bench::PrecomputedScan::Record(*m.module, m.bus, &error);
//   while (...) failures += scan->Run(*m.module);
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/abi.h"
#include "host/responder.h"

namespace bench {

class PrecomputedScan {
 public:
  // Runs a few scans through the scripted module, then keeps the replies of
  // one scan exchange by exchange. nullopt, with the reason in *error, when a
  // scan exchanges nothing, an exchange is not accepted, or two scans in a
  // row do not send the same requests (no steady state to repeat).
  static std::optional<PrecomputedScan> Record(hostabi::Module& module, host::Responder& bus, std::string* error);

  // One scan as the runtime makes it: IsScanDue, ScheduleCommands, then for
  // every queued Command Prepare, the request read, the reply delivered byte
  // by byte until IsReplyComplete, ParseReply and ReportResult; the queue
  // emptied with clear(), RecordScan. Returns the exchanges not accepted (a
  // scan that does not match the recorded one counts as one more).
  // Real-time path: no allocation by the host.
  std::uint32_t Run(hostabi::Module& module) const;

  std::size_t Exchanges() const { return replies_.size(); }
  // Characters of one scan on the wire, checksums and carriage returns included.
  std::size_t RequestCharacters() const { return requestCharacters_; }
  std::size_t ReplyCharacters() const { return replyCharacters_; }

 private:
  std::vector<std::string> replies_;
  std::size_t requestCharacters_ = 0;
  std::size_t replyCharacters_ = 0;
};

// Delivers reply bytes into a Command's buffer the way the host reads them
// off the wire, and parses the reply; the host's timeout status when the
// bytes hold no complete reply. A Command without reply buffer is parsed
// directly. Real-time path.
std::uint32_t DeliverReply(hostabi::Command& command, const std::string& reply);

}  // namespace bench
