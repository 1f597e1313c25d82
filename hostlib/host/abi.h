// Test host: the binary interface between the host and a driver plug-in,
// written from the binary interface description alone. It deliberately includes nothing of
// framework/ or groups/: the test host is an independent peer, so a layout
// fault in the framework cannot be copied into it.
//
// Contents: the two virtual tables (Module, Command), the request queue type,
// the three export signatures, the reply status codes and the byte offsets of
// the host records (address fields widened on 64-bit builds).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

namespace hostabi {

// A node handle: header address + header size (see layout below). Not const:
// the plug-in's ClearModuleAddress writes through it.
using IoNode = std::uint8_t*;

// The host's variable database record; only its byte layout is known
// (layout::kDb* below). HostTree builds one.
struct VariableDb;

// Reply status codes. 1 is reserved for the host and never produced by this
// test host; kHostTimeout is the test host's own failure code (no reply, or no
// carriage return within the reply buffer).
enum : std::uint32_t {
  kReplyOk = 0,
  kHostTimeout = 2,
  kReplyChecksumError = 4,
  kReplyWrongModule = 5,
  kReplyInvalid = 6,
};

// A request/reply exchange, owned by the plug-in. Slot order is binary
// interface: 0 Prepare ... 6 IsReplyComplete, 7/8 destructor.
class Command {
 public:
  virtual void Prepare() = 0;                                     // slot 0
  virtual char* GetRequest() = 0;                                 // slot 1
  virtual std::uint32_t GetRequestLength() = 0;                   // slot 2
  virtual std::uint32_t ParseReply() = 0;                         // slot 3
  virtual char* GetReplyBuffer() = 0;                             // slot 4
  virtual std::uint32_t GetReplyBufferSize() = 0;                 // slot 5
  virtual std::uint8_t IsReplyComplete(std::uint32_t index) = 0;  // slot 6

 protected:
  // Slots 7 (complete) and 8 (deleting). The host never destroys Commands:
  // they die with their groups, so the destructor is not public.
  virtual ~Command() = default;
};

// The per-module queue; the host takes Commands from the front. Host and
// plug-ins share the same standard library settings (never _GLIBCXX_DEBUG).
using RequestQueue = std::deque<Command*>;

// The per-module object returned by _CreateModule. Twelve operations in slot
// order and nothing before them. The host ends a Module with Destroy() (slot
// 1), never with delete: the destructor is protected and non-virtual so that
// no virtual destructor precedes slot 0.
class Module {
 public:
  virtual std::uint8_t Initialize(VariableDb* db, IoNode node, std::uint32_t flags,
                                  std::uint8_t checksum) = 0;   // slot 0
  virtual void Destroy() = 0;                                   // slot 1
  virtual std::uint8_t IsScanDue() = 0;                         // slot 2
  virtual void ScheduleCommands() = 0;                          // slot 3
  virtual RequestQueue* GetRequestQueue() = 0;                  // slot 4
  virtual void ClearModuleAddress(std::uint8_t clear) = 0;      // slot 5
  virtual void SetWatchdogTimeout(std::uint32_t value) = 0;     // slot 6
  virtual void ReportResult(std::uint32_t status) = 0;          // slot 7
  virtual void RecordScan() = 0;                                // slot 8
  virtual std::uint16_t GetModuleAddress() = 0;                 // slot 9
  virtual std::uint32_t GetScanMode() = 0;                      // slot 10
  virtual std::int32_t GetHostValue() = 0;                      // slot 11

 protected:
  ~Module() = default;
};

// The three exports (C linkage in the plug-in, resolved by name).
using CreateModuleFn = Module* (*)();
using GetNameFn = std::uint8_t (*)(char* buffer, std::uint32_t size);
using GetVersionFn = std::uint8_t (*)(char* buffer, std::uint32_t size);

// Byte layout of the host records. On the 32-bit targets every offset is the
// controller's; on x86-64 the "32-bit address" fields are address-sized,
// everything else is unchanged.
namespace layout {

constexpr std::size_t kAddressSize = sizeof(std::uintptr_t);

// IoNode header: four address-sized words; handle = header + kHeaderSize.
constexpr std::size_t kHeaderSize = 4 * kAddressSize;
constexpr std::size_t kHeaderUnusedWord = 0;
constexpr std::size_t kHeaderFirstChildWord = 1;
constexpr std::size_t kHeaderNextSiblingWord = 2;
constexpr std::size_t kHeaderDescriptorWord = 3;

// Node descriptor (no addresses in it, same on every target).
constexpr std::size_t kDescUnused0 = 0;          // 16 bits
constexpr std::size_t kDescKind = 2;             // 16 bits: 1, 2, 3, 4 (variable)
constexpr std::size_t kDescUnused4 = 4;          // 32 bits
constexpr std::size_t kDescType = 8;             // 16 bits, kind 4: type code (low 8 bits)
constexpr std::size_t kDescIndex = 10;           // 16 bits, kind 4: index within the area
constexpr std::size_t kDescDirectOffset = 12;    // 32 bits, kind 4: 0 = in its area
constexpr std::size_t kDescRecordKind14 = 16;    // data record of kinds 1 and 4
constexpr std::size_t kDescRecordKind23 = 8;     // data record of kinds 2 and 3

// Data record of a child node (variable): name, then parameter string.
constexpr std::size_t kRecName = 0;
constexpr std::size_t kRecNameField = 36;        // up to 35 characters + NUL
constexpr std::size_t kRecParams = 36;
constexpr std::size_t kRecParamsField = 128;

// Data record of the module node.
constexpr std::size_t kModAddress = 0;           // 16 bits
constexpr std::size_t kModModel = 34;
constexpr std::size_t kModModelField = 32;       // up to the parameter string
constexpr std::size_t kModParams = 66;
constexpr std::size_t kModParamsField = 128;

// VariableDb: address-sized fields at fixed byte offsets.
constexpr std::size_t kDbLockFlags = 80;
constexpr std::size_t kDbArea1 = 96;
constexpr std::size_t kDbArea2 = 112;
constexpr std::size_t kDbArea4 = 128;
constexpr std::size_t kDbArea8 = 144;
constexpr std::size_t kDbAreaAux = 160;
constexpr std::size_t kDbStringTable = 272;
constexpr std::size_t kDbDirectBase = 560;
constexpr std::size_t kDbSize = kDbDirectBase + kAddressSize;  // bytes the drivers may touch

}  // namespace layout
}  // namespace hostabi
