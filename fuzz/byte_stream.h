// The fuzz inputs are read front to back as a plain byte stream, so that a
// seed can be written by the same rules (ByteWriter) that the target reads
// it with (ByteReader). A used-up stream reads as zeros and empty texts: every
// input, however short, is a valid one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return position_ >= size_; }

  std::uint8_t U8() { return Empty() ? 0 : data_[position_++]; }
  std::uint16_t U16() {
    const std::uint16_t low = U8();
    return static_cast<std::uint16_t>(low | (U8() << 8));
  }
  std::uint32_t U32() {
    const std::uint32_t low = U16();
    return low | (static_cast<std::uint32_t>(U16()) << 16);
  }
  // At most count bytes: fewer when the stream ends.
  std::string Bytes(std::size_t count) {
    const std::size_t left = Empty() ? 0 : size_ - position_;
    const std::size_t n = count < left ? count : left;
    std::string bytes(reinterpret_cast<const char*>(data_ + position_), n);
    position_ += n;
    return bytes;
  }
  // A length byte, then that many bytes.
  std::string Text() { return Bytes(U8()); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

class ByteWriter {
 public:
  void U8(std::uint8_t value) { data_.push_back(static_cast<char>(value)); }
  void U16(std::uint16_t value) {
    U8(static_cast<std::uint8_t>(value));
    U8(static_cast<std::uint8_t>(value >> 8));
  }
  void U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value));
    U16(static_cast<std::uint16_t>(value >> 16));
  }
  void Bytes(const std::string& bytes) { data_ += bytes; }
  // Texts longer than a length byte can say are cut to 255 bytes.
  void Text(const std::string& text) {
    const std::string cut = text.substr(0, 255);
    U8(static_cast<std::uint8_t>(cut.size()));
    Bytes(cut);
  }

  const std::string& Data() const { return data_; }

 private:
  std::string data_;
};

}  // namespace fuzz
