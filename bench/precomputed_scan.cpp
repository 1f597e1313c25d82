#include "precomputed_scan.h"

#include <cstring>

#include "host/scan_runner.h"

namespace bench {
namespace {

// Scans before the recording: the first online scans may still send
// settings whose values the module has not seen.
constexpr int kSettlingScans = 5;

struct Exchanged {
  std::string payload;
  std::string framed;
  std::string reply;
  std::uint32_t status;
};

// One scan through the scripted module (its map lookups are no concern
// here: this is not the measured loop).
std::vector<Exchanged> ScriptedScan(hostabi::Module& module, host::Responder& bus) {
  std::vector<Exchanged> scan;
  module.IsScanDue();
  module.ScheduleCommands();
  hostabi::RequestQueue& queue = *module.GetRequestQueue();
  for (std::size_t i = 0; i < queue.size(); ++i) {
    hostabi::Command& command = *queue[i];
    command.Prepare();
    Exchanged exchange;
    exchange.framed.assign(command.GetRequest(), command.GetRequestLength());
    std::string problem;
    exchange.payload = host::ScanRunner::PayloadOf(exchange.framed, bus.Checksum(), &problem);
    exchange.reply = bus.Answer(exchange.payload).value_or("");
    exchange.status = DeliverReply(command, exchange.reply);
    module.ReportResult(exchange.status);
    scan.push_back(exchange);
  }
  queue.clear();
  module.RecordScan();
  return scan;
}

bool SameRequests(const std::vector<Exchanged>& a, const std::vector<Exchanged>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].framed != b[i].framed) return false;
  }
  return true;
}

}  // namespace

std::uint32_t DeliverReply(hostabi::Command& command, const std::string& reply) {
  char* buffer = command.GetReplyBuffer();
  const std::uint32_t size = buffer != nullptr ? command.GetReplyBufferSize() : 0;
  if (size == 0) return command.ParseReply();
  const std::size_t room = size - 1;  // the last character stays NUL
  for (std::size_t i = 0; i < reply.size() && i < room; ++i) {
    buffer[i] = reply[i];
    if (command.IsReplyComplete(static_cast<std::uint32_t>(i)) != 0) return command.ParseReply();
  }
  return hostabi::kHostTimeout;
}

std::optional<PrecomputedScan> PrecomputedScan::Record(hostabi::Module& module, host::Responder& bus,
                                                       std::string* error) {
  for (int i = 0; i < kSettlingScans; ++i) ScriptedScan(module, bus);
  const std::vector<Exchanged> first = ScriptedScan(module, bus);
  const std::vector<Exchanged> second = ScriptedScan(module, bus);
  if (second.empty()) {
    *error = "the steady-state scan exchanges nothing";
    return std::nullopt;
  }
  for (const Exchanged& exchange : second) {
    if (exchange.status != hostabi::kReplyOk) {
      *error = "\"" + exchange.payload + "\" answered \"" + exchange.reply + "\" gives status " +
               std::to_string(exchange.status);
      return std::nullopt;
    }
  }
  if (!SameRequests(first, second)) {
    *error = "two scans in a row send different requests";
    return std::nullopt;
  }
  PrecomputedScan scan;
  for (const Exchanged& exchange : second) {
    scan.replies_.push_back(exchange.reply);
    scan.requestCharacters_ += exchange.framed.size();
    scan.replyCharacters_ += exchange.reply.size();
  }
  return scan;
}

std::uint32_t PrecomputedScan::Run(hostabi::Module& module) const {
  module.IsScanDue();
  module.ScheduleCommands();
  hostabi::RequestQueue& queue = *module.GetRequestQueue();
  std::uint32_t failures = queue.size() == replies_.size() ? 0 : 1;
  // ReportResult may empty the queue (a module declared lost): the size is
  // asked again at every step.
  for (std::size_t i = 0; i < replies_.size() && i < queue.size(); ++i) {
    hostabi::Command& command = *queue[i];
    command.Prepare();
    // The host reads the request to send it.
    const char* request = command.GetRequest();
    const std::uint32_t length = command.GetRequestLength();
    if (request == nullptr || length == 0) ++failures;
    const std::uint32_t status = DeliverReply(command, replies_[i]);
    if (status != hostabi::kReplyOk) ++failures;
    module.ReportResult(status);
  }
  queue.clear();
  module.RecordScan();
  return failures;
}

}  // namespace bench
