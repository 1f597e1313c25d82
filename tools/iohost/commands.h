// Lines a person types while the host runs (and the --set option):
//   set MODULE VARIABLE VALUE     get MODULE VARIABLE     quit     help
// Names may contain blanks ("AI 0", "Connect State"): quote them, or leave
// them bare and the first word is the module, the last the value and the
// words between the variable.
#pragma once

#include <string>
#include <vector>

namespace iohost {

// Splits at blanks; "double quotes" keep blanks inside a word.
std::vector<std::string> SplitWords(const std::string& line);

struct Assignment {
  std::string module, variable, value;
};
// words: MODULE VARIABLE... VALUE (without the word "set"). False when fewer than three.
bool ParseAssignment(const std::vector<std::string>& words, Assignment& out);

}  // namespace iohost
