// Self-test of Responder and ScanRunner against a fake Module built on
// hostabi only (the real plug-ins are exercised by the driver tests).
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/abi.h"
#include "host/responder.h"
#include "host/scan_runner.h"

namespace {

using host::Responder;
using host::ScanRunner;

// A command with well-formed framing: text, optional checksum, CR, NUL.
class FakeCommand final : public hostabi::Command {
 public:
  FakeCommand(std::string text, bool checksum, std::uint32_t replySize)
      : reply_(replySize, '\0'), text_(std::move(text)), checksum_(checksum) {}

  void Prepare() override {
    std::memset(request_, 0, sizeof request_);
    std::memcpy(request_, text_.data(), text_.size());
    std::size_t n = text_.size();
    if (checksum_) {
      unsigned sum = 0;
      for (char c : text_) sum += static_cast<unsigned char>(c);
      std::snprintf(request_ + n, 3, "%02X", sum & 0xFF);
      n += 2;
    }
    if (corrupt_) request_[n - 1] = 'Z';
    request_[n] = '\r';
    std::fill(reply_.begin(), reply_.end(), '\0');
  }
  char* GetRequest() override { return request_; }
  std::uint32_t GetRequestLength() override {
    return static_cast<std::uint32_t>(std::strlen(request_));
  }
  std::uint32_t ParseReply() override {
    ++parsed;
    return std::string(reply_.data()) == expected ? hostabi::kReplyOk : hostabi::kReplyInvalid;
  }
  char* GetReplyBuffer() override { return reply_.empty() ? nullptr : reply_.data(); }
  std::uint32_t GetReplyBufferSize() override { return static_cast<std::uint32_t>(reply_.size()); }
  std::uint8_t IsReplyComplete(std::uint32_t index) override { return reply_.at(index) == '\r'; }

  std::vector<char> reply_;
  std::string expected;  // reply accepted by ParseReply
  int parsed = 0;
  bool corrupt_ = false;

 private:
  std::string text_;
  bool checksum_;
  char request_[64] = {};
};

class FakeModule final : public hostabi::Module {
 public:
  std::uint8_t Initialize(hostabi::VariableDb*, hostabi::IoNode, std::uint32_t,
                          std::uint8_t) override { return 1; }
  void Destroy() override {}
  std::uint8_t IsScanDue() override { ++dueCalls; return due; }
  void ScheduleCommands() override {
    ++scheduled;
    if (queue.empty()) {
      for (FakeCommand* c : commands) queue.push_back(c);
    }
  }
  hostabi::RequestQueue* GetRequestQueue() override { return &queue; }
  void ClearModuleAddress(std::uint8_t) override {}
  void SetWatchdogTimeout(std::uint32_t) override {}
  void ReportResult(std::uint32_t status) override {
    statuses.push_back(status);
    queueSizes.push_back(queue.size());
    if (status != 0 && dropOnFailure) queue.clear();  // "module lost"
  }
  void RecordScan() override { ++recorded; }
  std::uint16_t GetModuleAddress() override { return 1; }
  std::uint32_t GetScanMode() override { return 1; }
  std::int32_t GetHostValue() override { return 0; }

