// #AAN + value text: sets one analog output. A live write formats the
// group's current value of its channel at every Prepare; a fixed write sends
// the text it was given (the start-up values of modules that store the
// present output).
#pragma once

#include <cstdint>

#include "framework/command.h"
#include "groups/analog_out/analog_output_variant.h"

namespace rio {

class OutputWriteCommand final : public Command {
 public:
  // Characters of the value text behind #AAN; longer texts are cut.
  static constexpr std::uint32_t kValueRoom = 8;

  explicit OutputWriteCommand(bool checksum);

  // source: the 32-bit word holding the value (a real's bits, or an integer
  // when the format is hexadecimal); read at every Prepare, never written.
  void SetLive(std::uint16_t address, std::uint32_t channel, const std::uint32_t* source, WriteFormat format);
  void SetFixed(std::uint16_t address, std::uint32_t channel, const char* valueText);

 protected:
  // Real-time path: formats into the command's own scratch text, no
  // allocation. The text is set anew, so its framing is measured again
  // whenever the value text changes length.
  void FillRequest() override;

 private:
  void FormatValue();

  std::uint16_t address_ = 0;
  char prefix_[8] = {};  // #AAN
  const std::uint32_t* source_ = nullptr;
  WriteFormat format_ = kHexFormat;
  bool live_ = false;
  // Wide enough for any 16-character value text and the NUL; snprintf cuts
  // what does not fit (a limit of 1e20 formats to far more).
  char scratch_[17] = {};
  char text_[24] = {};
};

}  // namespace rio
