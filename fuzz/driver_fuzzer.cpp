// One deliverable's Module over arbitrary host trees and parameter strings
// (fuzz_tree.h), Initialize, then a few scans with arbitrary replies, in the
// runtime's order. Built once per deliverable: each links its driver's
// sources, so the fuzzer sees the coverage of the driver, its groups and the
// framework, and the clock is the fuzzer's.
//
// Input: U8 size of the name buffer, the tree, then per scan:
//   U8 control (bit 0: scan only when IsScanDue says so; bit 1: the host
//   clears the module address first; bits 2-3: variables changed before the
//   scan), U16 milliseconds the clock advances, per change U8 variable and
//   8 value bytes, [U8 clear flag], then per exchange U8 reply mode (0 no
//   reply, 1 the host's neutral status, 2-4 the reply as Text, delivered
//   HostLike, Framed or FillWhole).
#include <cstddef>
#include <cstdint>
#include <memory>

#include "byte_stream.h"
#include "exchange.h"
#include "framework/driver_identity.h"
#include "framework/driver_module.h"
#include "fuzz_tree.h"
#include "oracles.h"

extern "C" std::uint8_t _GetName(char* buffer, std::uint32_t size);
extern "C" std::uint8_t _GetVersion(char* buffer, std::uint32_t size);

namespace {

constexpr int kMaxScans = 8;
// A queue longer than any driver's offline pass never empties.
constexpr int kMaxExchanges = 1024;
constexpr std::uint32_t kNoReply = 2;  // the host's own failure code

std::uint32_t g_now = 0;
std::uint32_t FuzzClock() { return g_now; }

// One exchange of the front command; returns the status the host reports.
std::uint32_t Exchange(rio::Command& command, fuzz::ByteReader& in, fuzz::FuzzTree& tree) {
  command.Prepare();
  fuzz::CheckRequest(command, tree.checksum);
  const std::uint8_t mode = in.U8() % 5;
  if (mode == 0) return kNoReply;
  if (mode == 1) return rio::ReplyHostReserved;
  const auto delivery = static_cast<fuzz::Delivery>(mode - 2);
  if (!fuzz::Deliver(command, in.Text(), delivery, tree.checksum)) return command.ParseReply();
  return fuzz::ParseChecked(command, tree.checksum, [&tree] { return tree.Storage(); });
}

void Scan(rio::Module& module, fuzz::ByteReader& in, fuzz::FuzzTree& tree) {
  const std::uint8_t control = in.U8();
  g_now += in.U16();
  for (int i = 0; i < ((control >> 2) & 3); ++i) {
    const std::uint8_t index = in.U8();
    tree.Poke(index, in.Bytes(8));
  }
  if ((control & 2) != 0) module.ClearModuleAddress(in.U8());
  const bool due = module.IsScanDue() != 0;
  if ((control & 1) != 0 && !due) return;
  module.ScheduleCommands();
  rio::RequestQueue* queue = module.GetRequestQueue();
  for (int n = 0; !queue->empty(); ++n) {
    if (n == kMaxExchanges) fuzz::Fail("the request queue never empties");
    rio::Command* command = queue->front();
    const std::uint32_t status = Exchange(*command, in, tree);
    if (queue->empty() || queue->front() != command) fuzz::Fail("the queue changed during an exchange");
    queue->pop_front();
    module.ReportResult(status);
  }
  module.RecordScan();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::ByteReader in(data, size);
  // The exports write into the host's buffer of the size it says, not beyond.
  const std::uint8_t nameSize = in.U8();
  std::unique_ptr<char[]> name(new char[nameSize]);
  _GetName(name.get(), nameSize);
  _GetVersion(name.get(), nameSize);

  fuzz::FuzzTree tree = fuzz::ReadTree(in);
  rio::Module* module = rio::NewDriverModule();
  if (module == nullptr) return 0;
  auto* driver = dynamic_cast<rio::DriverModule*>(module);
  if (driver == nullptr) fuzz::Fail("the Module is not a DriverModule");
  g_now = 1;
  driver->SetTickSource(&FuzzClock);
  module->SetWatchdogTimeout(tree.watchdog);
  module->Initialize(tree.Db(), tree.tree->ModuleNode(), tree.flags, tree.checksum ? 1 : 0);
  module->GetScanMode();
  module->GetHostValue();
  module->GetModuleAddress();
  for (int scan = 0; scan < kMaxScans && !in.Empty(); ++scan) Scan(*module, in, tree);
  module->Destroy();
  return 0;
}
