// What a driver deliverable states about itself: its model table, its
// version, and how its Module is made. Each driver defines the two functions
// below; the framework's exports publish them.
#pragma once

#include <cstddef>

namespace rio {

class Module;

struct ModelRow {
  const char* displayName;  // as the user chooses it for the module node
  const char* moduleCode;   // as the module answers the name query
};

struct ModelTable {
  const ModelRow* rows;
  std::size_t count;

  // The row whose display name equals name, letter case ignored; null when
  // the model is not in the table.
  const ModelRow* Find(const char* name) const;
};

struct DriverIdentity {
  ModelTable models;
  const char* version;  // five characters, e.g. "1.1.2"
};

const DriverIdentity& ThisDriver();
// A new Module, or null when its memory cannot be obtained.
Module* NewDriverModule();

}  // namespace rio
