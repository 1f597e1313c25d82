#include "host/station_tree.h"

#include <algorithm>
#include <cstring>

#include "host/value_text.h"

namespace host {
namespace L = hostabi::layout;

namespace {

constexpr std::size_t kElement[5] = {1, 2, 4, 8, 4};
constexpr std::size_t kDbOffset[5] = {L::kDbArea1, L::kDbArea2, L::kDbArea4, L::kDbArea8,
                                      L::kDbAreaAux};
constexpr std::size_t kVarDescriptorSize = L::kDescRecordKind14 + L::kRecParams + L::kRecParamsField;
constexpr std::size_t kModuleDescriptorSize = L::kDescRecordKind14 + L::kModParams + L::kModParamsField;

// 0..4: numeric areas; 5: strings; -1: no area.
int SlotOf(std::uint8_t code) {
  if (code == kTypeString) return 5;
  if (!HasArea(code)) return -1;
  switch (ElementSize(code)) {
    case 1: return 0;
    case 2: return 1;
    case 8: return 3;
    default: return code == kTypeAux32 ? 4 : 2;
  }
}

void PutU16(std::uint8_t* at, std::uint16_t value) { std::memcpy(at, &value, sizeof value); }
void PutAddress(std::uint8_t* at, const void* pointer) {
  const auto value = reinterpret_cast<std::uintptr_t>(pointer);
  std::memcpy(at, &value, sizeof value);
}
void PutWord(std::uint8_t* header, std::size_t word, const void* pointer) {
  PutAddress(header + word * L::kAddressSize, pointer);
}

void PutText(std::uint8_t* field, std::size_t fieldSize, const std::string& text, const char* what) {
  if (text.size() >= fieldSize || text.find('\0') != std::string::npos) {
    throw std::logic_error(std::string(what) + " \"" + text + "\" is longer than " +
                           std::to_string(fieldSize - 1) + " characters");
  }
  std::memcpy(field, text.data(), text.size());  // the field is zero-filled: NUL-terminated
}

}  // namespace

void StationTree::Capacity::CountVariable(std::uint8_t code) {
  const int slot = SlotOf(code);
  if (slot == 5) ++strings;
  else if (slot >= 0) ++numeric[static_cast<std::size_t>(slot)];
}

std::uint8_t* StationTree::Allocate(std::size_t size) {
  blocks_.emplace_back(new std::uint8_t[std::max<std::size_t>(size, 1)]());
  return blocks_.back().get();
}

StationTree::StationTree(const Capacity& capacity) {
  db_.reset(new std::uint8_t[L::kDbSize]());
  // One lock byte per index of the largest area; the host never locks.
  std::size_t indexes = capacity.strings;
  for (std::size_t n : capacity.numeric) indexes = std::max(indexes, n);
  PutAddress(db_.get() + L::kDbLockFlags, Allocate(indexes));
  for (std::size_t slot = 0; slot < 5; ++slot) {
    capacity_[slot] = capacity.numeric[slot];
    areas_[slot] = Allocate(kElement[slot] * capacity_[slot]);
    PutAddress(db_.get() + kDbOffset[slot], areas_[slot]);
  }
  stringCapacity_ = capacity.strings;
  stringTable_ = Allocate(stringCapacity_ * L::kAddressSize);
  for (std::size_t i = 0; i < stringCapacity_; ++i) {
    std::uint8_t* record = Allocate(kStringRecordSize);
    record[0] = static_cast<std::uint8_t>(kStringCapacity);  // element size = byte 0 + 3
    PutAddress(stringTable_ + i * L::kAddressSize, record);
  }
  PutAddress(db_.get() + L::kDbStringTable, stringTable_);
  // No variable of a station uses a direct data offset; the base is still valid.
  PutAddress(db_.get() + L::kDbDirectBase, Allocate(16));
}

StationTree::~StationTree() = default;

std::size_t StationTree::AddModule(std::uint16_t address, const std::string& model,
                                   const std::string& params) {
  ModuleEntry entry;
  entry.header = Allocate(L::kHeaderSize);
  std::uint8_t* descriptor = Allocate(kModuleDescriptorSize);
  PutU16(descriptor + L::kDescKind, 1);
  PutWord(entry.header, L::kHeaderDescriptorWord, descriptor);
  entry.record = descriptor + L::kDescRecordKind14;
  PutU16(entry.record + L::kModAddress, address);
  PutText(entry.record + L::kModModel, L::kModModelField, model, "model name");
  PutText(entry.record + L::kModParams, L::kModParamsField, params, "module parameter string");
  entry.node = entry.header + L::kHeaderSize;
  // Module nodes are siblings of each other, as in the runtime's tree.
  if (lastModuleHeader_ != nullptr) PutWord(lastModuleHeader_, L::kHeaderNextSiblingWord, entry.header);
  lastModuleHeader_ = entry.header;
  modules_.push_back(entry);
  return modules_.size() - 1;
}

Var StationTree::AddVariable(std::size_t module, const std::string& name, std::uint8_t code,
                             const std::string& params) {
  ModuleEntry& owner = modules_.at(module);
  const int slot = SlotOf(code);
  std::size_t index = 0;
  if (slot == 5) {
    if (stringsUsed_ >= stringCapacity_) throw std::logic_error("StationTree: string capacity exceeded");
    index = stringsUsed_++;
  } else if (slot >= 0) {
    const auto s = static_cast<std::size_t>(slot);
    if (used_[s] >= capacity_[s]) throw std::logic_error("StationTree: area capacity exceeded");
    index = used_[s]++;
  }
  if (index > 0xFFFF) throw std::logic_error("StationTree: more than 65536 variables in one area");

  std::uint8_t* header = Allocate(L::kHeaderSize);
  std::uint8_t* descriptor = Allocate(kVarDescriptorSize);
  PutWord(header, L::kHeaderDescriptorWord, descriptor);
  PutU16(descriptor + L::kDescKind, 4);
  PutU16(descriptor + L::kDescType, code);
  PutU16(descriptor + L::kDescIndex, static_cast<std::uint16_t>(index));
  std::uint8_t* record = descriptor + L::kDescRecordKind14;
  PutText(record + L::kRecName, L::kRecNameField, name, "variable name");
  PutText(record + L::kRecParams, L::kRecParamsField, params, "channel parameter string");
  if (owner.lastChildHeader == nullptr) {
    PutWord(owner.header, L::kHeaderFirstChildWord, header);
  } else {
    PutWord(owner.lastChildHeader, L::kHeaderNextSiblingWord, header);
  }
  owner.lastChildHeader = header;

  Var var;
  var.node = header + L::kHeaderSize;
  var.descriptor = descriptor;
  var.typeField = code;
  var.index = static_cast<std::uint16_t>(index);
  if (slot == 5) {
    std::uintptr_t address = 0;
    std::memcpy(&address, stringTable_ + index * L::kAddressSize, sizeof address);
    var.data = reinterpret_cast<std::uint8_t*>(address);
  } else if (slot >= 0) {
    var.data = areas_[static_cast<std::size_t>(slot)] + index * kElement[slot];
  }
  return var;
}

}  // namespace host
