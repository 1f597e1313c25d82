// Test host: a scripted module on the bus. Requests are matched on their
// payload, the request text without checksum digits and carriage return
// ("$01M" for the framed "$01MD2\r"). The ScanRunner checks the framing of
// every request against Checksum() before asking the Responder.
//
//   host::Responder bus(/*checksum=*/true);   // same setting as Initialize's checksum
//   bus.On("$01M", "!0143110");        // framed reply: "!0143110" + "XX" + "\r"
//   bus.OnRaw("#01", ">+01.000");      // exact bytes: no carriage return
//   bus.Silent("~011");                 // no reply: host timeout
//   bus.SetFallback([](const std::string& request) -> std::optional<std::string> {
//     if (request.rfind("#01", 0) == 0) return ">";  // framed like On()
//     return std::nullopt;                           // no reply
//   });
//
// Lookup order: exact registrations (On/OnRaw/Silent, the latest for a payload
// wins), then the fallback, else no reply (the runner reports kHostTimeout).
// Everything may be changed between scans; On() replies are framed when
// answered, with the checksum setting in force then.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace host {

class Responder {
 public:
  // Computes a reply payload for a request payload; nullopt = no reply.
  using Handler = std::function<std::optional<std::string>(const std::string& request)>;

  explicit Responder(bool checksum) : checksum_(checksum) {}

  bool Checksum() const { return checksum_; }
  void SetChecksum(bool checksum) { checksum_ = checksum; }

  // Two upper-case hexadecimal digits of the byte sum of text, modulo 256.
  static std::string ChecksumDigits(const std::string& text);
  // payload + checksum digits (when on) + "\r".
  std::string Frame(const std::string& payload) const;

  void On(const std::string& request, const std::string& replyPayload);
  void OnRaw(const std::string& request, const std::string& replyBytes);
  void Silent(const std::string& request);
  void Forget(const std::string& request);  // back to fallback / no reply
  void SetFallback(Handler handler) { fallback_ = std::move(handler); }
  void Clear();                             // forget everything, fallback too

  // The complete bytes to deliver for a request payload; nullopt = no reply.
  std::optional<std::string> Answer(const std::string& request) const;

 private:
  bool checksum_;
  struct Entry {
    enum Kind { kFramed, kRaw, kSilent } kind;
    std::string bytes;  // payload (kFramed, framed at Answer time) or exact bytes (kRaw)
  };
  std::map<std::string, Entry> replies_;
  Handler fallback_;
};

}  // namespace host
