#include "host/host_tree.h"

#include <algorithm>

namespace host {
namespace L = hostabi::layout;

namespace {

constexpr std::uint8_t kFill = 0xA5;  // bytes of fields the drivers must not use

void PutU16(std::uint8_t* at, std::uint16_t value) { std::memcpy(at, &value, sizeof value); }
void PutU32(std::uint8_t* at, std::uint32_t value) { std::memcpy(at, &value, sizeof value); }
void PutAddress(std::uint8_t* at, const void* pointer) {
  const auto value = reinterpret_cast<std::uintptr_t>(pointer);
  std::memcpy(at, &value, sizeof value);
}
std::uint16_t GetU16(const std::uint8_t* at) {
  std::uint16_t value = 0;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void PutText(std::uint8_t* field, std::size_t fieldSize, const std::string& text,
             const char* what) {
  if (text.size() >= fieldSize || text.find('\0') != std::string::npos) {
    throw std::logic_error(std::string("HostTree: ") + what + " \"" + text +
                           "\" does not fit its field of " + std::to_string(fieldSize) +
                           " characters");
  }
  std::memset(field, 0, fieldSize);
  std::memcpy(field, text.data(), text.size());
}

constexpr std::size_t kVarDescriptorSize = L::kDescRecordKind14 + L::kRecParams + L::kRecParamsField;
constexpr std::size_t kKind23DescriptorSize = L::kDescRecordKind23 + L::kRecParams + L::kRecParamsField;
constexpr std::size_t kBareDescriptorSize = 16;
constexpr std::size_t kModuleDescriptorSize = L::kDescRecordKind14 + L::kModParams + L::kModParamsField;
constexpr std::size_t kDirectStride = 16;

// Area slots: 0 1-byte, 1 2-byte, 2 4-byte, 3 8-byte, 4 auxiliary, 5 string.
int SlotOf(std::uint8_t code) {
  switch (code) {
    case kTypeBool: case kTypeInt8: case kTypeUInt8: return 0;
    case kTypeInt16: case kTypeUInt16: return 1;
    case kTypeInt32: case kTypeFloat32: case kTypeUInt32: return 2;
    case kTypeInt64: case kTypeFloat64: case kTypeUInt64: return 3;
    case kTypeAux32: return 4;
    case kTypeString: return 5;
    default: return -1;
  }
}
constexpr std::size_t kSlotElement[5] = {1, 2, 4, 8, 4};
constexpr std::size_t kSlotDbOffset[5] = {L::kDbArea1, L::kDbArea2, L::kDbArea4, L::kDbArea8,
                                          L::kDbAreaAux};

}  // namespace

std::size_t ElementSize(std::uint8_t code) {
  const int slot = SlotOf(code);
  return slot >= 0 && slot < 5 ? kSlotElement[slot] : 0;
}

int LockBit(std::uint8_t code) { return SlotOf(code); }  // the bit number equals the slot

bool HasArea(std::uint8_t code) { return SlotOf(code) >= 0; }

std::uint8_t* HostTree::Allocate(std::vector<std::unique_ptr<std::uint8_t[]>>& owner,
                                 std::size_t size) {
  owner.emplace_back(new std::uint8_t[size]());
  return owner.back().get();
}

int HostTree::AreaSlot(std::uint8_t code) const { return SlotOf(code); }

HostTree::HostTree(std::uint16_t address, std::string model, std::string moduleParams) {
  // VariableDb: exactly the bytes up to the end of the direct base field;
  // everything the drivers do not use holds the fill pattern.
  db_.reset(new std::uint8_t[L::kDbSize]);
  std::memset(db_.get(), kFill, L::kDbSize);

  lock_.reset(new std::uint8_t[kCapacity]());
  PutAddress(db_.get() + L::kDbLockFlags, lock_.get());

  for (int slot = 0; slot < 5; ++slot) {
    const std::size_t bytes = kSlotElement[slot] * kCapacity;
    if (slot == 3) {
      // The 8-byte area starts at 4 modulo 8 (allowed: host areas need not be 8-aligned): a typed
      // 64-bit access in the plug-in is caught by the sanitizer build.
      areaBlocks_[slot].reset(new std::uint8_t[bytes + 4]());
      areas_[slot] = areaBlocks_[slot].get() + 4;
      if (reinterpret_cast<std::uintptr_t>(areas_[slot]) % 8 != 4) {
        throw std::logic_error("HostTree: heap block not 8-aligned");
      }
    } else {
      areaBlocks_[slot].reset(new std::uint8_t[bytes]());
      areas_[slot] = areaBlocks_[slot].get();
    }
    PutAddress(db_.get() + kSlotDbOffset[slot], areas_[slot]);
  }

  stringTable_.reset(new std::uint8_t[kCapacity * L::kAddressSize]());
  for (std::size_t i = 0; i < kCapacity; ++i) {
    std::uint8_t* record = Allocate(stringRecords_, kStringRecordSize);
    PutAddress(stringTable_.get() + i * L::kAddressSize, record);
  }
  PutAddress(db_.get() + L::kDbStringTable, stringTable_.get());

  direct_.reset(new std::uint8_t[kDirectStride * (kCapacity + 1)]());
  directBase_ = direct_.get();
  PutAddress(db_.get() + L::kDbDirectBase, directBase_);

  for (auto& used : used_) used.assign(kCapacity, false);

  // Module node: kind 1, record at descriptor+16.
  moduleHeader_ = Allocate(nodes_, L::kHeaderSize);
  std::memset(moduleHeader_, kFill, L::kAddressSize);  // word 0: not used
  std::uint8_t* descriptor = Allocate(nodes_, kModuleDescriptorSize);
  std::memset(descriptor, kFill, L::kDescRecordKind14);
  PutU16(descriptor + L::kDescKind, 1);
  PutAddress(moduleHeader_ + L::kHeaderDescriptorWord * L::kAddressSize, descriptor);
  moduleRecord_ = descriptor + L::kDescRecordKind14;
  PutU16(moduleRecord_ + L::kModAddress, address);
  PutText(moduleRecord_ + L::kModModel, L::kModModelField, model, "model name");
  PutText(moduleRecord_ + L::kModParams, L::kModParamsField, moduleParams, "module parameters");
  moduleNode_ = moduleHeader_ + L::kHeaderSize;
}

HostTree::~HostTree() = default;

std::uint8_t* HostTree::NewChild(std::size_t descriptorSize, std::uint8_t** headerOut) {
  std::uint8_t* header = Allocate(nodes_, L::kHeaderSize);
  std::memset(header, kFill, L::kAddressSize);  // word 0: not used
  std::uint8_t* descriptor = nullptr;
  if (descriptorSize != 0) {
    descriptor = Allocate(nodes_, descriptorSize);
    PutAddress(header + L::kHeaderDescriptorWord * L::kAddressSize, descriptor);
  }
  if (lastChildHeader_ == nullptr) {
    PutAddress(moduleHeader_ + L::kHeaderFirstChildWord * L::kAddressSize, header);
  } else {
    PutAddress(lastChildHeader_ + L::kHeaderNextSiblingWord * L::kAddressSize, header);
  }
  lastChildHeader_ = header;
  *headerOut = header;
  return descriptor;
}

Var HostTree::AddVar(const std::string& name, std::uint16_t typeField, std::uint16_t index,
                     std::uint32_t directOffset, const std::string& params) {
  std::uint8_t* header = nullptr;
  std::uint8_t* descriptor = NewChild(kVarDescriptorSize, &header);
  std::memset(descriptor, kFill, L::kDescRecordKind14);
  PutU16(descriptor + L::kDescKind, 4);
  PutU16(descriptor + L::kDescType, typeField);
  PutU16(descriptor + L::kDescIndex, index);
  PutU32(descriptor + L::kDescDirectOffset, directOffset);
  std::uint8_t* record = descriptor + L::kDescRecordKind14;
  PutText(record + L::kRecName, L::kRecNameField, name, "variable name");
  PutText(record + L::kRecParams, L::kRecParamsField, params, "channel parameters");

  Var var;
  var.node = header + L::kHeaderSize;
  var.descriptor = descriptor;
  var.typeField = typeField;
  var.index = index;
  var.directOffset = directOffset;
  const int slot = SlotOf(var.Type());
  if (directOffset != 0) {
    var.data = directBase_ + directOffset;
  } else if (slot == 5) {
    var.data = stringRecords_.at(index).get();
  } else if (slot >= 0) {
    var.data = areas_[slot] + static_cast<std::size_t>(index) * kSlotElement[slot];
  }
  return var;
}

Var HostTree::AddVariable(const std::string& name, std::uint16_t typeField,
                          const std::string& params) {
  const int slot = SlotOf(static_cast<std::uint8_t>(typeField & 0xFF));
  if (slot < 0) return AddVar(name, typeField, 0, 0, params);
  auto& used = used_[slot];
  const auto it = std::find(used.begin(), used.end(), false);
  if (it == used.end()) {
    throw std::logic_error("HostTree: area of type " + std::to_string(typeField & 0xFF) +
                           " is full (" + std::to_string(kCapacity) + " variables)");
  }
  *it = true;
  return AddVar(name, typeField, static_cast<std::uint16_t>(it - used.begin()), 0, params);
}

Var HostTree::AddVariableAt(const std::string& name, std::uint16_t typeField,
                            std::uint16_t index, const std::string& params) {
  const int slot = SlotOf(static_cast<std::uint8_t>(typeField & 0xFF));
  if (slot >= 0) {
    if (index >= kCapacity) {
      throw std::logic_error("HostTree: index " + std::to_string(index) + " beyond capacity " +
                             std::to_string(kCapacity));
    }
    used_[slot][index] = true;
  }
  return AddVar(name, typeField, index, 0, params);
}

Var HostTree::AddDirectVariable(const std::string& name, std::uint16_t typeField,
                                const std::string& params, std::uint16_t index) {
  if (directCount_ >= kCapacity) throw std::logic_error("HostTree: too many direct variables");
  // Offset 1 + 16k from an aligned base: non-zero, and the data is at an odd address.
  const auto offset = static_cast<std::uint32_t>(1 + kDirectStride * directCount_++);
  Var var = AddVar(name, typeField, index, offset, params);
  if (reinterpret_cast<std::uintptr_t>(var.data) % 2 != 1) {
    throw std::logic_error("HostTree: direct variable not at an odd address");
  }
  return var;
}

hostabi::IoNode HostTree::AddNode(std::uint16_t kind, const std::string& name,
                                  const std::string& params) {
  if (kind == 4) throw std::logic_error("HostTree: use AddVariable for kind 4");
  std::size_t recordOffset = 0;
  std::size_t size = kBareDescriptorSize;  // other kinds: no data record
  if (kind == 1) {
    recordOffset = L::kDescRecordKind14;
    size = kVarDescriptorSize;
  } else if (kind == 2 || kind == 3) {
    recordOffset = L::kDescRecordKind23;
    size = kKind23DescriptorSize;
  }
  std::uint8_t* header = nullptr;
  std::uint8_t* descriptor = NewChild(size, &header);
  std::memset(descriptor, kFill, recordOffset != 0 ? recordOffset : size);
  PutU16(descriptor + L::kDescKind, kind);
  if (recordOffset != 0) {
    std::uint8_t* record = descriptor + recordOffset;
    PutText(record + L::kRecName, L::kRecNameField, name, "node name");
    PutText(record + L::kRecParams, L::kRecParamsField, params, "node parameters");
  }
  return header + L::kHeaderSize;
}

hostabi::IoNode HostTree::AddNodeWithoutDescriptor() {
  std::uint8_t* header = nullptr;
  NewChild(0, &header);
  return header + L::kHeaderSize;
}

std::uint16_t HostTree::AddressField() const { return GetU16(moduleRecord_ + L::kModAddress); }

void HostTree::SetAddressField(std::uint16_t address) {
  PutU16(moduleRecord_ + L::kModAddress, address);
}

std::uint8_t* HostTree::CheckedData(const Var& var, std::size_t size) const {
  const std::uint8_t code = var.Type();
  if (var.data == nullptr || code == kTypeString) {
    throw std::logic_error("HostTree: variable of type " + std::to_string(code) +
                           " has no numeric value");
  }
  const std::size_t element = ElementSize(code);
  if (element != size) {
    throw std::logic_error("HostTree: value of " + std::to_string(size) +
                           " bytes for a variable of type " + std::to_string(code) +
                           (element != 0 ? " (element size " + std::to_string(element) + ")"
                                         : std::string(" (no value size)")));
  }
  return var.data;
}

std::uint8_t* HostTree::StringRecord(const Var& var) const {
  if (var.Type() != kTypeString || var.data == nullptr) {
    throw std::logic_error("HostTree: not a string variable");
  }
  return var.data;
}

void HostTree::SetLocked(const Var& var, bool locked) {
  const int bit = LockBit(var.Type());
  if (bit < 0) throw std::logic_error("HostTree: type without a lock bit");
  if (var.index >= kCapacity) throw std::logic_error("HostTree: index beyond lock array");
  std::uint8_t& flags = lock_[var.index];
  const auto mask = static_cast<std::uint8_t>(1u << bit);
  flags = static_cast<std::uint8_t>(locked ? (flags | mask) : (flags & ~mask));
}

std::uint8_t HostTree::LockByte(std::uint16_t index) const {
  if (index >= kCapacity) throw std::logic_error("HostTree: index beyond lock array");
  return lock_[index];
}

void HostTree::SetLockByte(std::uint16_t index, std::uint8_t value) {
  if (index >= kCapacity) throw std::logic_error("HostTree: index beyond lock array");
  lock_[index] = value;
}

std::uint8_t* HostTree::Area(std::uint8_t code) const {
  const int slot = SlotOf(code);
  return slot >= 0 && slot < 5 ? areas_[slot] : nullptr;
}

}  // namespace host
