// The live table on a terminal: its redraws never touch the last row, where
// the terminal echoes the command being typed, whatever the table's height;
// Enter scrolls the typed line into the note row, not the table off screen.
// A small terminal model replays what the table writes and what the echo of
// typed keys does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "display.h"

namespace {

// Just enough of a terminal: cursor moves, erase to end of line, clear,
// cursor save and restore, a scroll region, and text that stops at the
// right edge.
class Terminal {
 public:
  Terminal(std::size_t width, std::size_t height)
      : screen_(height, std::string(width, ' ')), width_(width), bottom_(height - 1) {}

  void Play(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const char c = bytes[i];
      if (c == '\x1b' && i + 1 < bytes.size() && bytes[i + 1] != '[') {
        if (bytes[++i] == '7') saved_ = {row_, column_};
        if (bytes[i] == '8') std::tie(row_, column_) = saved_;
      } else if (c == '\x1b') {
        std::vector<std::size_t> numbers{0};
        for (i += 2; i < bytes.size() && (std::isdigit(static_cast<unsigned char>(bytes[i])) || bytes[i] == ';'); ++i) {
          if (bytes[i] == ';') numbers.push_back(0);
          else numbers.back() = numbers.back() * 10 + static_cast<std::size_t>(bytes[i] - '0');
        }
        Control(bytes[i], numbers);
      } else if (c == '\r') {
        column_ = 0;
      } else if (c == '\n') {
        LineFeed();
      } else if (column_ < width_) {
        screen_[row_][column_++] = c;
      }
    }
  }
  std::string Row(std::size_t row) const { return screen_[row].substr(0, screen_[row].find_last_not_of(' ') + 1); }
  std::pair<std::size_t, std::size_t> Cursor() const { return {row_, column_}; }

 private:
  void Control(char command, const std::vector<std::size_t>& n) {
    const auto at = [&](std::size_t k, std::size_t otherwise) { return k < n.size() && n[k] != 0 ? n[k] : otherwise; };
    switch (command) {
      case 'H': row_ = at(0, 1) - 1; column_ = at(1, 1) - 1; break;
      case 'K': screen_[row_].replace(column_, width_ - column_, width_ - column_, ' '); break;
      case 'J': for (std::string& line : screen_) line.assign(width_, ' '); break;
      case 'r': top_ = at(0, 1) - 1; bottom_ = at(1, screen_.size()) - 1; row_ = column_ = 0; break;
      default: ADD_FAILURE() << "unexpected control " << command;
    }
  }
  void LineFeed() {
    if (row_ != bottom_) {
      row_ = std::min(row_ + 1, screen_.size() - 1);
      return;
    }
    screen_.erase(screen_.begin() + static_cast<std::ptrdiff_t>(top_));
    screen_.insert(screen_.begin() + static_cast<std::ptrdiff_t>(bottom_), std::string(width_, ' '));
  }

  std::vector<std::string> screen_;
  std::size_t width_;
  std::size_t top_ = 0, bottom_;
  std::size_t row_ = 0, column_ = 0;
  std::pair<std::size_t, std::size_t> saved_{0, 0};
};

std::vector<std::string> Table(std::size_t rows) {
  std::vector<std::string> table;
  for (std::size_t i = 0; i < rows; ++i) table.push_back("line " + std::to_string(i) + std::string(i == 1 ? 90 : 0, 'x'));
  return table;
}

TEST(LiveTable, RedrawsLeaveTheTypedLineAlone) {
  constexpr std::size_t kWidth = 60, kHeight = 12, kInputRow = kHeight - 1, kNoteRow = kHeight - 2;
  Terminal terminal(kWidth, kHeight);
  terminal.Play(iohost::TableScreen(Table(3), "", kWidth, kHeight, true));
  EXPECT_EQ(terminal.Cursor(), std::make_pair(kInputRow, std::size_t{0}));
  const std::string typed = "set tank AO 0 7";
  terminal.Play(typed);  // echoed by the terminal where the cursor is
  for (const std::size_t rows : {3, 9, 10, 11, 30, 2}) {
    SCOPED_TRACE(rows);
    terminal.Play(iohost::TableScreen(Table(rows), "", kWidth, kHeight, false));
    EXPECT_EQ(terminal.Row(kInputRow), typed);
    EXPECT_EQ(terminal.Cursor(), std::make_pair(kInputRow, typed.size()));
    EXPECT_EQ(terminal.Row(0), "line 0");
    EXPECT_LT(terminal.Row(1).size(), kWidth) << "a long row must not wrap";
  }
  EXPECT_EQ(terminal.Row(2), "") << "rows of a taller table before are cleared";

  terminal.Play(iohost::TableScreen(Table(30), "", kWidth, kHeight, false));
  EXPECT_EQ(terminal.Row(kNoteRow - 1), "... 21 more lines: make the window taller");

  terminal.Play("\r\n");  // Enter
  EXPECT_EQ(terminal.Row(kNoteRow), typed);
  EXPECT_EQ(terminal.Row(kInputRow), "");
  EXPECT_EQ(terminal.Row(0), "line 0") << "the table must not scroll";
  terminal.Play(iohost::TableScreen(Table(4), "tank AO 0 = 7", kWidth, kHeight, false));
  EXPECT_EQ(terminal.Row(kNoteRow), "> tank AO 0 = 7");
  EXPECT_EQ(terminal.Cursor(), std::make_pair(kInputRow, std::size_t{0}));
}

}  // namespace
