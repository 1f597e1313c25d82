// Test host: one module node of the host's I/O tree with its children, and a
// VariableDb, built at the host's exact byte layouts (address fields widened on
// 64-bit builds; offsets in hostabi::layout). Every field is written and
// read with std::memcpy, little-endian.
//
//   host::HostTree tree(1, "MX-43110", "Hex,Continuous");
//   host::Var ai0 = tree.AddVariable("AI 0", host::kTypeFloat32);
//   host::Var cs = tree.AddVariable("Connect State", host::kTypeUInt32);
//   module->Initialize(tree.Db(), tree.ModuleNode(), 0, 1);
//   ... scans ...
//   EXPECT_FLOAT_EQ(tree.Get<float>(ai0), 1.25f);
//   tree.Set<float>(ao0, 2.5f);  tree.SetLocked(ao0, true);
//
// Storage: every region is its own heap block of exact size (so AddressSanitizer
// sees reads past an area, the db record or a node), allocated once; nothing
// moves for the life of the HostTree (the runtime's promise between Initialize
// and Destroy). Each area holds kCapacity elements; indexes >= kCapacity throw.
// Placement: node headers and descriptors are address-aligned; the 8-byte area
// starts at an address that is 4 modulo 8; every direct variable's data lies at
// an ODD address. Unused header/descriptor/db bytes hold non-zero fill
// patterns, so a plug-in reading an undocumented field sees garbage.
//
// Misuse by the test (unknown area, wrong value size, too long text, capacity
// exceeded) throws std::logic_error, which GoogleTest reports as a failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "host/abi.h"

namespace host {

// Variable type codes of the variable database.
enum TypeCode : std::uint8_t {
  kTypeBool = 1,
  kTypeInt32 = 2,
  kTypeFloat32 = 3,
  kTypeAux32 = 4,
  kTypeString = 5,
  kTypeInt8 = 10,
  kTypeInt16 = 11,
  kTypeInt64 = 12,
  kTypeFloat64 = 13,
  kTypeUInt8 = 14,
  kTypeUInt16 = 15,
  kTypeUInt32 = 16,
  kTypeUInt64 = 17,
};

// Element size of a type code's area (string: 0, no area: 0), its lock bit
// (-1 when it has none), and whether it has an area at all.
std::size_t ElementSize(std::uint8_t code);
int LockBit(std::uint8_t code);
bool HasArea(std::uint8_t code);

// One variable node (kind 4) as placed by HostTree. Plain data; stays valid for
// the life of its HostTree.
struct Var {
  hostabi::IoNode node = nullptr;      // handle: header address + header size
  std::uint8_t* descriptor = nullptr;  // node descriptor
  std::uint16_t typeField = 0;         // as written at descriptor+8
  std::uint16_t index = 0;             // descriptor+10
  std::uint32_t directOffset = 0;      // descriptor+12 (0: in its area)
  std::uint8_t* data = nullptr;        // where the value lives (string: the record); null: no area
  std::uint8_t Type() const { return static_cast<std::uint8_t>(typeField & 0xFF); }
};

class HostTree {
 public:
  static constexpr std::size_t kCapacity = 64;          // elements per area, lock bytes
  static constexpr std::size_t kStringRecordSize = 258;  // length byte 255 + 3

  // The module node: kind 1; record: 16-bit address at 0, model display name
  // at 34 (max 31 characters), module parameter string at 66 (max 127).
  HostTree(std::uint16_t address, std::string model, std::string moduleParams);
  HostTree(const HostTree&) = delete;
  HostTree& operator=(const HostTree&) = delete;
  ~HostTree();

  // A variable node (kind 4) in the area of its type, at the lowest index not
  // yet used in that area. typeField is written whole to the 16-bit field
  // (pass e.g. 0x0103 to test that only the low 8 bits count). A code without
  // an area (e.g. 7) is accepted: index 0, no storage. Names: max 35
  // characters; params (record offset 36): max 127.
  Var AddVariable(const std::string& name, std::uint16_t typeField,
                  const std::string& params = "");
  // The same with a forced index (< kCapacity); several variables may share
  // an index (e.g. a BOOL and an INT16 at the same index share a lock byte).
  Var AddVariableAt(const std::string& name, std::uint16_t typeField, std::uint16_t index,
                    const std::string& params = "");
  // A variable with a non-zero direct data offset: its data lies at direct
  // base + offset, at an odd address (16 bytes of room). index is written to
  // the descriptor but selects no storage (its lock byte must be ignored).
  Var AddDirectVariable(const std::string& name, std::uint16_t typeField,
                        const std::string& params = "", std::uint16_t index = 0);

