#include "groups/analog_out/analog_output_variant.h"

#include <cmath>
#include <cstring>

namespace rio {
namespace {

const TypeFormatRow kMixedModuleTypeFormats[] = {
    {"30", kSignedThreeDecimals}, {"31", kSignedThreeDecimals}, {"32", kSignedThreeDecimals},
    {"33", kSignedThreeDecimals}, {"34", kSignedFourDecimals},  {"35", kSignedFourDecimals},
};

}  // namespace

// Type codes outside the table are written with three decimals, like most
// of the table's codes.
const AnalogOutputVariant kMx43610Outputs{
    2,                                 // channels
    2,                                 // type code characters
    kSignedThreeDecimals,              // data format 00, unlisted type codes
    kMixedModuleTypeFormats,           // data format 00 by type code
    sizeof kMixedModuleTypeFormats / sizeof kMixedModuleTypeFormats[0],
    StartupValues::StoredPerChannel,
    false,                             // power-on mask
    false,                             // honours kFlagKeepDefaults
    WriteRule::OnChange,
};

const AnalogOutputVariant kMx43220Outputs{
    2,                                 // channels
    1,                                 // type code characters
    kUnsignedThreeDecimals,            // data format 00
    nullptr,
    0,
    StartupValues::WrittenThenStored,
    false,                             // power-on mask
    true,                              // honours kFlagKeepDefaults
    WriteRule::EveryScanUnlessContinuous,
};

const AnalogOutputVariant kMx43280Outputs{
    8,                                 // channels
    1,                                 // type code characters
    kSignedThreeDecimals,              // data format 00
    nullptr,
    0,
    StartupValues::StoredPerChannel,
    true,                              // power-on mask
    false,                             // honours kFlagKeepDefaults
    WriteRule::EveryScanUnlessContinuous,
};

DataFormat DataFormatOf(const char* moduleParams) {
  if (moduleParams == nullptr) return DataFormat::TwoDecimals;
  if (std::strncmp(moduleParams, "00", 2) == 0) return DataFormat::EngineeringUnits;
  if (std::strncmp(moduleParams, "02", 2) == 0) return DataFormat::Hexadecimal;
  return DataFormat::TwoDecimals;
}

WriteFormat WriteFormatFor(const AnalogOutputVariant& variant, DataFormat format, const char* typeToken) {
  switch (format) {
    case DataFormat::Hexadecimal:
      return kHexFormat;
    case DataFormat::TwoDecimals:
      return kSignedTwoDecimals;
    case DataFormat::EngineeringUnits:
      break;
  }
  if (typeToken != nullptr) {
    for (std::size_t i = 0; i < variant.typeFormatCount; ++i) {
      if (std::strncmp(typeToken, variant.typeFormats[i].typeCode, 2) == 0) return variant.typeFormats[i].format;
    }
  }
  return variant.engineeringFormat;
}

std::uint16_t HexStartupCode(float value, float low, float high) {
  const double scaled = (static_cast<double>(value) - low) * 65535.0 / (static_cast<double>(high) - low) + 32768.0;
  if (!std::isfinite(scaled)) return 0x8000;
  // The integer part, wrapped to 16 bits without converting an
  // out-of-range double to an integer.
  double wrapped = std::fmod(std::trunc(scaled), 65536.0);
  if (wrapped < 0) wrapped += 65536.0;
  return static_cast<std::uint16_t>(wrapped);
}

}  // namespace rio
