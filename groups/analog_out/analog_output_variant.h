// What distinguishes the modules that share the analog output group: channel
// count, type-code length, engineering-unit formats, how the start-up values
// reach the module and when outputs are written. Each module family is one
// constant table handed to AnalogOutputGroup's constructor.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rio {

// How a value text is formatted: a 32-bit integer in upper-case hexadecimal
// ("%X"), or a real zero-padded to a width with a precision ("%+07.3f" is
// {false, true, 7, 3}). Kept as data so no format string is built at run
// time.
struct WriteFormat {
  bool hexadecimal;
  bool plusSign;
  std::uint8_t width;
  std::uint8_t precision;
};

constexpr WriteFormat kHexFormat{true, false, 0, 0};
constexpr WriteFormat kSignedTwoDecimals{false, true, 7, 2};     // "%+07.2f"
constexpr WriteFormat kSignedThreeDecimals{false, true, 7, 3};   // "%+07.3f"
constexpr WriteFormat kSignedFourDecimals{false, true, 7, 4};    // "%+07.4f"
constexpr WriteFormat kUnsignedThreeDecimals{false, false, 6, 3};  // "%06.3f"

// Engineering-unit format of one output type code (data format 00).
struct TypeFormatRow {
  const char* typeCode;  // compared over its first two characters
  WriteFormat format;
};

// How the power-on and safe values are given to the module at start-up.
enum class StartupValues : std::uint8_t {
  // ~AA6PN / ~AA6SN with the value text, per channel after its type.
  StoredPerChannel,
  // The value is written as the output (#AAN) and then stored as the safe
  // (~AA5N) or power-on ($AA4N) value, each step for all channels in turn.
  WrittenThenStored,
};

// When the live writes of an online module are queued.
enum class WriteRule : std::uint8_t {
  // Only when the value changed, in every scan mode.
  OnChange,
  // Every scan, except in continuous mode while online: then on change.
  EveryScanUnlessContinuous,
};

struct AnalogOutputVariant {
  std::uint32_t channelCount;    // at most AnalogOutputGroup::kMaxChannels
  std::uint32_t typeCodeLength;  // characters of token 1 sent in $AA9N
  // Data format 00: the format of a type code found in typeFormats, else
  // engineeringFormat (the only one when the table is empty).
  WriteFormat engineeringFormat;
  const TypeFormatRow* typeFormats;
  std::size_t typeFormatCount;
  StartupValues startupValues;
  // A power-on token "R" builds no ~AA6P request; the channel's bit is set
  // in the power-on mask sent with @AABB instead.
  bool powerOnMask;
  // Bit 1 of the Initialize flags (kFlagKeepDefaults) leaves the stored
  // start-up values alone.
  bool honoursKeepDefaults;
  WriteRule writeRule;
};

// The two outputs of the mixed I/O module.
extern const AnalogOutputVariant kMx43610Outputs;
// The two-channel analog output module.
extern const AnalogOutputVariant kMx43220Outputs;
// The eight-channel analog output module.
extern const AnalogOutputVariant kMx43280Outputs;

// Which value rule and write format a data format code (the first two
// characters of the module parameter string) selects: "02" reads the
// variable as a 32-bit integer and writes it in hexadecimal; every other
// code reads a real and limits it. "00" writes engineering units, "01" and
// any code not defined for these modules "%+07.2f".
enum class DataFormat : std::uint8_t { EngineeringUnits, TwoDecimals, Hexadecimal };
DataFormat DataFormatOf(const char* moduleParams);

// The write format of a channel whose token 1 is typeToken.
WriteFormat WriteFormatFor(const AnalogOutputVariant& variant, DataFormat format, const char* typeToken);

// The hexadecimal start-up code of a value between the limits: the low 16
// bits of the integer part of (value - low) * 65535 / (high - low) + 32768.
// A value that gives no finite number (equal limits, NaN or infinite value
// or limits) gets 0x8000, the code of the low limit.
std::uint16_t HexStartupCode(float value, float low, float high);

}  // namespace rio
