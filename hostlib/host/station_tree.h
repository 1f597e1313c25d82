// The host's I/O tree and variable database for a whole station: many module
// nodes, each with its variable nodes, and one VariableDb whose areas are as
// large as the station needs. Same record layouts as HostTree (offsets in
// hostabi::layout); unlike HostTree it is a production structure: zero-filled,
// no fill patterns, no forced odd placement.
//
//   host::StationTree tree(host::StationTree::Capacity{...});
//   std::size_t m = tree.AddModule(1, "MX-43110", "00,08,Continuous,100,3");
//   host::Var ai0 = tree.AddVariable(m, "AI 0", host::kTypeFloat32, "");
//   module->Initialize(tree.Db(), tree.ModuleNode(m), 0, 0);
//
// Everything is allocated while the tree is built and nothing moves or is
// freed until the tree is destroyed (plug-ins keep pointers into it between
// Initialize and Destroy). Build the whole tree before the first Initialize:
// adding nodes later would change links the plug-ins may be walking.
// Thread safety: none of its own; the host serialises access per bus.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/abi.h"
#include "host/host_tree.h"

namespace host {

class StationTree {
 public:
  // Number of variables the tree will hold per area; AddVariable throws
  // std::logic_error beyond it. Count them with CountVariable first.
  struct Capacity {
    std::array<std::size_t, 5> numeric{};  // 1-byte, 2-byte, 4-byte, 8-byte, auxiliary
    std::size_t strings = 0;
    void CountVariable(std::uint8_t code);
  };

  explicit StationTree(const Capacity& capacity);
  StationTree(const StationTree&) = delete;
  StationTree& operator=(const StationTree&) = delete;
  ~StationTree();

  // A module node (kind 1). Text longer than its field throws std::logic_error
  // (model: 31 characters, parameters: 127). Returns the module's number.
  std::size_t AddModule(std::uint16_t address, const std::string& model,
                        const std::string& params);
  // A variable node (kind 4) under module m, at the next free index of its
  // area. A code without an area gets index 0 and no storage (data null).
  Var AddVariable(std::size_t module, const std::string& name, std::uint8_t code,
                  const std::string& params);

  hostabi::VariableDb* Db() const { return reinterpret_cast<hostabi::VariableDb*>(db_.get()); }
  hostabi::IoNode ModuleNode(std::size_t module) const { return modules_.at(module).node; }
  std::uint8_t* ModuleRecord(std::size_t module) const { return modules_.at(module).record; }
  std::size_t ModuleCount() const { return modules_.size(); }

 private:
  struct ModuleEntry {
    std::uint8_t* header = nullptr;
    hostabi::IoNode node = nullptr;
    std::uint8_t* record = nullptr;
    std::uint8_t* lastChildHeader = nullptr;
  };
  std::uint8_t* Allocate(std::size_t size);

  std::vector<std::unique_ptr<std::uint8_t[]>> blocks_;  // every node, area and record
  std::unique_ptr<std::uint8_t[]> db_;
  std::array<std::uint8_t*, 5> areas_{};
  std::array<std::size_t, 5> capacity_{};
  std::array<std::size_t, 5> used_{};
  std::uint8_t* stringTable_ = nullptr;
  std::size_t stringCapacity_ = 0;
  std::size_t stringsUsed_ = 0;
  std::vector<ModuleEntry> modules_;
  std::uint8_t* lastModuleHeader_ = nullptr;
};

}  // namespace host
