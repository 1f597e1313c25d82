// The module families the simulator knows, as data: for each deliverable
// name its model table (display name, module code, channel counts) and the
// protocol blocks its modules answer. SimModule builds a module from a
// family and one model row.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace sim {

struct ModelRow {
  std::string_view name;  // display name, compared with letter case ignored
  std::string_view code;  // what the name query answers
  unsigned analogInputs = 0, analogOutputs = 0, digitalInputs = 0, digitalOutputs = 0;
};

// Cold-junction functions of thermocouple and temperature modules.
struct ThermalFeatures {
  bool cjcReadAndEnable = false;      // $AA3, ~AACd
  bool channelOffsets = false;        // $AA9 sign hhhh C c (0.1 degree steps)
  bool moduleOffset = false;          // $AA9 sign hhhh (0.01 degree steps)
  bool temperatureSettings = false;   // @AAA2C c T vv
};

enum class StoredValueStyle {
  kTextCommands,   // ~AA6 P|S channel text
  kStoreCommands,  // write the value, then $AA4 channel (power-on) or ~AA5 channel (safe)
};

enum class DigitalStyle {
  kNone,
  kPort,  // @AADI, @AADO, ~AA5 power-on safe, @AAREC/@AACEC counters
  kBank,  // @AA read and write, ~AA5P/~AA5S, #AA channel counter, $AAC channel clear
};

// Where the bank read ("@AA") puts the inputs and outputs.
enum class BankLayout {
  kInputsLowOutputsAbove,  // inputs in the low n bits, outputs in the n bits above
  kInputsOnly,             // 8 or fewer inputs in bits 8 to 15, more from bit 0
  kOutputsOnly,            // outputs from bit 0
};

struct FamilySpec {
  std::string_view driver;
  std::vector<ModelRow> models;
  std::uint8_t typeCode = 0;  // factory TT; also the channels' type where channels have their own
  bool channelTypes = false;  // $AA7C c R tt per channel
  bool minMax = false;        // @AARH, @AARL, @AACH c, @AACL c
  unsigned format3Width = 7;  // field width of analog reads in data format 3
  ThermalFeatures thermal;
  bool alarms = false;        // @AAHI, @AALO, @AADHC, @AADLC, @AACHC, @AACLC
  bool coefficients = false;  // @AAS letter T tt C text
  bool led = false;           // $AA8 mode, $AA9 value
  unsigned outputTypeLength = 1;  // characters of the analog output type code
  StoredValueStyle storedValues = StoredValueStyle::kTextCommands;
  bool powerOnMask = false;   // @AABB mask
  DigitalStyle digital = DigitalStyle::kNone;
  BankLayout bankLayout = BankLayout::kOutputsOnly;
};

const std::vector<FamilySpec>& Families();
const FamilySpec* FindFamily(std::string_view driver);
// The first row whose display name equals name, letter case ignored; an
// empty name gives the first row.
const ModelRow* FindModel(const FamilySpec& family, std::string_view name);

}  // namespace sim