  // A non-variable child: kinds 1 and others have their record at
  // descriptor+16, kinds 2 and 3 at descriptor+8; name and params as above.
  // Returns the node handle.
  hostabi::IoNode AddNode(std::uint16_t kind, const std::string& name,
                          const std::string& params = "");
  // A child whose header has no descriptor (word 3 = 0).
  hostabi::IoNode AddNodeWithoutDescriptor();

  hostabi::VariableDb* Db() const { return reinterpret_cast<hostabi::VariableDb*>(db_.get()); }
  hostabi::IoNode ModuleNode() const { return moduleNode_; }
  std::uint8_t* ModuleRecord() const { return moduleRecord_; }
  // The 16-bit address field at the start of the module record (what
  // Initialize reads and ClearModuleAddress zeroes).
  std::uint16_t AddressField() const;
  void SetAddressField(std::uint16_t address);

  // Value access (memcpy, little-endian). T must have the element size of the
  // variable's type (bool reads/writes one byte: Get<bool> is byte != 0; use
  // Get<std::uint8_t> to see the raw byte). Throws for string variables and
  // types without an area.
  template <class T>
  T Get(const Var& var) const;
  template <class T>
  void Set(const Var& var, T value);

  // String variables: the record (first byte: the length byte that sizes the
  // element, first byte + 3). The rest of the record format is the host's.
  std::uint8_t* StringRecord(const Var& var) const;

  // Lock flags: sets/clears the type's bit (0: 1-byte, 1: 2-byte, 2: 4-byte,
  // 3: 8-byte, 4: aux, 5: string) in the lock byte of the variable's index.
  // Also for direct variables (which the plug-in must then ignore).
  void SetLocked(const Var& var, bool locked);
  std::uint8_t LockByte(std::uint16_t index) const;
  void SetLockByte(std::uint16_t index, std::uint8_t value);

  // Area base addresses as stored in the db (for layout checks).
  std::uint8_t* Area(std::uint8_t code) const;  // null: no area (string: null too)
  std::uint8_t* LockFlags() const { return lock_.get(); }
  std::uint8_t* DirectBase() const { return directBase_; }

 private:
  // Zero-filled heap block of exactly size bytes, kept in owner.
  static std::uint8_t* Allocate(std::vector<std::unique_ptr<std::uint8_t[]>>& owner,
                                std::size_t size);
  // Creates header + descriptor; links it as the last child; returns the descriptor.
  std::uint8_t* NewChild(std::size_t descriptorSize, std::uint8_t** headerOut);
  Var AddVar(const std::string& name, std::uint16_t typeField, std::uint16_t index,
             std::uint32_t directOffset, const std::string& params);
  std::uint8_t* CheckedData(const Var& var, std::size_t size) const;
  int AreaSlot(std::uint8_t code) const;  // 0..4 numeric areas, 5 string, -1 none

  std::vector<std::unique_ptr<std::uint8_t[]>> nodes_;  // headers and descriptors
  std::unique_ptr<std::uint8_t[]> db_;
  std::unique_ptr<std::uint8_t[]> lock_;
  std::unique_ptr<std::uint8_t[]> areaBlocks_[5];  // 1, 2, 4, 8, aux
  std::uint8_t* areas_[5] = {};
  std::unique_ptr<std::uint8_t[]> stringTable_;  // kCapacity address-sized entries
  std::vector<std::unique_ptr<std::uint8_t[]>> stringRecords_;
  std::unique_ptr<std::uint8_t[]> direct_;
  std::uint8_t* directBase_ = nullptr;
  std::size_t directCount_ = 0;
  std::vector<bool> used_[6];  // per area slot (5 = strings): index in use

  std::uint8_t* moduleHeader_ = nullptr;
  hostabi::IoNode moduleNode_ = nullptr;
  std::uint8_t* moduleRecord_ = nullptr;
  std::uint8_t* lastChildHeader_ = nullptr;
};

template <class T>
T HostTree::Get(const Var& var) const {
  static_assert(std::is_arithmetic<T>::value, "numeric types only");
  if constexpr (std::is_same<T, bool>::value) {
    std::uint8_t byte = 0;
    std::memcpy(&byte, CheckedData(var, 1), 1);
    return byte != 0;
  } else {
    T value{};
    std::memcpy(&value, CheckedData(var, sizeof(T)), sizeof(T));
    return value;
  }
}

template <class T>
void HostTree::Set(const Var& var, T value) {
  static_assert(std::is_arithmetic<T>::value, "numeric types only");
  if constexpr (std::is_same<T, bool>::value) {
    const std::uint8_t byte = value ? 1 : 0;
    std::memcpy(CheckedData(var, 1), &byte, 1);
  } else {
    std::memcpy(CheckedData(var, sizeof(T)), &value, sizeof(T));
  }
}

}  // namespace host
