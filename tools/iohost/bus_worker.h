// One thread per bus: opens the bus's port (and opens it again after it was
// lost), and polls the bus's modules in turn, each scan in the order the
// plug-ins expect:
//
//   IsScanDue -> ScheduleCommands -> for each Command at the front of the
//   queue: Prepare, wait out the bus's turnaround, discard stale input,
//   send, read back the echo (two-wire adapters), read until
//   IsReplyComplete or the response timeout, ParseReply, remove it from the
//   queue, ReportResult -> RecordScan
//
// What the peer sends is never trusted: noise before a reply is skipped, a
// reply is cut at its carriage return, and after a reply that failed part
// way (overflow, character timeout, wrong echo) the line is read until it
// is quiet, so that no exchange sees another's bytes.
//
// The Command is removed from the queue before ReportResult: a module
// declared lost empties its queue inside ReportResult, and removing after it
// would pop an empty queue.
//
// Every call into a plug-in runs under the bus mutex (the plug-ins read and
// write the variable database there); the mutex is released while the
// thread waits for the wire, so the display and `set` are never held up by a
// slow module.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "event_log.h"
#include "runtime.h"
#include "serial_port.h"

namespace iohost {

// Pauses of the bus thread.
constexpr unsigned kReopenIntervalMs = 1000;  // between attempts to open a missing port
constexpr unsigned kPortCheckIntervalMs = 500;  // between checks that the device node still exists
constexpr unsigned kIdlePollMs = 2;            // when no module of the bus was due
constexpr unsigned kWriteMarginMs = 100;       // added to the wire time of a request
constexpr unsigned kEchoMarginMs = 100;        // added to the wire time of a request's echo
// Silence that ends the rest of a reply the host gave up on. USB adapters
// hand received bytes over in bursts up to 16 ms apart.
constexpr unsigned kQuietGapMs = 20;
constexpr std::size_t kMaxExchangesPerScan = 4096;  // a queue that never empties ends the scan

class BusWorker {
 public:
  BusWorker(RuntimeBus& bus, EventLog& log, const std::atomic<bool>& stop);
  // The thread's body: runs until stop is set.
  void Run();

 private:
  void KeepPortOpen();
  void ClosePort(const char* why);
  // One scan of one module; false when it was not due.
  bool ScanModule(RuntimeModule& module);
  // One exchange; fills record and returns the status for ReportResult.
  std::uint32_t Exchange(hostabi::Command& command, ExchangeRecord& record);
  // Reads the reply into the Command's buffer; returns 0 when it is complete.
  std::uint32_t ReadReply(hostabi::Command& command, ExchangeRecord& record);
  // Reads back the request a two-wire adapter echoes; 0, or kPortError when
  // the echo is missing or differs from the request.
  std::uint32_t ReadEcho(const char* request, std::size_t length, ExchangeRecord& record);
  // Drops input until the line has been quiet for a while (at most until
  // untilUs), so that the rest of a failed reply cannot become the next one.
  void DrainUntilQuiet(std::uint64_t untilUs);
  // Keeps the bus's turnaround time between the end of a reply and a request.
  void WaitForTurnaround();

  RuntimeBus& bus_;
  EventLog& log_;
  const std::atomic<bool>& stop_;
  std::unique_ptr<SerialPort> port_;
  std::uint64_t lastOpenAttemptUs_ = 0;
  std::uint64_t lastPortCheckUs_ = 0;
  std::uint64_t lastExchangeEndUs_ = 0;  // when the last reply ended (or was given up)
  bool everOpened_ = false;
  bool openFailureReported_ = false;
};

}  // namespace iohost
