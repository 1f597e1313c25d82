#include "fuzz_tree.h"

#include <cstring>

namespace fuzz {
namespace {

namespace L = hostabi::layout;

constexpr std::size_t kDirectBytes = 16 * (host::HostTree::kCapacity + 1);

// Writes text into a host field: cut to the field, NUL-terminated only when
// shorter than the field.
void PutField(std::uint8_t* field, std::size_t fieldSize, const std::string& text) {
  std::memset(field, 0, fieldSize);
  std::memcpy(field, text.data(), text.size() < fieldSize ? text.size() : fieldSize);
}

std::uint8_t* DescriptorOf(hostabi::IoNode node) {
  std::uintptr_t address = 0;
  std::memcpy(&address, node - L::kHeaderSize + L::kHeaderDescriptorWord * L::kAddressSize, sizeof address);
  return reinterpret_cast<std::uint8_t*>(address);
}

void PutNameAndParams(std::uint8_t* record, const ChildSpec& child) {
  PutField(record + L::kRecName, L::kRecNameField, child.name);
  PutField(record + L::kRecParams, L::kRecParamsField, child.params);
}

ChildSpec ReadChild(ByteReader& in) {
  ChildSpec child;
  child.form = static_cast<ChildForm>(in.U8() % 5);
  switch (child.form) {
    case ChildForm::Bare:
      break;
    case ChildForm::OtherKind:
      child.kind = in.U16();
      child.name = in.Text();
      child.params = in.Text();
      break;
    case ChildForm::Direct:
    case ChildForm::SharedIndex:
      child.index = in.U8();
      [[fallthrough]];
    default:
      child.name = in.Text();
      child.typeField = in.U16();
      child.params = in.Text();
      child.lockByte = in.U8();
      for (int i = 0; i < 8; ++i) child.initial |= std::uint64_t{in.U8()} << (8 * i);
      break;
  }
  return child;
}

void AddChild(FuzzTree& built, const ChildSpec& child) {
  host::HostTree& tree = *built.tree;
  if (child.form == ChildForm::Bare) {
    tree.AddNodeWithoutDescriptor();
    return;
  }
  if (child.form == ChildForm::OtherKind) {
    const std::uint16_t kind = child.kind == 4 ? 1 : child.kind;  // kind 4 is a variable
    const hostabi::IoNode node = tree.AddNode(kind, "", "");
    const std::size_t recordOffset = kind == 1 ? L::kDescRecordKind14 : kind == 2 || kind == 3 ? L::kDescRecordKind23 : 0;
    if (recordOffset != 0) PutNameAndParams(DescriptorOf(node) + recordOffset, child);
    return;
  }
  host::Var var;
  if (child.form == ChildForm::Direct) {
    var = tree.AddDirectVariable("", child.typeField, "", child.index);
  } else if (child.form == ChildForm::SharedIndex) {
    var = tree.AddVariableAt("", child.typeField, child.index % host::HostTree::kCapacity, "");
  } else {
    var = tree.AddVariable("", child.typeField, "");
  }
  PutNameAndParams(var.descriptor + L::kDescRecordKind14, child);
  if (var.index < host::HostTree::kCapacity) tree.SetLockByte(var.index, child.lockByte);
  const std::size_t size = host::ElementSize(var.Type());
  if (var.data != nullptr && var.Type() != host::kTypeString && size != 0) {
    for (std::size_t i = 0; i < size; ++i) var.data[i] = static_cast<std::uint8_t>(child.initial >> (8 * i));
  }
  built.variables.push_back(var);
}

}  // namespace

void WriteTree(const TreeSpec& spec, ByteWriter& out) {
  out.U8(spec.checksum ? 1 : 0);
  out.U32(spec.flags);
  out.U32(spec.watchdog);
  out.U16(spec.address);
  out.Text(spec.model);
  out.Text(spec.params);
  out.U8(static_cast<std::uint8_t>(spec.children.size()));
  for (const ChildSpec& child : spec.children) {
    out.U8(static_cast<std::uint8_t>(child.form));
    switch (child.form) {
      case ChildForm::Bare:
        break;
      case ChildForm::OtherKind:
        out.U16(child.kind);
        out.Text(child.name);
        out.Text(child.params);
        break;
      case ChildForm::Direct:
      case ChildForm::SharedIndex:
        out.U8(child.index);
        [[fallthrough]];
      default:
        out.Text(child.name);
        out.U16(child.typeField);
        out.Text(child.params);
        out.U8(child.lockByte);
        for (int i = 0; i < 8; ++i) out.U8(static_cast<std::uint8_t>(child.initial >> (8 * i)));
        break;
    }
  }
}

FuzzTree ReadTree(ByteReader& in) {
  FuzzTree built;
  built.checksum = (in.U8() & 1) != 0;
  built.flags = in.U32();
  built.watchdog = in.U32();
  const std::uint16_t address = in.U16();
  const std::string model = in.Text();
  const std::string params = in.Text();
  built.tree = std::make_unique<host::HostTree>(address, "", "");
  std::uint8_t* record = built.tree->ModuleRecord();
  PutField(record + L::kModModel, L::kModModelField, model);
  PutField(record + L::kModParams, L::kModParamsField, params);
  const std::size_t count = in.U8() % (FuzzTree::kMaxChildren + 1);
  for (std::size_t i = 0; i < count; ++i) AddChild(built, ReadChild(in));
  return built;
}

std::string FuzzTree::Storage() const {
  std::string bytes;
  for (std::uint8_t code : {host::kTypeBool, host::kTypeInt16, host::kTypeInt32, host::kTypeInt64, host::kTypeAux32}) {
    const std::uint8_t* area = tree->Area(code);
    bytes.append(reinterpret_cast<const char*>(area), host::ElementSize(code) * host::HostTree::kCapacity);
  }
  bytes.append(reinterpret_cast<const char*>(tree->DirectBase()), kDirectBytes);
  bytes.append(reinterpret_cast<const char*>(tree->LockFlags()), host::HostTree::kCapacity);
  const std::uint16_t address = tree->AddressField();
  bytes.append(reinterpret_cast<const char*>(&address), sizeof address);
  return bytes;
}

void FuzzTree::Poke(std::uint8_t index, const std::string& value) {
  if (variables.empty()) return;
  const host::Var& var = variables[index % variables.size()];
  const std::size_t size = host::ElementSize(var.Type());
  if (var.data == nullptr || var.Type() == host::kTypeString || size == 0) return;
  std::memcpy(var.data, value.data(), value.size() < size ? value.size() : size);
}

}  // namespace fuzz
