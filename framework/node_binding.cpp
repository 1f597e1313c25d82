#include "framework/node_binding.h"

#include "framework/tokens.h"

namespace rio {

void BindNumberedChildren(IoNode moduleNode, const char* prefix, IoNode* nodes, std::uint32_t count) {
  for (IoNode child = FirstChild(moduleNode); child != nullptr; child = NextSibling(child)) {
    std::int32_t number = -1;
    if (ScanNumberedName(NameOf(child).text, prefix, number) && number >= 0 &&
        static_cast<std::uint32_t>(number) < count) {
      nodes[number] = child;
    }
  }
}

}  // namespace rio