  std::vector<FakeCommand*> commands;
  hostabi::RequestQueue queue;
  std::vector<std::uint32_t> statuses;
  std::vector<std::size_t> queueSizes;
  std::uint8_t due = 1;
  bool dropOnFailure = false;
  int dueCalls = 0, scheduled = 0, recorded = 0;
};

TEST(HostRunner, ChecksumFramingBothWays) {
  EXPECT_EQ(Responder::ChecksumDigits("$01M"), "D2");
  EXPECT_EQ(Responder::ChecksumDigits("#01"), "84");
  Responder on(true), off(false);
  EXPECT_EQ(on.Frame("!01"), "!01" + Responder::ChecksumDigits("!01") + "\r");
  EXPECT_EQ(off.Frame(">1"), ">1\r");
  std::string problem;
  EXPECT_EQ(ScanRunner::PayloadOf("$01MD2\r", true, &problem), "$01M");
  EXPECT_EQ(problem, "");
  ScanRunner::PayloadOf("$01MD3\r", true, &problem);
  EXPECT_NE(problem, "");
  EXPECT_EQ(ScanRunner::PayloadOf("#01\r", false, &problem), "#01");
  EXPECT_EQ(problem, "");
}

TEST(HostRunner, ExchangesInOrderPopBeforeReport) {
  FakeCommand name("$01M", true, 19), read("#01", true, 20), quiet("~011", true, 7);
  Responder bus(true);
  bus.On("$01M", "!0143110");
  name.expected = bus.Frame("!0143110");
  bus.OnRaw("#01", ">+1.0");  // no carriage return: timeout
  bus.Silent("~011");
  FakeModule module;
  module.commands = {&name, &read, &quiet};
  ScanRunner runner;
  auto x = runner.Scan(module, bus);
  ASSERT_EQ(x.size(), 3u);
  EXPECT_EQ(ScanRunner::Requests(x), (std::vector<std::string>{"$01M", "#01", "~011"}));
  EXPECT_EQ(x[0].framed, "$01MD2\r");
  EXPECT_EQ(x[0].reply, name.expected);
  EXPECT_EQ(ScanRunner::Statuses(x),
            (std::vector<std::uint32_t>{hostabi::kReplyOk, hostabi::kHostTimeout,
                                        hostabi::kHostTimeout}));
  EXPECT_EQ(name.parsed, 1);
  EXPECT_EQ(read.parsed, 0);
  EXPECT_EQ(quiet.parsed, 0);
  EXPECT_EQ(module.queueSizes, (std::vector<std::size_t>{2, 1, 0}));  // popped first
  EXPECT_EQ(module.recorded, 1);
}

TEST(HostRunner, ReplyNeverFillsTheLastCharacter) {
  FakeCommand read("#01", false, 5);
  Responder bus(false);
  bus.On("#01", ">1234");  // 6 bytes with CR: does not fit 4 characters
  FakeModule module;
  module.commands = {&read};
  ScanRunner runner;
  auto x = runner.Scan(module, bus);
  ASSERT_EQ(x.size(), 1u);
  EXPECT_EQ(x[0].reply, ">123");
  EXPECT_EQ(x[0].status, hostabi::kHostTimeout);
  EXPECT_EQ(read.reply_[4], '\0');
  bus.On("#01", ">12");  // fits exactly: ">12\r" + NUL
  read.expected = ">12\r";
  x = runner.Scan(module, bus);
  EXPECT_EQ(x[0].status, hostabi::kReplyOk);
}

TEST(HostRunner, StopsWhenReportResultEmptiesTheQueue) {
  FakeCommand a("#01", false, 8), b("#02", false, 8);
  Responder bus(false);
  FakeModule module;
  module.commands = {&a, &b};
  module.dropOnFailure = true;
  ScanRunner runner;
  auto x = runner.Scan(module, bus);
  EXPECT_EQ(ScanRunner::Requests(x), (std::vector<std::string>{"#01"}));
  EXPECT_EQ(module.recorded, 1);
}

TEST(HostRunner, FallbackAndScanIfDue) {
  FakeCommand a("#01", false, 8);
  Responder bus(false);
  bus.SetFallback([](const std::string& request) -> std::optional<std::string> {
    if (request == "#01") return std::string(">7");
    return std::nullopt;
  });
  a.expected = ">7\r";
  FakeModule module;
  module.commands = {&a};
  ScanRunner runner;
  module.due = 0;
  EXPECT_TRUE(runner.ScanIfDue(module, bus).empty());
  EXPECT_EQ(module.scheduled, 0);
  EXPECT_EQ(module.recorded, 0);
  module.due = 1;
  auto x = runner.ScanIfDue(module, bus);
  ASSERT_EQ(x.size(), 1u);
  EXPECT_EQ(x[0].status, hostabi::kReplyOk);
}

TEST(HostRunner, BadFramingIsATestFailure) {
  FakeCommand a("#01", true, 8);
  a.corrupt_ = true;
  Responder bus(true);
  FakeModule module;
  module.commands = {&a};
  ScanRunner runner;
  EXPECT_NONFATAL_FAILURE(runner.Scan(module, bus), "badly framed request");
}

int entered = 0;
int left = 0;
bool inside = false;
void Enter() { ++entered; inside = true; }
void Leave() { ++left; inside = false; }

TEST(HostRunner, HooksBracketEveryPluginCall) {
  FakeCommand a("#01", false, 8);
  Responder bus(false);
  bus.On("#01", ">1");
  a.expected = ">1\r";
  FakeModule module;
  module.commands = {&a};
  ScanRunner runner;
  runner.SetPluginCallHooks(&Enter, &Leave);
  auto x = runner.ScanIfDue(module, bus);
  ASSERT_EQ(x.size(), 1u);
  EXPECT_FALSE(inside);
  EXPECT_EQ(entered, left);
  // IsScanDue, ScheduleCommands, GetRequestQueue, Prepare, GetRequest,
  // GetRequestLength, GetReplyBuffer, GetReplyBufferSize, 3 x IsReplyComplete,
  // ParseReply, ReportResult, RecordScan.
  EXPECT_EQ(entered, 14);
}

}  // namespace
