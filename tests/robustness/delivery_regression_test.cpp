// Regressions of faults the fault campaign found: no configuration or write
// may be lost to one garbled reply or to an offline pass whose later
// requests went unanswered after the module came online.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "drivers/common/driver_fixture.h"
#include "framework/command.h"
#include "framework/control_commands.h"

namespace {

using host::ScanRunner;
using Requests = std::vector<std::string>;

class ReadCommand : public rio::Command {
 public:
  explicit ReadCommand(bool checksum) : Command(checksum, 3, 16) { SetText("#AA", 1); }
};

template <class CommandType>
void Exchange(CommandType& command, const std::string& reply) {
  rio::RequestQueue queue;
  rio::Enqueue(queue, &command);
  command.Prepare();
  std::memcpy(command.GetReplyBuffer(), reply.data(), std::min<std::size_t>(reply.size(), command.GetReplyBufferSize() - 1));
  command.ParseReply();
}

// A reply garbled on the line used to count as the module's refusal when
// its first character was neither "!" nor ">", so a write it answered was
// never sent again.
TEST(DeliveryRegression, OnlyAWellFormedRefusalEndsTheWait) {
  struct Case {
    bool checksum;
    std::string reply;
    bool awaiting;
  };
  const Case cases[] = {
      {false, "?01\r", false},
      {true, "?01" + host::Responder::ChecksumDigits("?01") + "\r", false},
      {true, "?01\r", false},                // a refusal without checksum digits
      {false, "X01\r", true},               // "!" garbled
      {false, "\x80" "01\r", true},
      {false, "?02\r", true},               // not this module's
      {true, "?0100\r", true},              // wrong checksum
      {false, "?01ZZ\r", true},             // more than a refusal
      {true, "!01" + host::Responder::ChecksumDigits("!01") + "\r", false},
  };
  for (const Case& c : cases) {
    ReadCommand command(c.checksum);
    Exchange(command, c.reply);
    EXPECT_EQ(command.IsAwaitingReply(), c.awaiting) << c.reply << (c.checksum ? " (checksum on)" : "");
  }
}

// A well-formed answer was received, whatever the kind makes of its data.
TEST(DeliveryRegression, AnAnswerWithUnwantedDataIsReceived) {
  rio::NameQueryCommand query(false);
  query.Build(1, "43110");
  Exchange(query, "!0143120\r");
  EXPECT_FALSE(query.IsAwaitingReply());
}

// A scripted module at 01 that answers every setting, store and write; the
// reads are each test's.
void AnswerEverything(host::Responder& bus, const std::string& code) {
  drivertest::AnswerControlRequests(bus, "01", code);
  bus.SetFallback([](const std::string& request) -> std::optional<std::string> {
    if (request == "#01" || request == "@01") return std::nullopt;
    if (request.rfind("#01", 0) == 0 || request.rfind("@01", 0) == 0) return std::string(">");
    return std::string("!01");
  });
}

struct Module {
  Module(const char* deliverable, const char* model, const char* params)
      : plugin(deliverable), tree(1, model, params) {}
  void Start(const std::string& code) {
    AnswerEverything(bus, code);
    module = plugin.CreateModule();
    ASSERT_EQ(module->Initialize(tree.Db(), tree.ModuleNode(), 0, 0), 1);
  }
  Requests Scan() { return ScanRunner::Requests(runner.Scan(*module, bus)); }
  Requests ScanIfDue() { return ScanRunner::Requests(runner.ScanIfDue(*module, bus)); }

  host::Plugin plugin;
  host::HostTree tree;
  host::Responder bus{false};
  ScanRunner runner;
  host::ModulePtr module;
};

bool Contains(const Requests& requests, const std::string& request) {
  return std::find(requests.begin(), requests.end(), request) != requests.end();
}

// The module comes online at its first answer; a channel's type that went
// unanswered later in that pass was never sent again, and the channel kept
// the wrong range.
TEST(DeliveryRegression, UnansweredConfigurationOfTheOfflinePassGoesOutAgain) {
  Module m("mx43120h", "MX-43120H", "00,Continuous,100,3");
  m.tree.AddVariable("AI 0", host::kTypeFloat32, "0F");
  m.tree.AddVariable("AI 1", host::kTypeFloat32, "0F");
  m.Start("43120H");
  m.bus.On("#01", ">" + std::string(8 * 7, '0'));
  m.bus.Silent("$017C1R0F");
  const Requests offline = m.Scan();
  ASSERT_TRUE(Contains(offline, "$017C1R0F"));
  m.bus.Forget("$017C1R0F");
  EXPECT_EQ(m.Scan(), (Requests{"$017C1R0F", "#01"})) << "ahead of the pass, until answered";
  EXPECT_EQ(m.Scan(), (Requests{"#01"}));
}

// Writing a pattern and storing it is one sequence: when part of it went
// unanswered the whole start-up goes out again, then the outputs, and a
// module with outputs alone is due for it even when no output changed.
TEST(DeliveryRegression, UnansweredStartUpSequenceIsSentAgainWhole) {
  Module m("mx43do", "MX-43814", "Continuous,100,3");
  m.tree.AddVariable("DO 0", host::kTypeBool, "1,0");
  m.Start("43814");
  m.bus.On("@01", ">00");
  m.bus.Silent("~015S");
  const Requests offline = m.Scan();
  const auto first = std::find(offline.begin(), offline.end(), "@0100");
  ASSERT_NE(first, offline.end()) << "the safe pattern";
  const Requests startUp(first, offline.end());
  m.bus.Forget("~015S");
  m.bus.SetFallback([](const std::string& request) -> std::optional<std::string> {
    if (request.rfind("@01", 0) == 0 && request.size() > 3) return std::string(">");
    return std::string("!01");
  });
  EXPECT_EQ(m.ScanIfDue(), startUp);
  EXPECT_EQ(m.ScanIfDue(), Requests{}) << "nothing changed, nothing unanswered";
}

// The same for analog outputs whose start-up values are written, then stored.
TEST(DeliveryRegression, UnansweredStoredValueIsWrittenAndStoredAgain) {
  Module m("mx43220", "MX-43220", "00,Continuous,100,3");
  m.tree.AddVariable("AO 0", host::kTypeFloat32, "2,0,0,10,5,2");
  m.Start("43220");
  m.bus.Silent("~0150");
  const Requests offline = m.Scan();
  ASSERT_TRUE(Contains(offline, "~0150"));
  m.bus.Forget("~0150");
  EXPECT_EQ(m.ScanIfDue(), (Requests{"$019020", "#0102", "~0150", "#0105", "$0140", "#01000.000", "#01000.000"}))
      << "type, safe value written and stored, power-on value written and stored, then the output";
}

}  // namespace
