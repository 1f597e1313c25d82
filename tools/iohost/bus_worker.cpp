#include "bus_worker.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "host_codes.h"
#include "wire_time.h"

namespace iohost {
namespace {

unsigned ToMs(std::uint64_t us) { return static_cast<unsigned>((us + 999) / 1000); }

void Copy(char* to, std::size_t* length, const char* from, std::size_t size) {
  *length = std::min(size, ExchangeRecord::kShown);
  std::memcpy(to, from, *length);
}

}  // namespace

BusWorker::BusWorker(RuntimeBus& bus, EventLog& log, const std::atomic<bool>& stop)
    : bus_(bus), log_(log), stop_(stop) {}

void BusWorker::Run() {
  while (!stop_.load()) {
    KeepPortOpen();
    bool anyDue = false;
    for (RuntimeModule* module : bus_.modules) {
      if (stop_.load()) break;
      anyDue |= ScanModule(*module);
    }
    if (!anyDue) std::this_thread::sleep_for(std::chrono::milliseconds(kIdlePollMs));
  }
  port_.reset();
}

void BusWorker::ClosePort(const char* why) {
  port_.reset();
  {
    std::lock_guard<std::mutex> lock(bus_.mutex);
    bus_.counters.portOpen = false;
    bus_.counters.backend = "";
    std::snprintf(bus_.counters.portError, sizeof bus_.counters.portError, "%s", why);
  }
  log_.Port(bus_.config->name.c_str(), bus_.portPath.c_str(), "lost", why);
  lastOpenAttemptUs_ = MonotonicUs();
}

void BusWorker::KeepPortOpen() {
  const std::uint64_t now = MonotonicUs();
  if (port_ != nullptr) {
    // A USB adapter that is unplugged takes its device node with it; the
    // descriptor may not report it until the next read.
    if (now - lastPortCheckUs_ >= kPortCheckIntervalMs * 1000ULL) {
      lastPortCheckUs_ = now;
      struct stat info {};
      if (stat(bus_.portPath.c_str(), &info) != 0) ClosePort("the device is gone");
    }
    return;
  }
  if (everOpened_ || openFailureReported_) {
    if (now - lastOpenAttemptUs_ < kReopenIntervalMs * 1000ULL) return;
  }
  lastOpenAttemptUs_ = now;
  std::string error;
  port_ = OpenSerialPort(bus_.portPath, *bus_.config, &error);
  if (port_ == nullptr) {
    {
      std::lock_guard<std::mutex> lock(bus_.mutex);
      std::snprintf(bus_.counters.portError, sizeof bus_.counters.portError, "%s", error.c_str());
    }
    if (!openFailureReported_) {
      openFailureReported_ = true;
      log_.Port(bus_.config->name.c_str(), bus_.portPath.c_str(), "error", error.c_str());
    }
    return;
  }
  {
    std::lock_guard<std::mutex> lock(bus_.mutex);
    bus_.counters.portOpen = true;
    bus_.counters.backend = port_->Backend();
    bus_.counters.portError[0] = '\0';
  }
  openFailureReported_ = false;
  char line[32];
  FormatLine(*bus_.config, line, sizeof line);
  log_.Port(bus_.config->name.c_str(), bus_.portPath.c_str(), everOpened_ ? "reopened" : "open",
            (std::string(line) + " via " + port_->Backend()).c_str());
  everOpened_ = true;
  lastPortCheckUs_ = MonotonicUs();
}

// real-time path: no allocation by the host (the plug-ins' queue may allocate).
bool BusWorker::ScanModule(RuntimeModule& m) {
  hostabi::RequestQueue* queue = nullptr;
  const std::uint64_t scanStart = MonotonicUs();
  {
    std::lock_guard<std::mutex> lock(bus_.mutex);
    if (m.module->IsScanDue() == 0) {
      const ModuleCounters& c = m.counters;
      if (m.scanMode == 1 && c.hasStatus && c.lastStatus == 0) m.counters.onDemand = true;
      return false;
    }
    m.module->ScheduleCommands();
    queue = m.module->GetRequestQueue();
  }
  for (std::size_t n = 0; queue != nullptr && n < kMaxExchangesPerScan && !stop_.load(); ++n) {
    hostabi::Command* command = nullptr;
    {
      std::lock_guard<std::mutex> lock(bus_.mutex);
      if (queue->empty()) break;
      command = queue->front();
      if (command == nullptr) {  // nothing to exchange: drop it
        queue->pop_front();
        continue;
      }
    }
    ExchangeRecord record;
    record.bus = bus_.config->name.c_str();
    record.module = m.config->name.c_str();
    const std::uint32_t status = Exchange(*command, record);
    {
      std::lock_guard<std::mutex> lock(bus_.mutex);
      if (!queue->empty() && queue->front() == command) queue->pop_front();
      m.module->ReportResult(status);
      m.counters.hasStatus = true;
      m.counters.lastStatus = status;
      ++m.counters.exchanges;
      if (status != 0) ++m.counters.failures;
      ++bus_.counters.exchanges;
      bus_.counters.wireUs += WireTimeUs(record.requestLength + record.replyLength, *bus_.config);
    }
    log_.Exchange(record);
  }
  std::lock_guard<std::mutex> lock(bus_.mutex);
  m.module->RecordScan();
  ModuleCounters& c = m.counters;
  if (c.scans != 0) {
    c.intervalSumUs += scanStart - c.lastScanUs;
    ++c.intervals;
  }
  c.lastScanUs = scanStart;
  ++c.scans;
  return true;
}

// real-time path: no allocation.
std::uint32_t BusWorker::Exchange(hostabi::Command& command, ExchangeRecord& record) {
  const char* request = nullptr;
  std::uint32_t length = 0;
  {
    std::lock_guard<std::mutex> lock(bus_.mutex);
    command.Prepare();
    request = command.GetRequest();
    length = request != nullptr ? command.GetRequestLength() : 0;
  }
  record.startUs = MonotonicUs();
  if (length != 0) Copy(record.request, &record.requestLength, request, length);
  std::uint32_t status = kPortError;
  if (port_ != nullptr) {
    if (length != 0 && (!port_->DiscardInput() ||
                        !port_->Write(request, length,
                                      ToMs(WireTimeUs(length, *bus_.config)) + kWriteMarginMs))) {
      ClosePort("write failed");
    } else {
      status = ReadReply(command, record);
    }
  }
  record.durationUs = MonotonicUs() - record.startUs;
  record.status = status;
  return status;
}

// real-time path: no allocation.
std::uint32_t BusWorker::ReadReply(hostabi::Command& command, ExchangeRecord& record) {
  char* buffer = nullptr;
  std::uint32_t size = 0;
  {
    std::lock_guard<std::mutex> lock(bus_.mutex);
    buffer = command.GetReplyBuffer();
    size = buffer != nullptr ? command.GetReplyBufferSize() : 0;
    if (size == 0) return command.ParseReply();  // no reply expected
  }
  const station::Bus& line = *bus_.config;
  // The response timeout is the module's allowance on top of the time the
  // longest reply that fits the buffer takes on the wire.
  const std::uint64_t deadline =
      MonotonicUs() + line.timeoutMs * 1000ULL + WireTimeUs(size, line);
  const std::size_t room = size - 1;  // the buffer's last character stays NUL
  buffer[room] = '\0';
  std::size_t index = 0;
  std::uint64_t lastByteUs = 0;
  char chunk[64];
  for (;;) {
    const std::uint64_t now = MonotonicUs();
    if (now >= deadline) return index == 0 ? kResponseTimeout : kIncompleteReply;
    if (index != 0 && line.charTimeoutMs != 0 && now - lastByteUs >= line.charTimeoutMs * 1000ULL) {
      return kIncompleteReply;
    }
    unsigned waitMs = ToMs(deadline - now);
    if (index != 0 && line.charTimeoutMs != 0) waitMs = std::min(waitMs, line.charTimeoutMs);
    const int received = port_->ReadSome(chunk, sizeof chunk, waitMs);
    if (received < 0) {
      ClosePort("read failed");
      return kPortError;
    }
    lastByteUs = received > 0 ? MonotonicUs() : lastByteUs;
    for (int i = 0; i < received; ++i) {
      if (index >= room) return kReplyOverflow;  // the rest is discarded with the next request
      buffer[index] = chunk[i];
      if (record.replyLength < ExchangeRecord::kShown) record.reply[record.replyLength++] = chunk[i];
      std::lock_guard<std::mutex> lock(bus_.mutex);
      if (command.IsReplyComplete(static_cast<std::uint32_t>(index++)) != 0) {
        if (index < room) buffer[index] = '\0';
        // Bytes after the carriage return are dropped here, never left for
        // the next command.
        return command.ParseReply();
      }
    }
  }
}

}  // namespace iohost
