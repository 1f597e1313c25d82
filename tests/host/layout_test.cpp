// Checks that HostTree builds the host records byte for byte at the offsets of
// the controller's host (32-bit targets) and of their 64-bit widening (x86-64). Offsets are written
// out as numbers here, independently of hostabi::layout.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "host/abi.h"
#include "host/host_tree.h"

namespace {

using host::HostTree;
using host::Var;

constexpr bool k32 = sizeof(void*) == 4;
constexpr std::size_t kWord = sizeof(std::uintptr_t);

std::uintptr_t Word(const std::uint8_t* at) {
  std::uintptr_t value = 0;
  std::memcpy(&value, at, sizeof value);
  return value;
}
std::uint16_t U16(const std::uint8_t* at) {
  std::uint16_t value = 0;
  std::memcpy(&value, at, sizeof value);
  return value;
}
std::uint32_t U32(const std::uint8_t* at) {
  std::uint32_t value = 0;
  std::memcpy(&value, at, sizeof value);
  return value;
}
std::uintptr_t Addr(const void* pointer) { return reinterpret_cast<std::uintptr_t>(pointer); }
const std::uint8_t* Ptr(std::uintptr_t address) {
  return reinterpret_cast<const std::uint8_t*>(address);
}
const std::uint8_t* Bytes(const void* pointer) { return static_cast<const std::uint8_t*>(pointer); }

// Header of a node handle, and its words.
const std::uint8_t* HeaderOf(hostabi::IoNode node) { return node - (k32 ? 16 : 32); }
std::uintptr_t HeaderWord(hostabi::IoNode node, int word) {
  return Word(HeaderOf(node) + word * kWord);
}
hostabi::IoNode Handle(std::uintptr_t header) {
  return header == 0 ? nullptr
                     : const_cast<std::uint8_t*>(Ptr(header)) + (k32 ? 16 : 32);
}

TEST(HostLayout, AbiConstants) {
  EXPECT_EQ(hostabi::layout::kHeaderSize, k32 ? 16u : 32u);
  EXPECT_EQ(hostabi::layout::kDbSize, k32 ? 564u : 568u);
  EXPECT_EQ(hostabi::kReplyOk, 0u);
  EXPECT_EQ(hostabi::kHostTimeout, 2u);
  EXPECT_EQ(hostabi::kReplyChecksumError, 4u);
  EXPECT_EQ(hostabi::kReplyWrongModule, 5u);
  EXPECT_EQ(hostabi::kReplyInvalid, 6u);
}

TEST(HostLayout, ModuleNode) {
  HostTree tree(0x2A, "MX-43110", "Hex,Periodic,100");
  hostabi::IoNode node = tree.ModuleNode();
  const std::uint8_t* descriptor = Ptr(HeaderWord(node, 3));
  ASSERT_NE(descriptor, nullptr);
  EXPECT_EQ(HeaderWord(node, 1), 0u);  // no child yet
  EXPECT_EQ(HeaderWord(node, 2), 0u);  // no sibling
  EXPECT_EQ(U16(descriptor + 2), 1u);  // kind 1
  const std::uint8_t* record = descriptor + 16;
  EXPECT_EQ(record, tree.ModuleRecord());
  EXPECT_EQ(U16(record + 0), 0x2Au);
  EXPECT_STREQ(reinterpret_cast<const char*>(record + 34), "MX-43110");
  EXPECT_STREQ(reinterpret_cast<const char*>(record + 66), "Hex,Periodic,100");
  EXPECT_EQ(tree.AddressField(), 0x2Au);
  tree.SetAddressField(0);
  EXPECT_EQ(U16(record), 0u);
}

TEST(HostLayout, ThirtyTwoBitByteOffsets) {
  if (!k32) GTEST_SKIP() << "32-bit targets only";
  HostTree tree(1, "M", "");
  Var v = tree.AddVariable("AI 0", host::kTypeFloat32);
  const std::uint8_t* header = tree.ModuleNode() - 16;
  EXPECT_EQ(U32(header + 4), static_cast<std::uint32_t>(Addr(v.node - 16)));
  EXPECT_EQ(U32(header + 8), 0u);
  EXPECT_NE(U32(header + 12), 0u);
  const std::uint8_t* db = Bytes(tree.Db());
  EXPECT_EQ(U32(db + 80), Addr(tree.LockFlags()));
  EXPECT_EQ(U32(db + 96), Addr(tree.Area(host::kTypeBool)));
  EXPECT_EQ(U32(db + 112), Addr(tree.Area(host::kTypeInt16)));
  EXPECT_EQ(U32(db + 128), Addr(tree.Area(host::kTypeInt32)));
  EXPECT_EQ(U32(db + 144), Addr(tree.Area(host::kTypeFloat64)));
  EXPECT_EQ(U32(db + 160), Addr(tree.Area(host::kTypeAux32)));
  EXPECT_NE(U32(db + 272), 0u);
  EXPECT_EQ(U32(db + 560), Addr(tree.DirectBase()));
  EXPECT_EQ(U32(db + 128), Addr(v.data));  // index 0
}

TEST(HostLayout, SixtyFourBitAddressFields) {
  if (k32) GTEST_SKIP() << "x86-64 only";
  HostTree tree(1, "M", "");
  Var v = tree.AddVariable("AI 0", host::kTypeFloat32);
  const std::uint8_t* header = tree.ModuleNode() - 32;
  std::uint64_t word = 0;
  std::memcpy(&word, header + 8, 8);
  EXPECT_EQ(word, Addr(v.node - 32));
  const std::uint8_t* db = Bytes(tree.Db());
  const std::size_t offsets[] = {80, 96, 112, 128, 144, 160, 272, 560};
  for (std::size_t offset : offsets) {
    std::memcpy(&word, db + offset, 8);
    EXPECT_NE(word, 0u) << offset;
    EXPECT_NE(word, 0xA5A5A5A5A5A5A5A5u) << offset;
  }
  std::memcpy(&word, db + 128, 8);
  EXPECT_EQ(word, Addr(v.data));
}

TEST(HostLayout, ChildrenInOrderWithRecords) {
  HostTree tree(3, "M", "");
  Var a = tree.AddVariable("AI 0", host::kTypeFloat32, "T08,E");
  hostabi::IoNode k2 = tree.AddNode(2, "Group", "P");
  Var b = tree.AddVariable("AI 1", host::kTypeFloat32);
  hostabi::IoNode bare = tree.AddNodeWithoutDescriptor();
  Var s = tree.AddVariable("Connect State", host::kTypeUInt32);
  hostabi::IoNode k3 = tree.AddNode(3, "Other");

  hostabi::IoNode expected[] = {a.node, k2, b.node, bare, s.node, k3};
  hostabi::IoNode node = Handle(HeaderWord(tree.ModuleNode(), 1));
  for (hostabi::IoNode want : expected) {
    ASSERT_EQ(node, want);
    node = Handle(HeaderWord(node, 2));
  }
  EXPECT_EQ(node, nullptr);

  // Variable: kind 4, type, index, offset 0, record at +16.
  const std::uint8_t* d = Ptr(HeaderWord(a.node, 3));
  EXPECT_EQ(d, a.descriptor);
  EXPECT_EQ(U16(d + 2), 4u);
  EXPECT_EQ(U16(d + 8), host::kTypeFloat32);
  EXPECT_EQ(U16(d + 10), 0u);
  EXPECT_EQ(U32(d + 12), 0u);
  EXPECT_STREQ(reinterpret_cast<const char*>(d + 16), "AI 0");
  EXPECT_STREQ(reinterpret_cast<const char*>(d + 16 + 36), "T08,E");
  EXPECT_EQ(U16(Ptr(HeaderWord(b.node, 3)) + 10), 1u);  // next free index of the 4-byte area
  EXPECT_EQ(U16(Ptr(HeaderWord(s.node, 3)) + 10), 2u);

  // Kinds 2 and 3: record at +8.
  const std::uint8_t* d2 = Ptr(HeaderWord(k2, 3));
  EXPECT_EQ(U16(d2 + 2), 2u);
  EXPECT_STREQ(reinterpret_cast<const char*>(d2 + 8), "Group");
  EXPECT_STREQ(reinterpret_cast<const char*>(d2 + 8 + 36), "P");
  EXPECT_EQ(U16(Ptr(HeaderWord(k3, 3)) + 2), 3u);
  EXPECT_EQ(HeaderWord(bare, 3), 0u);

  EXPECT_NO_THROW(tree.AddVariable(std::string(35, 'x'), host::kTypeBool));
  EXPECT_THROW(tree.AddVariable(std::string(36, 'x'), host::kTypeBool), std::logic_error);
  EXPECT_THROW(tree.AddVariable("p", host::kTypeBool, std::string(128, 'p')), std::logic_error);
}

TEST(HostLayout, AreasIndexesAndValues) {
  HostTree tree(1, "M", "");
  const std::uint8_t* db = Bytes(tree.Db());
  struct Case { std::uint8_t code; std::size_t dbOffset; std::size_t size; };
  const Case cases[] = {{1, 96, 1},  {10, 96, 1},  {14, 96, 1},  {11, 112, 2}, {15, 112, 2},
                        {2, 128, 4}, {3, 128, 4},  {16, 128, 4}, {12, 144, 8}, {13, 144, 8},
                        {17, 144, 8}, {4, 160, 4}};
  for (const Case& c : cases) {
    Var v = tree.AddVariable("v", c.code);
    EXPECT_EQ(host::ElementSize(c.code), c.size);
    EXPECT_EQ(Addr(v.data), Word(db + c.dbOffset) + v.index * c.size) << int(c.code);
  }
  // 1-byte area holds three variables: indexes 0, 1, 2.
  Var u8 = tree.AddVariable("u8", host::kTypeUInt8);
  EXPECT_EQ(u8.index, 3u);
  // The 8-byte area is deliberately not 8-aligned.
  EXPECT_EQ(Word(db + 144) % 8, 4u);

  // Little-endian values through memcpy.
  Var u32 = tree.AddVariable("u32", host::kTypeUInt32);
  tree.Set<std::uint32_t>(u32, 0x11223344u);
  const std::uint8_t le[] = {0x44, 0x33, 0x22, 0x11};
  EXPECT_EQ(std::memcmp(u32.data, le, 4), 0);
  EXPECT_EQ(tree.Get<std::uint32_t>(u32), 0x11223344u);
  Var f64 = tree.AddVariable("f64", host::kTypeFloat64);
  tree.Set<double>(f64, -2.5);
  EXPECT_EQ(tree.Get<double>(f64), -2.5);
  Var b = tree.AddVariable("b", host::kTypeBool);
  tree.Set<bool>(b, true);
  EXPECT_EQ(tree.Get<std::uint8_t>(b), 1u);
  EXPECT_THROW(tree.Get<std::uint16_t>(u32), std::logic_error);  // wrong size

  // String table: address-sized entries pointing at records.
  Var str = tree.AddVariable("s", host::kTypeString);
  EXPECT_EQ(Word(Ptr(Word(db + 272)) + str.index * kWord), Addr(tree.StringRecord(str)));
  EXPECT_THROW(tree.Get<std::uint8_t>(str), std::logic_error);

  // A code without an area: accepted, no storage.
  Var seven = tree.AddVariable("seven", 7);
  EXPECT_EQ(seven.data, nullptr);
  EXPECT_EQ(U16(seven.descriptor + 8), 7u);
  EXPECT_THROW(tree.Get<std::uint32_t>(seven), std::logic_error);
}

TEST(HostLayout, LockBitsShareTheIndexByte) {
  HostTree tree(1, "M", "");
  Var flag = tree.AddVariableAt("flag", host::kTypeBool, 5);
  Var word = tree.AddVariableAt("word", host::kTypeInt16, 5);
  const std::uint8_t* lock = Ptr(Word(Bytes(tree.Db()) + 80));
  tree.SetLocked(flag, true);
  EXPECT_EQ(lock[5], 0x01);
  tree.SetLocked(word, true);
  EXPECT_EQ(lock[5], 0x03);
  tree.SetLocked(flag, false);
  EXPECT_EQ(lock[5], 0x02);
  const std::pair<std::uint8_t, std::uint8_t> bits[] = {{2, 0x04}, {3, 0x04}, {16, 0x04},
                                                        {12, 0x08}, {4, 0x10}, {5, 0x20}};
  for (const auto& [code, mask] : bits) {
    Var v = tree.AddVariableAt("x", code, 9);
    tree.SetLockByte(9, 0);
    tree.SetLocked(v, true);
    EXPECT_EQ(tree.LockByte(9), mask) << int(code);
  }
  EXPECT_THROW(tree.AddVariableAt("x", host::kTypeBool, HostTree::kCapacity), std::logic_error);
}

TEST(HostLayout, DirectVariablesAtOddAddresses) {
  HostTree tree(1, "M", "");
  const std::uint8_t* db = Bytes(tree.Db());
  for (int i = 0; i < 3; ++i) {
    Var v = tree.AddDirectVariable("d", host::kTypeInt32, "", 4);
    EXPECT_NE(v.directOffset, 0u);
    EXPECT_EQ(U32(v.descriptor + 12), v.directOffset);
    EXPECT_EQ(U16(v.descriptor + 10), 4u);
    EXPECT_EQ(Addr(v.data), Word(db + 560) + v.directOffset);
    EXPECT_EQ(Addr(v.data) % 2, 1u);
    tree.Set<std::int32_t>(v, -7 - i);
    EXPECT_EQ(tree.Get<std::int32_t>(v), -7 - i);
    tree.SetLocked(v, true);  // sets the byte; the plug-in must ignore it
    EXPECT_EQ(tree.LockByte(4), 0x04);
  }
}

}  // namespace
