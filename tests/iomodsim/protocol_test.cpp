// Framing as a module reads it: checksum on and off, noise, incomplete and
// foreign frames; and the field and wire-time helpers the replies rely on.
#include <gtest/gtest.h>

#include "iomodsim/wire_time.h"
#include "protocol.h"
#include "sim_test_support.h"

namespace sim::test {
namespace {

TEST(Framing, ChecksumOffAnswersPlainFramesOnly) {
  TestBus t;
  t.Add("mx43110", 1, "MX-43110");
  t.Add("mx43110", 0x1A, "MX-43110");
  EXPECT_EQ(t.bus.Respond("$01M\r"), "!0143110\r");
  EXPECT_EQ(t.bus.Respond("$1AM\r"), "!1A43110\r");
  EXPECT_EQ(t.bus.Respond("\x01\xff noise$01M\r"), "!0143110\r");  // noise before the frame start
  EXPECT_EQ(t.bus.Respond("$01M"), std::nullopt);         // not complete
  EXPECT_EQ(t.bus.Respond("$01M\r$01M\r"), std::nullopt);  // two frames are not one
  EXPECT_EQ(t.bus.Respond("$1aM\r"), std::nullopt);        // address digits are upper case
  EXPECT_EQ(t.bus.Respond("$02M\r"), std::nullopt);        // nobody there
  EXPECT_EQ(t.bus.Respond("~**\r"), std::nullopt);         // broadcasts are never answered
  EXPECT_EQ(t.bus.Respond("\r"), std::nullopt);
  BusStatistics stats = t.bus.Statistics();
  EXPECT_EQ(stats.frames, 9u);
  EXPECT_EQ(stats.answered, 3u);
  EXPECT_EQ(stats.malformed, 4u);
  EXPECT_EQ(stats.noModule, 2u);
}

TEST(Framing, ChecksumOnIsRequiredAndAppended) {
  BusOptions options;
  options.checksum = true;
  TestBus t(options);
  t.Add("mx43110", 1, "MX-43110");
  // $01M sums to D2, the reply !0143110 to 7B.
  EXPECT_EQ(t.bus.Respond("$01MD2\r"), "!01431107B\r");
  EXPECT_EQ(t.bus.Respond("$01MD3\r"), std::nullopt);
  EXPECT_EQ(t.bus.Respond("$01Md2\r"), std::nullopt);
  EXPECT_EQ(t.bus.Respond("$01M\r"), std::nullopt);
  EXPECT_EQ(t.bus.Respond("$0D2\r"), std::nullopt);
  EXPECT_EQ(t.bus.Statistics().checksumErrors, 4u);
  EXPECT_EQ(t.Ask("#01").size(), 1u + 8 * 7);  // a checksummed read, checked by Ask
}

TEST(Framing, RefusalsCarryTheChecksumToo) {
  BusOptions options;
  options.checksum = true;
  TestBus t(options);
  t.Add("mx43110", 1, "MX-43110");
  EXPECT_EQ(t.bus.Respond("$01X" + Checksum("$01X") + "\r"), "?01" + Checksum("?01") + "\r");
  EXPECT_EQ(t.bus.Statistics().refused, 1u);
}

TEST(FrameAssembler, SkipsNoiseAndSplitsAtCarriageReturns) {
  FrameAssembler assembler;
  std::vector<std::string> frames;
  for (char c : std::string("xx\r#01\rjunk$0")) {
    if (assembler.Add(c)) frames.push_back(assembler.Take());
  }
  for (char c : std::string("1M\r")) {
    if (assembler.Add(c)) frames.push_back(assembler.Take());
  }
  EXPECT_EQ(frames, (std::vector<std::string>{"#01\r", "$01M\r"}));
}

TEST(FrameAssembler, DropsAFrameThatNeverEnds) {
  FrameAssembler assembler;
  assembler.Add('#');
  for (std::size_t i = 0; i < FrameAssembler::kMaxFrameLength + 5; ++i) EXPECT_FALSE(assembler.Add('0'));
  EXPECT_FALSE(assembler.Add('\r'));  // the overlong frame was dropped, this CR ends nothing
  for (char c : std::string("$01M")) assembler.Add(c);
  EXPECT_TRUE(assembler.Add('\r'));
  EXPECT_EQ(assembler.Take(), "$01M\r");
}

TEST(FixedWidthField, KeepsItsWidth) {
  struct Case {
    double value;
    unsigned width, digits;
    const char* text;
  } cases[] = {
      {1.5, 7, 2, "+01.500"},   {-10, 7, 2, "-10.000"},     {25.3, 7, 4, "+0025.3"},  {1.5, 9, 2, "+01.50000"},
      {50, 7, 3, "+050.00"},    {-0.0001, 7, 2, "+00.000"},  {150, 7, 2, "+99.999"},   {-1e9, 7, 2, "-99.999"},
      {12345, 5, 4, "+9999"},
  };
  for (const Case& c : cases) EXPECT_EQ(FixedWidthField(c.value, c.width, c.digits), c.text) << c.value;
}

TEST(WireTime, TenBitsPerCharacter) {
  EXPECT_EQ(WireTime(14, 1200).count(), 116667);  // rounded up
  EXPECT_EQ(WireTime(1, 9600).count(), 1042);
  EXPECT_EQ(WireTime(960, 9600).count(), 1000000);
  EXPECT_EQ(WireTime(10, 0).count(), 0);
}

}  // namespace
}  // namespace sim::test
