// The control commands that bring a module into service: reset, host
// watchdog, name query, configuration read and configuration write.
#pragma once

#include <cstdint>

#include "framework/command.h"

namespace rio {

// How the module parameter string states the module configuration, and so
// which configuration bytes the write takes from the string and which it
// sends back as the module reported them.
enum class ParamForm : std::uint8_t {
  Format,         // data format from the string; type code as read back
  FormatAndType,  // data format and type code from the string
  Plain,          // everything as read back
};

// The module's configuration bytes (TT, CC, FF) as the write sends them.
struct ModuleConfig {
  std::uint8_t typeCode = 0;
  std::uint8_t baudCode = 0;    // low 6 bits of CC
  std::uint8_t ccHighBits = 0;  // bits 6 and 7 of CC, as 0 to 3
  std::uint8_t dataFormat = 0;  // bits 0 and 1 of FF are sent
  std::uint8_t ffBit5 = 0;
  std::uint8_t ffBit6 = 0;
  std::uint8_t ffBit7 = 0;
  // A configuration read of this module succeeded since it last went
  // offline; until then nothing of the above is sent.
  bool readBack = false;
};

// ~AA1: resets the module's status.
class ResetCommand final : public Command {
 public:
  explicit ResetCommand(bool checksum);
  void Build(std::uint16_t address);
};

// ~AA3 E TT: host watchdog on (E = 1, timeout TT) or off.
class WatchdogCommand final : public Command {
 public:
  explicit WatchdogCommand(bool checksum);
  // Timeouts above 255 are sent as FF, the most the two digits can carry.
  void Build(std::uint16_t address, std::uint32_t timeout);
};

// $AAM: the module's name, compared with the configured model's code.
class NameQueryCommand final : public Command {
 public:
  explicit NameQueryCommand(bool checksum);
  // An empty code accepts any name: the query then only proves presence.
  void Build(std::uint16_t address, const char* expectedCode);

 protected:
  std::uint32_t Decode() override;

 private:
  char expectedCode_[16] = {};
};

// Decodes a configuration reply !AATTCCFF into config. Which bytes are
// taken depends on the form; false when the reply lacks a field or a field
// is not two hexadecimal digits.
bool DecodeConfigReply(const char* reply, std::uint32_t payloadLength, ParamForm form, ModuleConfig& config);

// $AA2: reads the module's configuration back.
class ConfigReadCommand final : public Command {
 public:
  ConfigReadCommand(bool checksum, ParamForm form, ModuleConfig& config);
  void Build(std::uint16_t address);

 protected:
  std::uint32_t Decode() override;

 private:
  ParamForm form_;
  ModuleConfig& config_;
};

// %AANNTTCCFF: writes the configuration back with the user's settings.
// Until a configuration read of this module has succeeded it sends that
// read ($AA2) in its place and decodes the reply as one, so no byte goes
// out that was not read from this module; it stays pending until the write
// itself was answered.
class ConfigWriteCommand final : public Command {
 public:
  ConfigWriteCommand(bool checksum, ParamForm form, ModuleConfig& config);
  void Build(std::uint16_t address);
  bool IsPending() const { return IsAwaitingReply() || sentReadInstead_; }

 protected:
  void FillRequest() override;
  std::uint32_t Decode() override;

 private:
  void Refill(bool asRead);

  ParamForm form_;
  ModuleConfig& config_;
  std::uint16_t address_ = 0;
  bool sentReadInstead_ = false;
  bool textIsRead_ = false;
};

}  // namespace rio
