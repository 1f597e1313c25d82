// libserialport implementation of SerialPort, and the choice of backend.
#include "serial_port.h"

#include <libserialport.h>

namespace iohost {
namespace {

std::string LastError(const char* what) {
  char* message = sp_last_error_message();
  std::string text = std::string(what) + ": " + (message != nullptr ? message : "unknown error");
  sp_free_error_message(message);
  return text;
}

class LibSerialPort final : public SerialPort {
 public:
  explicit LibSerialPort(sp_port* port) : port_(port) {}
  ~LibSerialPort() override {
    sp_close(port_);
    sp_free_port(port_);
  }
  LibSerialPort(const LibSerialPort&) = delete;
  LibSerialPort& operator=(const LibSerialPort&) = delete;

  bool Write(const char* data, std::size_t size, unsigned timeoutMs) override {
    const sp_return result = sp_blocking_write(port_, data, size, timeoutMs);
    return result >= 0 && static_cast<std::size_t>(result) == size;
  }
  int ReadSome(char* buffer, std::size_t size, unsigned timeoutMs) override {
    const sp_return result = sp_blocking_read_next(port_, buffer, size, timeoutMs);
    return result < 0 ? -1 : static_cast<int>(result);
  }
  bool DiscardInput() override { return sp_flush(port_, SP_BUF_INPUT) == SP_OK; }
  const char* Backend() const override { return "libserialport"; }

 private:
  sp_port* port_;
};

sp_parity ParityOf(station::Parity parity) {
  switch (parity) {
    case station::Parity::kEven: return SP_PARITY_EVEN;
    case station::Parity::kOdd: return SP_PARITY_ODD;
    default: return SP_PARITY_NONE;
  }
}

}  // namespace

std::unique_ptr<SerialPort> OpenSerialPort(const std::string& path, const station::Bus& line,
                                           std::string* error) {
  sp_port* port = nullptr;
  if (sp_get_port_by_name(path.c_str(), &port) != SP_OK) {
    // Not a device libserialport can look up (a pseudo-terminal, or a link
    // to one): drive it through termios, which serves any terminal.
    return OpenTermiosPort(path, line, error);
  }
  if (sp_open(port, SP_MODE_READ_WRITE) != SP_OK) {
    *error = LastError(("cannot open " + path).c_str());
    sp_free_port(port);
    return nullptr;
  }
  auto owned = std::make_unique<LibSerialPort>(port);
  if (sp_set_baudrate(port, static_cast<int>(line.baud)) != SP_OK ||
      sp_set_bits(port, static_cast<int>(line.dataBits)) != SP_OK ||
      sp_set_parity(port, ParityOf(line.parity)) != SP_OK ||
      sp_set_stopbits(port, static_cast<int>(line.stopBits)) != SP_OK ||
      sp_set_flowcontrol(port, SP_FLOWCONTROL_NONE) != SP_OK) {
    *error = LastError(("cannot set the line settings of " + path).c_str());
    return nullptr;
  }
  return owned;
}

}  // namespace iohost
