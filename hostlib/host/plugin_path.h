// Where a host finds driver plug-ins at run time. A driver is named in a
// station file either by deliverable name ("mx43110" -> mx43110.so, searched
// in the directories below, first match wins) or by a path (it contains '/').
//
// Search order: the directories given by the caller (command line), then the
// entries of the environment variable RIO_PLUGIN_PATH (':'-separated), then
// the build's plug-in directory compiled into the library.
#pragma once

#include <string>
#include <vector>

namespace host {

// The build's plug-in directory (<build>/plugins).
std::string BuiltPluginDir();

std::vector<std::string> PluginSearchPath(const std::vector<std::string>& firstDirs);

// The file of a driver, or "" when no readable file is found.
std::string FindPlugin(const std::string& driver, const std::vector<std::string>& searchPath);

// Every <name>.so file in the directories, sorted by name; a deliverable found
// in an earlier directory hides the same name in later ones.
std::vector<std::string> ListPlugins(const std::vector<std::string>& searchPath);

}  // namespace host
