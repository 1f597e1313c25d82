// Finding a group's variables among the module node's children by name.
#pragma once

#include <cstdint>

#include "framework/host_records.h"

namespace rio {

// Binds the children named "<prefix><n>" (prefix "AI " accepts "AI 3" and
// "AI3") with n from 0 to count - 1 into nodes[n]; a later child with the
// same number replaces an earlier one, other names are left alone.
void BindNumberedChildren(IoNode moduleNode, const char* prefix, IoNode* nodes, std::uint32_t count);

}  // namespace rio
