#include "families.h"

#include <cctype>

namespace sim {
namespace {

constexpr std::uint8_t kVolts10 = 0x08;       // +-10 V
constexpr std::uint8_t kThermocoupleJ = 0x0E;
constexpr std::uint8_t kDigitalModule = 0x40;
constexpr std::uint8_t kOutputModule = 0x32;  // 0 to 10 V

FamilySpec AnalogInputs(std::string_view driver, std::vector<ModelRow> models) {
  FamilySpec family;
  family.driver = driver;
  family.models = std::move(models);
  family.typeCode = kVolts10;
  return family;
}

FamilySpec Thermocouples(std::string_view driver, std::vector<ModelRow> models) {
  FamilySpec family = AnalogInputs(driver, std::move(models));
  family.typeCode = kThermocoupleJ;
  family.minMax = true;
  family.thermal.cjcReadAndEnable = true;
  family.thermal.channelOffsets = true;
  return family;
}

FamilySpec AlarmInputs(std::string_view driver, std::vector<ModelRow> models) {
  FamilySpec family = AnalogInputs(driver, std::move(models));
  family.channelTypes = true;
  family.alarms = true;
  family.coefficients = true;
  family.format3Width = 9;
  family.digital = DigitalStyle::kPort;
  return family;
}

FamilySpec AnalogOutputs(std::string_view driver, std::vector<ModelRow> models) {
  FamilySpec family;
  family.driver = driver;
  family.models = std::move(models);
  family.typeCode = kOutputModule;
  return family;
}

FamilySpec DigitalBank(std::string_view driver, BankLayout layout, std::vector<ModelRow> models) {
  FamilySpec family;
  family.driver = driver;
  family.models = std::move(models);
  family.typeCode = kDigitalModule;
  family.digital = DigitalStyle::kBank;
  family.bankLayout = layout;
  return family;
}

ModelRow Inputs(std::string_view name, std::string_view code, unsigned count) { return {name, code, 0, 0, count, 0}; }
ModelRow Outputs(std::string_view name, std::string_view code, unsigned count) { return {name, code, 0, 0, 0, count}; }
ModelRow InOut(std::string_view name, std::string_view code, unsigned count) {
  return {name, code, 0, 0, count, count};
}

std::vector<FamilySpec> BuildFamilies() {
  std::vector<FamilySpec> families;
  families.push_back(AnalogInputs("mx43110", {{"MX-43110", "43110", 8}}));
  families.push_back(AnalogInputs("mx43110tk", {{"MX-43110TK", "43110TK", 8}}));

  families.push_back(Thermocouples("mx43120", {{"MX-43120", "43120", 8}}));
  FamilySpec perChannel = Thermocouples("mx43120h", {{"MX-43120H", "43120H", 8}, {"MX-43120N", "43120N", 10}});
  perChannel.channelTypes = true;
  families.push_back(perChannel);
  FamilySpec moduleOffset = Thermocouples("mx43120t", {{"MX-43120T", "43120T", 8}});
  moduleOffset.thermal.channelOffsets = false;
  moduleOffset.thermal.moduleOffset = true;
  families.push_back(moduleOffset);

  FamilySpec temperature = AnalogInputs("mx43130", {{"MX-43130T", "43130T", 8}});
  temperature.typeCode = kThermocoupleJ;
  temperature.channelTypes = true;
  temperature.thermal.channelOffsets = true;
  temperature.thermal.temperatureSettings = true;
  families.push_back(temperature);

  FamilySpec led = AnalogInputs("mx2430", {{"N-2430Q", "2430Q", 1}});
  led.led = true;
  families.push_back(led);

  FamilySpec twoOutputs = AnalogOutputs("mx43220", {{"MX-43220", "43220", 0, 2}});
  twoOutputs.storedValues = StoredValueStyle::kStoreCommands;
  families.push_back(twoOutputs);
  FamilySpec eightOutputs = AnalogOutputs("mx43280", {{"MX-43280V", "43280V", 0, 8}});
  eightOutputs.powerOnMask = true;
  families.push_back(eightOutputs);

  FamilySpec mixed = AlarmInputs("mx43610", {{"MX-43610H", "43610H", 6, 2, 2, 2}});
  mixed.coefficients = false;
  mixed.format3Width = 7;
  mixed.outputTypeLength = 2;
  families.push_back(mixed);
  families.push_back(AlarmInputs("mx43150", {{"MX-43150", "43150", 8, 0, 0, 8}}));
  families.push_back(AlarmInputs("mx2470", {{"N-2470", "2470", 8, 0, 0, 6}}));

  families.push_back(DigitalBank("mx43dio", BankLayout::kInputsLowOutputsAbove,
                                 {InOut("MX-43560", "43560", 16), InOut("MX-43550", "43550", 8),
                                  InOut("MX-43540", "43540", 8), InOut("MX-43530", "43530", 4)}));
  families.push_back(DigitalBank(
      "mx43di", BankLayout::kInputsOnly,
      {Inputs("MX-43722", "43722", 32), Inputs("MX-43722H", "43722", 32), Inputs("MX-43720", "43720X", 16),
       Inputs("MX-43718", "43718", 16), Inputs("MX-43716", "43716", 8), Inputs("MX-43714", "43714", 16),
       Inputs("MX-43714-B1", "43714", 16), Inputs("MX-43714-B4", "43714B4", 16),
       Inputs("MX-43714-BD2", "43714", 8), Inputs("MX-43714-F4", "43714F4", 16),
       Inputs("MX-43714H", "43714", 16), Inputs("MX-43712", "43712", 8), Inputs("MX-43710", "43710", 8)}));
  families.push_back(DigitalBank(
      "mx43do", BankLayout::kOutputsOnly,
      {Outputs("MX-43826", "43826", 16), Outputs("MX-43824", "43824", 32), Outputs("MX-43824H", "43824", 32),
       Outputs("MX-43822", "43822", 16), Outputs("MX-43822H", "43822", 16), Outputs("MX-43820", "43820", 16),
       Outputs("MX-43820H", "43820", 16), Outputs("MX-43818", "43818", 8), Outputs("MX-43816", "43816", 8),
       Outputs("MX-43814", "43814", 8), Outputs("MX-43812", "43812", 8), Outputs("MX-43812-3B", "43812", 8),
       Outputs("MX-43810", "43810", 8), Outputs("MX-43810H", "43810", 8)}));
  return families;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

}  // namespace

const std::vector<FamilySpec>& Families() {
  static const std::vector<FamilySpec> families = BuildFamilies();
  return families;
}

const FamilySpec* FindFamily(std::string_view driver) {
  for (const FamilySpec& family : Families()) {
    if (family.driver == driver) return &family;
  }
  return nullptr;
}

const ModelRow* FindModel(const FamilySpec& family, std::string_view name) {
  if (name.empty()) return family.models.empty() ? nullptr : &family.models.front();
  for (const ModelRow& row : family.models) {
    if (EqualIgnoringCase(row.name, name)) return &row;
  }
  return nullptr;
}

}  // namespace sim
