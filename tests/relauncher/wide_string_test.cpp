#include "platform/wide_string.h"

#include <gtest/gtest.h>

namespace relauncher_test {
namespace {

using namespace platform;

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(WideStringTest, CompareIsExactAndOrdersByUnsignedCharacter) {
  struct Case {
    const WCHAR* left;
    const WCHAR* right;
    int sign;
  };
  const Case cases[] = {
      {u"Corvane.exe", u"Corvane.exe", 0},
      {u"", u"", 0},
      {u"corvane.exe", u"Corvane.exe", 1},
      {u"Corvane.ex", u"Corvane.exe", -1},
      {u"Corvane.exe", u"Corvane.ex", 1},
      {u"", u"a", -1},
      {u"\u00e9", u"e", 1},
      {u"\uffff", u"\u7fff", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sign(wcscmp(c.left, c.right)), c.sign) << "case " << &c - cases;
  }
}

TEST(WideStringTest, SearchFindsTheFirstOccurrence) {
  const WCHAR text[] = u"\\Storage\\FBdata\\FB\\FB\\";
  EXPECT_EQ(wcsstr(text, u"FB\\"), text + 16);
  EXPECT_EQ(wcsstr(text, u"\\Storage"), text);
  EXPECT_EQ(wcsstr(text, u""), text);
  EXPECT_EQ(wcsstr(text, u"fb\\"), nullptr);
  EXPECT_EQ(wcsstr(text, u"FB\\FB\\\\"), nullptr);  // runs past the end of the text
  EXPECT_EQ(wcsstr(u"", u"FB"), nullptr);
  WCHAR mutableText[] = u"\\Disk\\MyFB\\Tools\\";
  WCHAR* found = wcsstr(mutableText, u"FB\\");
  ASSERT_EQ(found, mutableText + 8);
  *found = 0;
  EXPECT_EQ(wcslen(mutableText), 8u);
}

TEST(WideStringTest, AppendAddsAtTheEndAndKeepsTheTerminator) {
  WCHAR buffer[24] = u"\\Flash\\App\\";
  for (WCHAR& c : buffer) {
    if (&c > buffer + wcslen(buffer)) c = u'#';  // garbage after the terminator
  }
  EXPECT_EQ(wcscat(buffer, u"Corvane.exe"), buffer);
  EXPECT_EQ(wcscmp(buffer, u"\\Flash\\App\\Corvane.exe"), 0);
  EXPECT_EQ(buffer[23], u'#');
  EXPECT_EQ(wcscmp(wcscat(buffer, u""), u"\\Flash\\App\\Corvane.exe"), 0);
}

}  // namespace
}  // namespace relauncher_test
