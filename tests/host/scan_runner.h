// Test host: performs scans on a Module exactly in the runtime's order.
//
//   host::ScanRunner runner;
//   auto exchanges = runner.Scan(*module, bus);          // one scan, unconditionally
//   EXPECT_EQ(host::ScanRunner::Requests(exchanges),
//             (std::vector<std::string>{"$01M", "#01"}));
//   EXPECT_EQ(exchanges[1].status, hostabi::kReplyOk);
//   auto none = runner.ScanIfDue(*module, bus);          // {} when IsScanDue is false
//
// One scan: ScheduleCommands; then while GetRequestQueue() is not empty, for
// the front Command:
//   1. Prepare; read GetRequestLength characters of GetRequest; check the
//      framing (prefix # $ @ % ~, printable text, checksum digits when the
//      Responder's checksum is on, carriage return last, NUL after it) and
//      record a test failure (ADD_FAILURE) when it is wrong;
//   2. ask the Responder with the payload (text before checksum and CR);
//   3. copy the reply bytes into GetReplyBuffer from position 0, at most
//      GetReplyBufferSize - 1 characters (the last one stays NUL; the buffer
//      is not cleared by the runner: that is Prepare's duty), calling
//      IsReplyComplete on each position written and stopping at the first
//      true. Status = ParseReply when a complete reply arrived, otherwise
//      kHostTimeout (ParseReply not called). A Command with no reply buffer
//      (null or size 0) expects no reply: ParseReply is called directly;
//   4. pop the Command from the queue (checking it is still the front), THEN
//      ReportResult(status) (which may empty the queue when the module is
//      declared lost).
// Finally RecordScan. More than kMaxExchanges exchanges in one scan is
// reported as a failure (a queue that never empties).
//
// Set the environment variable RIO_HOST_TRACE=1 to print every exchange to
// stderr. Single-threaded, like the runtime's one thread per bus.
//
// Plug-in call hooks: enter() is called right before, and leave() right after,
// every call the runner makes into the plug-in (Module and Command operations),
// and nowhere else. With the allocation counter (rio_alloc_counter, not in
// sanitizer builds) this counts the plug-in's allocations alone, without the
// runner's own strings and vectors:
//   runner.SetPluginCallHooks(&host::AllocCounter::Resume, &host::AllocCounter::Pause);
//   host::AllocCounter::Start();
//   host::AllocCounter::Pause();
//   runner.Scan(*module, bus);
//   EXPECT_EQ(host::AllocCounter::Stop(), 0u);
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/abi.h"
#include "host/responder.h"

namespace host {

class ScanRunner {
 public:
  struct Exchange {
    std::string request;  // payload: the text without checksum digits and CR
    std::string reply;    // the bytes written into the reply buffer ("" = none)
    std::uint32_t status; // ParseReply's result, or kHostTimeout
    std::string framed;   // the request exactly as sent (GetRequestLength chars)
  };
  static constexpr std::size_t kMaxExchanges = 4096;

  ScanRunner();

  std::vector<Exchange> Scan(hostabi::Module& module, Responder& responder);
  // IsScanDue first; when false nothing else is called and {} is returned.
  std::vector<Exchange> ScanIfDue(hostabi::Module& module, Responder& responder);

  // The payloads of the exchanges, in order.
  static std::vector<std::string> Requests(const std::vector<Exchange>& exchanges);
  // The statuses of the exchanges, in order.
  static std::vector<std::uint32_t> Statuses(const std::vector<Exchange>& exchanges);

  // Checks the framing of a request as sent; returns the payload (best effort
  // when the framing is wrong) and describes the faults in *problem ("" = ok).
  static std::string PayloadOf(const std::string& framed, bool checksum, std::string* problem);

  void SetTrace(bool trace) { trace_ = trace; }

  using Hook = void (*)();
  void SetPluginCallHooks(Hook enter, Hook leave) {
    enter_ = enter;
    leave_ = leave;
  }

 private:
  // Runs one call into the plug-in between the hooks.
  template <class F>
  decltype(auto) InPlugin(F&& call) {
    struct Guard {
      Hook leave;
      ~Guard() {
        if (leave != nullptr) leave();
      }
    } guard{leave_};
    if (enter_ != nullptr) enter_();
    return call();
  }
  Exchange Exchange1(hostabi::Command& command, Responder& responder);
  bool trace_ = false;
  Hook enter_ = nullptr;
  Hook leave_ = nullptr;
};

}  // namespace host
