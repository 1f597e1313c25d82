#include "drivers/common/steady_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "host/alloc_counter.h"
#include "host/scan_runner.h"

namespace drivertest {
namespace {

void OneScan(hostabi::Module& module, host::Responder& bus, bool counting) {
  using host::AllocCounter;
  auto enter = [&] {
    if (counting) AllocCounter::Resume();
  };
  auto leave = [&] {
    if (counting) AllocCounter::Pause();
  };
  enter();
  module.IsScanDue();
  module.ScheduleCommands();
  hostabi::RequestQueue* queue = module.GetRequestQueue();
  const std::size_t count = queue->size();
  leave();
  // A scan that exchanges nothing would pass without measuring anything.
  if (count == 0) ADD_FAILURE() << "the steady-state scan queued no command";
  for (std::size_t i = 0; i < count && i < queue->size(); ++i) {
    hostabi::Command* command = (*queue)[i];
    enter();
    command->Prepare();
    const std::string request(command->GetRequest(), command->GetRequestLength());
    leave();
    std::string problem;
    const std::string payload = host::ScanRunner::PayloadOf(request, bus.Checksum(), &problem);
    const std::optional<std::string> reply = bus.Answer(payload);
    if (!reply) {
      ADD_FAILURE() << "no reply scripted for " << payload;
      continue;
    }
    enter();
    char* buffer = command->GetReplyBuffer();
    const std::uint32_t room = command->GetReplyBufferSize();
    std::uint32_t status = 0;
    if (buffer != nullptr && room > 0) {
      const std::size_t n = std::min<std::size_t>(reply->size(), room - 1);
      std::memcpy(buffer, reply->data(), n);
      status = command->ParseReply();
    }
    module.ReportResult(status);
    leave();
    if (status != 0) ADD_FAILURE() << payload << " -> " << *reply << ": status " << status;
  }
  enter();
  queue->clear();
  module.RecordScan();
  leave();
}

}  // namespace

std::size_t CountSteadyStateAllocations(hostabi::Module& module, host::Responder& bus, int scans, int warmUp) {
  for (int i = 0; i < warmUp; ++i) OneScan(module, bus, false);
  host::AllocCounter::Start();
  host::AllocCounter::Pause();
  for (int i = 0; i < scans; ++i) OneScan(module, bus, true);
  return host::AllocCounter::Stop();
}

}  // namespace drivertest
