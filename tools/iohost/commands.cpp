#include "commands.h"

namespace iohost {

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

bool ParseAssignment(const std::vector<std::string>& words, Assignment& out) {
  if (words.size() < 3) return false;
  out.module = words.front();
  out.value = words.back();
  out.variable.clear();
  for (std::size_t i = 1; i + 1 < words.size(); ++i) {
    out.variable += (i > 1 ? " " : "") + words[i];
  }
  return true;
}

}  // namespace iohost
