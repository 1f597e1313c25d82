// A module node and its children as a fuzz input describes them, built at
// the host's record layouts by host::HostTree. Every field may be anything
// the host can hand a driver: texts that fill their field without a NUL,
// type codes without an area, nodes of other kinds, children without a
// descriptor, direct variables, locked variables, shared indexes. Trees are
// acyclic, as the host guarantees.
//
// Layout of the description (ByteReader order):
//   U8 options (bit 0: checksum), U32 Initialize flags, U32 watchdog timeout,
//   U16 module address, Text model name, Text module parameters,
//   U8 child count (at most kMaxChildren), then per child:
//     U8 form (ChildForm, modulo 5); for variables: Text name, U16 type
//     field, Text parameters, U8 lock byte, 8 bytes initial value (U8 index
//     first for Direct and SharedIndex); for other nodes: U16 kind, Text
//     name, Text parameters; nothing for a bare node.
// A text as long as its field or longer fills the field with no NUL.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "byte_stream.h"
#include "host/host_tree.h"

// The framework's name for the host's variable database record.
struct VariableDb;

namespace fuzz {

enum class ChildForm : std::uint8_t { Area, Direct, SharedIndex, OtherKind, Bare };

struct ChildSpec {
  ChildForm form = ChildForm::Area;
  std::string name;
  std::uint16_t typeField = 0;  // variables
  std::uint16_t kind = 1;       // other nodes
  std::uint8_t index = 0;       // Direct (selects no storage) and SharedIndex
  std::string params;
  std::uint8_t lockByte = 0;
  std::uint64_t initial = 0;    // little-endian value bytes
};

struct TreeSpec {
  bool checksum = false;
  std::uint32_t flags = 0;
  std::uint32_t watchdog = 0;
  std::uint16_t address = 1;
  std::string model;
  std::string params;
  std::vector<ChildSpec> children;
};

struct FuzzTree {
  static constexpr std::size_t kMaxChildren = 48;

  std::unique_ptr<host::HostTree> tree;
  std::vector<host::Var> variables;  // children that hold a value, in order
  bool checksum = false;
  std::uint32_t flags = 0;
  std::uint32_t watchdog = 0;

  VariableDb* Db() const { return reinterpret_cast<VariableDb*>(tree->Db()); }
  // Every byte a driver may write: the numeric areas, the direct variables,
  // the lock flags and the module record's address.
  std::string Storage() const;
  // Overwrites the value of variables[index % count] with value bytes.
  void Poke(std::uint8_t index, const std::string& value);
};

void WriteTree(const TreeSpec& spec, ByteWriter& out);
// Never throws: every description builds a tree.
FuzzTree ReadTree(ByteReader& in);

}  // namespace fuzz
