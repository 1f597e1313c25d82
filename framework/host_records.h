// The host's I/O tree and variable database, read and written in place.
//
// Both are plain records of the host at fixed byte offsets. Fields that hold
// addresses are address-sized (4 bytes on the 32-bit controllers, 8 on
// x86-64); everything else keeps its width on every target. All access goes
// through memcpy: host records and variables may lie at any byte address.
#pragma once

#include <cstddef>
#include <cstdint>

// Handle of an I/O tree node: the address just past the node's header.
using IoNode = std::uint8_t*;

// The host's variable database; only the fields below are used.
struct VariableDb;

namespace rio {

// Variable type codes of the variable database.
enum VarType : std::uint8_t {
  TypeBool = 1,
  TypeInt32 = 2,
  TypeFloat32 = 3,
  TypeAux32 = 4,
  TypeString = 5,
  TypeInt8 = 10,
  TypeInt16 = 11,
  TypeInt64 = 12,
  TypeFloat64 = 13,
  TypeUInt8 = 14,
  TypeUInt16 = 15,
  TypeUInt32 = 16,
  TypeUInt64 = 17,
};

constexpr std::size_t kAddressSize = sizeof(std::uintptr_t);

// Node header: four address-sized words; a handle points just past it.
constexpr std::size_t kNodeHeaderSize = 4 * kAddressSize;
constexpr std::size_t kHeaderFirstChild = 1;
constexpr std::size_t kHeaderNextSibling = 2;
constexpr std::size_t kHeaderDescriptor = 3;

// Node descriptor.
constexpr std::size_t kDescriptorKind = 2;          // 16 bits
constexpr std::size_t kDescriptorType = 8;          // 16 bits, low 8 significant
constexpr std::size_t kDescriptorIndex = 10;        // 16 bits
constexpr std::size_t kDescriptorDirectOffset = 12; // 32 bits
constexpr std::size_t kRecordOffsetKinds1And4 = 16;
constexpr std::size_t kRecordOffsetKinds2And3 = 8;
constexpr std::uint16_t kVariableKind = 4;

// Data record of a variable node.
constexpr std::size_t kVariableName = 0;
constexpr std::size_t kVariableNameField = 36;
constexpr std::size_t kVariableParams = 36;
// Data record of the module node.
constexpr std::size_t kModuleAddress = 0;
constexpr std::size_t kModuleModelName = 34;
constexpr std::size_t kModuleModelNameField = 32;
constexpr std::size_t kModuleParams = 66;
// Parameter strings live in a 128-character field.
constexpr std::size_t kParamsField = 128;

// VariableDb fields, each an address.
constexpr std::size_t kDbLockFlags = 80;
constexpr std::size_t kDbArea1 = 96;
constexpr std::size_t kDbArea2 = 112;
constexpr std::size_t kDbArea4 = 128;
constexpr std::size_t kDbArea8 = 144;
constexpr std::size_t kDbAreaAux = 160;
constexpr std::size_t kDbStringTable = 272;
constexpr std::size_t kDbDirectBase = 560;

// Unaligned little-endian field access.
std::uint16_t LoadU16(const std::uint8_t* at);
std::uint32_t LoadU32(const std::uint8_t* at);
std::uintptr_t LoadAddress(const std::uint8_t* at);
void StoreU16(std::uint8_t* at, std::uint16_t value);

// Tree accessors. Each tolerates a handle that means no node (0, or the
// header size, i.e. a header at address 0) and returns null then.
std::uint8_t* NodeDescriptor(IoNode node);
// The node's data record: null for no node, no descriptor or a kind
// other than 1 to 4.
std::uint8_t* NodeRecord(IoNode node);
IoNode FirstChild(IoNode node);
IoNode NextSibling(IoNode node);
bool IsVariableNode(IoNode node);

// Copies a NUL-terminated text field of at most fieldSize characters into
// out (always terminated, cut to outSize - 1); a field without NUL is read
// only up to its end.
void CopyField(const std::uint8_t* field, std::size_t fieldSize, char* out, std::size_t outSize);

// Node name and parameter string of a variable node ("" when absent).
struct NodeName {
  char text[kVariableNameField + 1];
};
NodeName NameOf(IoNode node);
struct ParamText {
  char text[kParamsField + 1];
};
ParamText ParamsOf(IoNode node);

// Module node fields.
std::uint16_t ModuleAddressOf(IoNode moduleNode);
ParamText ModuleParamsOf(IoNode moduleNode);
struct ModelName {
  char text[kModuleModelNameField + 1];
};
ModelName ModelNameOf(IoNode moduleNode);

// Variable location. The address of the variable's data, or null; when
// lockedOut is given it receives the variable's lock state.
std::uint8_t* LocateVariable(VariableDb* db, const std::uint8_t* descriptor, bool* lockedOut);
// The element of the given type and index in its area, or null for a type
// code without an area; lockedOut and sizeOut are filled when given.
std::uint8_t* LocateSlot(VariableDb* db, std::uint8_t typeCode, std::uint16_t index, bool* lockedOut,
                         std::uint32_t* sizeOut);

}  // namespace rio
