#include "framework/host_records.h"

#include <cstring>

namespace rio {

std::uint16_t LoadU16(const std::uint8_t* at) {
  std::uint16_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

std::uint32_t LoadU32(const std::uint8_t* at) {
  std::uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

std::uintptr_t LoadAddress(const std::uint8_t* at) {
  std::uintptr_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void StoreU16(std::uint8_t* at, std::uint16_t value) { std::memcpy(at, &value, sizeof value); }

namespace {

// Handles are compared as integers before a pointer is formed from them.
std::uint8_t* HeaderOf(IoNode node) {
  const auto handle = reinterpret_cast<std::uintptr_t>(node);
  if (handle == 0 || handle == kNodeHeaderSize) return nullptr;
  return reinterpret_cast<std::uint8_t*>(handle - kNodeHeaderSize);
}

std::uint8_t* HeaderWord(IoNode node, std::size_t word) {
  std::uint8_t* header = HeaderOf(node);
  if (header == nullptr) return nullptr;
  return reinterpret_cast<std::uint8_t*>(LoadAddress(header + word * kAddressSize));
}

IoNode HandleOfHeader(std::uint8_t* header) {
  if (header == nullptr) return nullptr;
  return header + kNodeHeaderSize;
}

}  // namespace

std::uint8_t* NodeDescriptor(IoNode node) { return HeaderWord(node, kHeaderDescriptor); }

std::uint8_t* NodeRecord(IoNode node) {
  std::uint8_t* descriptor = NodeDescriptor(node);
  if (descriptor == nullptr) return nullptr;
  switch (LoadU16(descriptor + kDescriptorKind)) {
    case 1:
    case 4:
      return descriptor + kRecordOffsetKinds1And4;
    case 2:
    case 3:
      return descriptor + kRecordOffsetKinds2And3;
    default:
      return nullptr;
  }
}

IoNode FirstChild(IoNode node) { return HandleOfHeader(HeaderWord(node, kHeaderFirstChild)); }

IoNode NextSibling(IoNode node) { return HandleOfHeader(HeaderWord(node, kHeaderNextSibling)); }

bool IsVariableNode(IoNode node) {
  const std::uint8_t* descriptor = NodeDescriptor(node);
  return descriptor != nullptr && LoadU16(descriptor + kDescriptorKind) == kVariableKind;
}

void CopyField(const std::uint8_t* field, std::size_t fieldSize, char* out, std::size_t outSize) {
  if (outSize == 0) return;
  std::size_t n = 0;
  if (field != nullptr) {
    while (n < fieldSize && n + 1 < outSize && field[n] != 0) {
      out[n] = static_cast<char>(field[n]);
      ++n;
    }
  }
  out[n] = '\0';
}

NodeName NameOf(IoNode node) {
  NodeName name;
  const std::uint8_t* record = NodeRecord(node);
  CopyField(record == nullptr ? nullptr : record + kVariableName, kVariableNameField, name.text,
            sizeof name.text);
  return name;
}

ParamText ParamsOf(IoNode node) {
  ParamText params;
  const std::uint8_t* record = IsVariableNode(node) ? NodeRecord(node) : nullptr;
  CopyField(record == nullptr ? nullptr : record + kVariableParams, kParamsField, params.text,
            sizeof params.text);
  return params;
}

std::uint16_t ModuleAddressOf(IoNode moduleNode) {
  const std::uint8_t* record = NodeRecord(moduleNode);
  return record == nullptr ? 0 : LoadU16(record + kModuleAddress);
}

ParamText ModuleParamsOf(IoNode moduleNode) {
  ParamText params;
  const std::uint8_t* record = NodeRecord(moduleNode);
  CopyField(record == nullptr ? nullptr : record + kModuleParams, kParamsField, params.text,
            sizeof params.text);
  return params;
}

ModelName ModelNameOf(IoNode moduleNode) {
  ModelName name;
  const std::uint8_t* record = NodeRecord(moduleNode);
  CopyField(record == nullptr ? nullptr : record + kModuleModelName, kModuleModelNameField, name.text,
            sizeof name.text);
  return name;
}

namespace {

struct AreaInfo {
  std::size_t dbField;  // 0: no area
  std::uint32_t elementSize;
  std::uint8_t lockBit;
};

AreaInfo AreaOf(std::uint8_t typeCode) {
  switch (typeCode) {
    case TypeBool:
    case TypeInt8:
    case TypeUInt8:
      return {kDbArea1, 1, 0};
    case TypeInt16:
    case TypeUInt16:
      return {kDbArea2, 2, 1};
    case TypeInt32:
    case TypeFloat32:
    case TypeUInt32:
      return {kDbArea4, 4, 2};
    case TypeInt64:
    case TypeFloat64:
    case TypeUInt64:
      return {kDbArea8, 8, 3};
    case TypeAux32:
      return {kDbAreaAux, 4, 4};
    case TypeString:
      return {kDbStringTable, 0, 5};
    default:
      return {0, 0, 0};
  }
}

const std::uint8_t* DbBytes(const VariableDb* db) { return reinterpret_cast<const std::uint8_t*>(db); }

}  // namespace

std::uint8_t* LocateSlot(VariableDb* db, std::uint8_t typeCode, std::uint16_t index, bool* lockedOut,
                         std::uint32_t* sizeOut) {
  if (db == nullptr) return nullptr;
  const AreaInfo area = AreaOf(typeCode);
  if (area.dbField == 0) return nullptr;
  const std::uint8_t* bytes = DbBytes(db);
  const std::uintptr_t areaAddress = LoadAddress(bytes + area.dbField);
  if (areaAddress == 0) return nullptr;

  std::uint8_t* element = nullptr;
  std::uint32_t size = area.elementSize;
  if (typeCode == TypeString) {
    element = reinterpret_cast<std::uint8_t*>(
        LoadAddress(reinterpret_cast<const std::uint8_t*>(areaAddress) + std::size_t{index} * kAddressSize));
    if (element == nullptr) return nullptr;
    size = std::uint32_t{element[0]} + 3;
  } else {
    element = reinterpret_cast<std::uint8_t*>(areaAddress + std::size_t{index} * area.elementSize);
  }
  if (lockedOut != nullptr) {
    const std::uintptr_t lockFlags = LoadAddress(bytes + kDbLockFlags);
    const std::uint8_t lockByte = lockFlags == 0 ? 0 : reinterpret_cast<const std::uint8_t*>(lockFlags)[index];
    *lockedOut = ((lockByte >> area.lockBit) & 1U) != 0;
  }
  if (sizeOut != nullptr) *sizeOut = size;
  return element;
}

std::uint8_t* LocateVariable(VariableDb* db, const std::uint8_t* descriptor, bool* lockedOut) {
  if (db == nullptr || descriptor == nullptr) return nullptr;
  const std::uint32_t directOffset = LoadU32(descriptor + kDescriptorDirectOffset);
  if (directOffset != 0) {
    if (lockedOut != nullptr) *lockedOut = false;
    const std::uintptr_t base = LoadAddress(DbBytes(db) + kDbDirectBase);
    return reinterpret_cast<std::uint8_t*>(base + directOffset);
  }
  const auto typeCode = static_cast<std::uint8_t>(LoadU16(descriptor + kDescriptorType) & 0xFF);
  return LocateSlot(db, typeCode, LoadU16(descriptor + kDescriptorIndex), lockedOut, nullptr);
}

}  // namespace rio
