// A serial line as the bus thread uses it. Two implementations behind one
// interface: libserialport for the devices it knows (/dev/ttyS*, /dev/ttyUSB*,
// ...), and plain termios for terminals libserialport cannot look up, such as
// pseudo-terminals (libserialport 0.1.1 requires the device to be listed under
// /sys/class/tty, which /dev/pts/N is not).
//
// Contract: every call returns within its timeout. A negative result or false
// means the port failed (unplugged, closed by the peer, I/O error): the owner
// closes it and opens it again later. One thread uses a port at a time.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "station/station.h"

namespace iohost {

class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Sends all bytes within timeoutMs. False: port error (or timeout).
  virtual bool Write(const char* data, std::size_t size, unsigned timeoutMs) = 0;
  // Waits up to timeoutMs for input; returns the number of bytes read (at
  // most size; 0 when nothing came), or -1 on a port error.
  virtual int ReadSome(char* buffer, std::size_t size, unsigned timeoutMs) = 0;
  // Drops bytes received but not read yet (a late reply to an earlier request).
  virtual bool DiscardInput() = 0;
  // "libserialport" or "termios", for messages.
  virtual const char* Backend() const = 0;
};

// Opens path with the bus's line settings (baud, data bits, parity, stop
// bits, no flow control, raw). Null with a message in *error on failure.
std::unique_ptr<SerialPort> OpenSerialPort(const std::string& path, const station::Bus& line,
                                           std::string* error);

// The termios implementation alone (used by OpenSerialPort as the fallback).
std::unique_ptr<SerialPort> OpenTermiosPort(const std::string& path, const station::Bus& line,
                                            std::string* error);

}  // namespace iohost
