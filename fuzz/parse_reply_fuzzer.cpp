// Every command kind's ParseReply over arbitrary replies: any bytes, any
// length up to and beyond the reply buffer, with and without a carriage
// return and NULs, checksum on and off, into variables of every type.
//
// Input: U8 kind, U8 options (bit 0 checksum, bits 1-2 Delivery), U16 module
// address, U8 variant (the kind's own choices), U8 type seed (the types of
// the variables decoded into), then the reply bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "byte_stream.h"
#include "command_kinds.h"
#include "exchange.h"
#include "fuzz_tree.h"
#include "oracles.h"

namespace {

const std::uint16_t kTypeFields[] = {
    host::kTypeBool,   host::kTypeInt8,   host::kTypeInt16,   host::kTypeInt32,  host::kTypeInt64,
    host::kTypeUInt8,  host::kTypeUInt16, host::kTypeUInt32,  host::kTypeUInt64, host::kTypeFloat32,
    host::kTypeFloat64, host::kTypeAux32, host::kTypeString,  7,                  0x0103,
};
constexpr std::size_t kTypeCount = sizeof kTypeFields / sizeof kTypeFields[0];

// The variables a kind decodes into: assorted types, every fourth one a
// direct variable, every ninth slot empty, one of them locked.
void AddVariables(fuzz::FuzzTree& tree, fuzz::KindContext& context, std::uint8_t typeSeed) {
  for (std::uint32_t i = 0; i < fuzz::KindContext::kNodes; ++i) {
    if (i % 9 == 8) continue;
    const std::uint16_t type = kTypeFields[(typeSeed + i) % kTypeCount];
    host::Var var = i % 4 == 3 ? tree.tree->AddDirectVariable("", type) : tree.tree->AddVariable("", type);
    if (i == typeSeed % fuzz::KindContext::kNodes && host::LockBit(var.Type()) >= 0) tree.tree->SetLocked(var, true);
    tree.variables.push_back(var);
    context.nodes[i] = var.node;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::ByteReader in(data, size);
  const auto& kinds = fuzz::CommandKinds();
  const fuzz::CommandKind& kind = kinds[in.U8() % kinds.size()];
  const std::uint8_t options = in.U8();
  const bool checksum = (options & 1) != 0;
  const auto delivery = static_cast<fuzz::Delivery>((options >> 1) % 3);

  fuzz::KindContext context;
  context.address = in.U16();
  context.variant = in.U8();
  const std::uint8_t typeSeed = in.U8();
  fuzz::FuzzTree tree;
  tree.tree = std::make_unique<host::HostTree>(context.address, "", "");
  context.db = tree.Db();
  AddVariables(tree, context, typeSeed);

  std::unique_ptr<rio::Command> command = kind.make(checksum, context);
  rio::RequestQueue queue;
  rio::Enqueue(queue, command.get());
  command->Prepare();
  const std::string reply = in.Bytes(size);
  fuzz::Deliver(*command, reply, delivery, checksum);

  const auto storage = [&] {
    std::string bytes = tree.Storage();
    bytes.append(reinterpret_cast<const char*>(context.states), sizeof context.states);
    bytes.append(reinterpret_cast<const char*>(&context.config), sizeof context.config);
    return bytes;
  };
  fuzz::ParseChecked(*command, checksum, storage);
  // Completion is asked only inside the buffer; beyond it the answer is no.
  if (command->IsReplyComplete(command->GetReplyBufferSize()) != 0 || command->IsReplyComplete(0xFFFFFFFFU) != 0) {
    fuzz::Fail("a position beyond the reply buffer reads as complete");
  }
  return 0;
}
