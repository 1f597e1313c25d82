#include "sim_module.h"

#include "alarm_part.h"
#include "analog_inputs.h"
#include "analog_outputs.h"
#include "digital_parts.h"
#include "led_part.h"
#include "thermal_part.h"

namespace sim {
namespace {

constexpr std::uint8_t kChecksumBit = 0x40;      // FF bit 6
constexpr std::uint8_t kWatchdogTripped = 0x04;  // module status after the host watchdog expired

struct BaudCode {
  unsigned baud;
  std::uint8_t code;
};
const BaudCode kBaudCodes[] = {{1200, 0x03}, {2400, 0x04},  {4800, 0x05},  {9600, 0x06},
                               {19200, 0x07}, {38400, 0x08}, {57600, 0x09}, {115200, 0x0A}};

// CC of the configuration; 00 for a rate without a code.
std::uint8_t BaudCodeOf(unsigned baud) {
  for (const BaudCode& entry : kBaudCodes) {
    if (entry.baud == baud) return entry.code;
  }
  return 0;
}

}  // namespace

SimModule::SimModule(const FamilySpec& family, const ModelRow& model, unsigned address, const BusOptions& options,
                     std::uint64_t now)
    : family_(family), model_(model), baudCode_(BaudCodeOf(options.baud)), checksum_(options.checksum) {
  context_.address = address;
  context_.now = now;
  context_.digitalOutputCount = model.digitalOutputs;
  if (model.analogInputs > 0) {
    auto inputs = std::make_unique<AnalogInputPart>(family, model.analogInputs);
    analogInputs_ = inputs.get();
    context_.inputs = &inputs->Bank();
    parts_.push_back(std::move(inputs));
  }
  const ThermalFeatures& thermal = family.thermal;
  if (thermal.cjcReadAndEnable || thermal.channelOffsets || thermal.moduleOffset || thermal.temperatureSettings) {
    parts_.push_back(std::make_unique<ThermalPart>(thermal, model.analogInputs));
  }
  if (family.alarms) parts_.push_back(std::make_unique<AlarmPart>(model.analogInputs, family.coefficients));
  if (family.led) parts_.push_back(std::make_unique<LedPart>());
  if (model.analogOutputs > 0) parts_.push_back(std::make_unique<AnalogOutputPart>(family, model.analogOutputs));
  if (family.digital == DigitalStyle::kPort) {
    auto port = std::make_unique<PortDigitalPart>(model.digitalInputs, model.digitalOutputs);
    digitalInputs_ = &port->Inputs();
    parts_.push_back(std::move(port));
  } else if (family.digital == DigitalStyle::kBank) {
    auto bank = std::make_unique<BankDigitalPart>(family.bankLayout, model.digitalInputs, model.digitalOutputs);
    digitalInputs_ = &bank->Inputs();
    parts_.push_back(std::move(bank));
  }
  ForgetConfiguration();
  lastActivity_ = now;
  Advance(now);
}

SimModule::~SimModule() = default;

std::uint8_t SimModule::ChecksumBit() const { return checksum_ ? kChecksumBit : 0; }

void SimModule::ForgetConfiguration() {
  context_.typeCode = family_.typeCode;
  context_.formatByte = ChecksumBit();
  context_.safeState = false;
  watchdogEnabled_ = false;
  watchdogTenths_ = 0;
  for (auto& part : parts_) part->PowerOn(context_);
}

void SimModule::Advance(std::uint64_t now) {
  if (now > context_.now) context_.now = now;
  if (watchdogEnabled_ && watchdogTenths_ > 0 && !context_.safeState &&
      context_.now - lastActivity_ > 100ull * watchdogTenths_) {
    context_.safeState = true;
    for (auto& part : parts_) part->EnterSafeState(context_);
  }
  for (auto& part : parts_) part->Advance(context_);
}

std::string SimModule::Handle(const Request& request, std::uint64_t now, const AddressFree& addressFree) {
  Advance(now);
  lastActivity_ = context_.now;
  log_.push_back(request.text);
  if (log_.size() > kLogLength) log_.pop_front();
  if (auto reply = HandleControl(request, addressFree)) return *reply;
  for (auto& part : parts_) {
    if (auto reply = part->Handle(request, context_)) return *reply;
  }
  return Refuse(context_);
}

std::optional<std::string> SimModule::HandleControl(const Request& request, const AddressFree& addressFree) {
  const std::string& body = request.body;
  if (request.prefix == '~') {
    if (body == "0") return Acknowledge(context_) + Hex2(context_.safeState ? kWatchdogTripped : 0);
    if (body == "1") {  // reset the status: outputs take writes again
      context_.safeState = false;
      return Acknowledge(context_);
    }
    if (body == "2") return Acknowledge(context_) + (watchdogEnabled_ ? "1" : "0") + Hex2(watchdogTenths_);
    if (body.size() == 4 && body[0] == '3') {  // ~AA3 enable timeout (0.1 s)
      auto tenths = ParseHex(std::string_view(body).substr(2), 2, 2);
      if ((body[1] != '0' && body[1] != '1') || !tenths) return Refuse(context_);
      watchdogEnabled_ = body[1] == '1';
      watchdogTenths_ = *tenths;
      return Acknowledge(context_);
    }
    return std::nullopt;
  }
  if (request.prefix == '$' && body == "M") return Acknowledge(context_) + std::string(model_.code);
  if (request.prefix == '$' && body == "2") {
    return Acknowledge(context_) + Hex2(context_.typeCode) + Hex2(baudCode_) + Hex2(context_.formatByte);
  }
  if (request.prefix == '%') return HandleConfigurationWrite(request, addressFree);
  return std::nullopt;
}

// %AANNTTCCFF: new address, type code, baud code, format byte. The baud rate
// and the checksum bit (FF bit 6) are fixed by the bus: a write that changes
// them is refused, as a module refuses it without its set-up jumper.
std::string SimModule::HandleConfigurationWrite(const Request& request, const AddressFree& addressFree) {
  const std::string& body = request.body;
  if (body.size() != 8) return Refuse(context_);
  std::string_view view(body);
  auto address = ParseHex(view.substr(0, 2), 2, 2);
  auto type = ParseHex(view.substr(2, 2), 2, 2);
  auto baud = ParseHex(view.substr(4, 2), 2, 2);
  auto format = ParseHex(view.substr(6, 2), 2, 2);
  if (!address || !type || !baud || !format) return Refuse(context_);
  if (*baud != baudCode_ || (*format & kChecksumBit) != ChecksumBit()) return Refuse(context_);
  if (*address != context_.address && !addressFree(*address)) return Refuse(context_);
  context_.address = *address;
  context_.typeCode = static_cast<std::uint8_t>(*type);
  context_.formatByte = static_cast<std::uint8_t>(*format);
  return Acknowledge(context_);
}

void SimModule::HostAlive(std::uint64_t now) {
  Advance(now);
  lastActivity_ = context_.now;
}

void SimModule::PowerCycle(std::uint64_t now, std::uint64_t silentMs) {
  Advance(now);
  ForgetConfiguration();
  lastActivity_ = context_.now;
  silentUntil_ = context_.now + silentMs;
}

ModuleSnapshot SimModule::Snapshot(std::uint64_t now) {
  Advance(now);
  ModuleSnapshot snapshot;
  snapshot.driver = std::string(family_.driver);
  snapshot.model = std::string(model_.name);
  snapshot.code = std::string(model_.code);
  snapshot.address = context_.address;
  snapshot.typeCode = context_.typeCode;
  snapshot.baudCode = baudCode_;
  snapshot.formatByte = context_.formatByte;
  snapshot.watchdogEnabled = watchdogEnabled_;
  snapshot.watchdogTenths = watchdogTenths_;
  snapshot.safeState = context_.safeState;
  snapshot.silent = IsSilent(context_.now);
  for (const auto& part : parts_) part->Describe(context_, snapshot);
  return snapshot;
}

bool SimModule::PinAnalogInput(unsigned channel, std::optional<double> value, std::uint64_t now) {
  Advance(now);
  if (!analogInputs_ || !analogInputs_->Bank().Pin(channel, value)) return false;
  for (auto& part : parts_) part->Advance(context_);
  return true;
}

bool SimModule::PinDigitalInput(unsigned channel, std::optional<bool> level, std::uint64_t now) {
  Advance(now);
  return digitalInputs_ && digitalInputs_->Pin(channel, level, context_.now);
}

}  // namespace sim
