#include "host/plugin_path.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#ifndef RIO_PLUGIN_DIR
#error "RIO_PLUGIN_DIR must be defined (the build's plug-in directory)"
#endif

namespace host {

std::string BuiltPluginDir() { return RIO_PLUGIN_DIR; }

std::vector<std::string> PluginSearchPath(const std::vector<std::string>& firstDirs) {
  std::vector<std::string> path = firstDirs;
  if (const char* env = std::getenv("RIO_PLUGIN_PATH")) {
    std::string entries = env;
    std::size_t start = 0;
    while (start <= entries.size()) {
      const std::size_t end = std::min(entries.find(':', start), entries.size());
      if (end > start) path.push_back(entries.substr(start, end - start));
      start = end + 1;
    }
  }
  path.push_back(BuiltPluginDir());
  return path;
}

std::string FindPlugin(const std::string& driver, const std::vector<std::string>& searchPath) {
  if (driver.find('/') != std::string::npos) {
    return access(driver.c_str(), R_OK) == 0 ? driver : std::string();
  }
  for (const std::string& dir : searchPath) {
    const std::string file = dir + "/" + driver + ".so";
    if (access(file.c_str(), R_OK) == 0) return file;
  }
  return {};
}

std::vector<std::string> ListPlugins(const std::vector<std::string>& searchPath) {
  std::map<std::string, std::string> byName;
  for (const std::string& dir : searchPath) {
    DIR* listing = opendir(dir.c_str());
    if (listing == nullptr) continue;
    while (const dirent* entry = readdir(listing)) {
      const std::string name = entry->d_name;
      if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0) {
        byName.emplace(name, dir + "/" + name);  // keeps the earlier directory's file
      }
    }
    closedir(listing);
  }
  std::vector<std::string> files;
  for (const auto& entry : byName) files.push_back(entry.second);
  return files;
}

}  // namespace host
