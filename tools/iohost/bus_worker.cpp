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

// A reply starts with "!" or ">", or "?" when the module refuses the
// request; anything before that is line noise (a glitch while the line
// turns around), which must not make a good reply look invalid.
bool CanStartReply(char c) { return c == '!' || c == '>' || c == '?'; }

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
            (std::string(line) + (bus_.echo ? ", echo" : "") + " via " + port_->Backend()).c_str());
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
  if (port_ != nullptr && length != 0) WaitForTurnaround();
  record.startUs = MonotonicUs();
  if (length != 0) Copy(record.request, &record.requestLength, request, length);
  std::uint32_t status = kPortError;
  if (port_ != nullptr) {
    // Input is discarded after the turnaround: whatever a slow module still
    // sent after its reply goes with it.
    if (length != 0 && (!port_->DiscardInput() ||
                        !port_->Write(request, length,
                                      ToMs(WireTimeUs(length, *bus_.config)) + kWriteMarginMs))) {
      ClosePort("write failed");
    } else if (length != 0 && bus_.echo) {
      status = ReadEcho(request, length, record);
      if (status == 0) status = ReadReply(command, record);
    } else {
      status = ReadReply(command, record);
    }
    if (length != 0) lastExchangeEndUs_ = MonotonicUs();
  }
  record.durationUs = MonotonicUs() - record.startUs;
  record.status = status;
  return status;
}

void BusWorker::WaitForTurnaround() {
  const std::uint64_t readyUs = lastExchangeEndUs_ + bus_.config->turnaroundMs * 1000ULL;
  const std::uint64_t now = MonotonicUs();
  if (bus_.config->turnaroundMs != 0 && now < readyUs) {
    std::this_thread::sleep_for(std::chrono::microseconds(readyUs - now));
  }
}

// real-time path: no allocation.
std::uint32_t BusWorker::ReadEcho(const char* request, std::size_t length, ExchangeRecord& record) {
  const station::Bus& line = *bus_.config;
  // The adapter hears the request while it goes out.
  const std::uint64_t deadline = MonotonicUs() + WireTimeUs(length, line) + kEchoMarginMs * 1000ULL;
  std::size_t matched = 0;
  char chunk[64];
  while (matched < length) {
    const std::uint64_t now = MonotonicUs();
    if (now >= deadline) return kPortError;  // no echo, or only part of it
    // Never more than the echo: the reply's first bytes stay in the port.
    const int received =
        port_->ReadSome(chunk, std::min(sizeof chunk, length - matched), ToMs(deadline - now));
    if (received < 0) {
      ClosePort("read failed");
      return kPortError;
    }
    for (int i = 0; i < received; ++i) {
      if (chunk[i] == request[matched]) {
        ++matched;
        continue;
      }
      // Another talker, or an adapter that does not echo (this is the
      // reply): the trace shows what came instead of the echo.
      Copy(record.reply, &record.replyLength, chunk + i, static_cast<std::size_t>(received - i));
      DrainUntilQuiet(MonotonicUs() + line.timeoutMs * 1000ULL);
      return kPortError;
    }
  }
  return 0;
}

void BusWorker::DrainUntilQuiet(std::uint64_t untilUs) {
  const unsigned gapMs = std::max(kQuietGapMs, bus_.config->charTimeoutMs);
  char chunk[64];
  for (std::uint64_t now = MonotonicUs(); port_ != nullptr && now < untilUs; now = MonotonicUs()) {
    const int received = port_->ReadSome(chunk, sizeof chunk, std::min(gapMs, ToMs(untilUs - now)));
    if (received == 0) return;
    if (received < 0) ClosePort("read failed");
  }
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
  std::size_t index = 0;    // characters of the reply stored
  bool heard = false;       // any character came, noise included
  std::uint64_t lastByteUs = 0;
  char chunk[64];
  for (;;) {
    const std::uint64_t now = MonotonicUs();
    if (now >= deadline) return heard ? kIncompleteReply : kResponseTimeout;
    if (index != 0 && line.charTimeoutMs != 0 && now - lastByteUs >= line.charTimeoutMs * 1000ULL) {
      DrainUntilQuiet(now + line.timeoutMs * 1000ULL);  // the module may still be sending
      return kIncompleteReply;
    }
    unsigned waitMs = ToMs(deadline - now);
    if (index != 0 && line.charTimeoutMs != 0) waitMs = std::min(waitMs, line.charTimeoutMs);
    const int received = port_->ReadSome(chunk, sizeof chunk, waitMs);
    if (received < 0) {
      ClosePort("read failed");
      return kPortError;
    }
    if (received > 0) {
      heard = true;
      lastByteUs = MonotonicUs();
    }
    for (int i = 0; i < received; ++i) {
      if (record.replyLength < ExchangeRecord::kShown) record.reply[record.replyLength++] = chunk[i];
      if (index == 0 && !CanStartReply(chunk[i])) continue;
      if (index < room) {
        buffer[index] = chunk[i];
        std::lock_guard<std::mutex> lock(bus_.mutex);
        if (command.IsReplyComplete(static_cast<std::uint32_t>(index++)) != 0) {
          if (index < room) buffer[index] = '\0';
          // Bytes after the carriage return in this chunk are dropped here;
          // later ones with the input discarded before the next request.
          return command.ParseReply();
        }
      }
      if (index >= room) {  // full, and no carriage return: no use waiting for one
        DrainUntilQuiet(MonotonicUs() + line.timeoutMs * 1000ULL);
        return kReplyOverflow;
      }
    }
  }
}

}  // namespace iohost
