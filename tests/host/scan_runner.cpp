#include "host/scan_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace host {
namespace {

std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      out += "\\r";
    } else if (byte < 0x20 || byte > 0x7E) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

ScanRunner::ScanRunner() {
  const char* trace = std::getenv("RIO_HOST_TRACE");
  trace_ = trace != nullptr && *trace != '\0' && std::strcmp(trace, "0") != 0;
}

std::string ScanRunner::PayloadOf(const std::string& framed, bool checksum,
                                  std::string* problem) {
  std::string faults;
  std::string payload = framed;
  if (framed.empty()) {
    faults += "empty request; ";
  } else if (framed.back() != '\r') {
    faults += "no carriage return at the end; ";
  } else {
    payload.pop_back();
    if (checksum) {
      if (payload.size() < 3) {
        faults += "too short for checksum digits; ";
      } else {
        const std::string digits = payload.substr(payload.size() - 2);
        payload.resize(payload.size() - 2);
        const std::string expected = Responder::ChecksumDigits(payload);
        if (digits != expected) faults += "checksum digits " + digits + ", expected " + expected + "; ";
      }
    }
  }
  if (payload.empty() || std::strchr("#$@%~", payload[0]) == nullptr || payload[0] == '\0') {
    faults += "prefix is not one of # $ @ % ~; ";
  }
  if (std::any_of(payload.begin(), payload.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte > 0x7E;
      })) {
    faults += "non-printable character in the text; ";
  }
  if (problem != nullptr) *problem = faults;
  return payload;
}

ScanRunner::Exchange ScanRunner::Exchange1(hostabi::Command& command, Responder& responder) {
  Exchange exchange{{}, {}, hostabi::kHostTimeout, {}};
  InPlugin([&] { command.Prepare(); });
  const char* request = InPlugin([&] { return command.GetRequest(); });
  const std::uint32_t length = InPlugin([&] { return command.GetRequestLength(); });
  if (request != nullptr && length != 0) {
    exchange.framed.assign(request, length);
    if (request[length] != '\0') {
      ADD_FAILURE() << "request \"" << Escape(exchange.framed)
                    << "\": character after GetRequestLength is not NUL";
    }
  }
  std::string problem;
  exchange.request = PayloadOf(exchange.framed, responder.Checksum(), &problem);
  if (!problem.empty()) {
    ADD_FAILURE() << "badly framed request \"" << Escape(exchange.framed) << "\" (checksum "
                  << (responder.Checksum() ? "on" : "off") << "): " << problem;
  }

  char* buffer = InPlugin([&] { return command.GetReplyBuffer(); });
  const std::uint32_t size = InPlugin([&] { return command.GetReplyBufferSize(); });
  if (buffer == nullptr || size == 0) {
    exchange.status = InPlugin([&] { return command.ParseReply(); });  // no reply expected
    return exchange;
  }
  const std::optional<std::string> answer = responder.Answer(exchange.request);
  if (!answer) return exchange;  // silence: host timeout
  bool complete = false;
  const std::size_t room = static_cast<std::size_t>(size) - 1;  // last character stays NUL
  for (std::size_t i = 0; i < answer->size() && i < room; ++i) {
    buffer[i] = (*answer)[i];
    exchange.reply.push_back((*answer)[i]);
    const auto index = static_cast<std::uint32_t>(i);
    if (InPlugin([&] { return command.IsReplyComplete(index); }) != 0) {
      complete = true;
      break;
    }
  }
  if (complete) exchange.status = InPlugin([&] { return command.ParseReply(); });
  return exchange;
}

std::vector<ScanRunner::Exchange> ScanRunner::Scan(hostabi::Module& module,
                                                   Responder& responder) {
  std::vector<Exchange> exchanges;
  InPlugin([&] { module.ScheduleCommands(); });
  hostabi::RequestQueue* queue = InPlugin([&] { return module.GetRequestQueue(); });
  if (queue == nullptr) {
    ADD_FAILURE() << "GetRequestQueue returned null";
    return exchanges;
  }
  while (!queue->empty()) {
    if (exchanges.size() >= kMaxExchanges) {
      ADD_FAILURE() << "more than " << kMaxExchanges << " exchanges in one scan";
      break;
    }
    hostabi::Command* command = queue->front();
    if (command == nullptr) {
      ADD_FAILURE() << "null Command in the request queue";
      queue->pop_front();
      continue;
    }
    Exchange exchange = Exchange1(*command, responder);
    if (queue->empty() || queue->front() != command) {
      ADD_FAILURE() << "request queue changed during the exchange of \""
                    << Escape(exchange.framed) << "\"";
    } else {
      queue->pop_front();
    }
    InPlugin([&] { module.ReportResult(exchange.status); });
    if (trace_) {
      std::fprintf(stderr, "[host] %-24s -> %-32s status %u\n", Escape(exchange.framed).c_str(),
                   Escape(exchange.reply).c_str(), static_cast<unsigned>(exchange.status));
    }
    exchanges.push_back(std::move(exchange));
  }
  InPlugin([&] { module.RecordScan(); });
  return exchanges;
}

std::vector<ScanRunner::Exchange> ScanRunner::ScanIfDue(hostabi::Module& module,
                                                        Responder& responder) {
  if (InPlugin([&] { return module.IsScanDue(); }) == 0) return {};
  return Scan(module, responder);
}

std::vector<std::string> ScanRunner::Requests(const std::vector<Exchange>& exchanges) {
  std::vector<std::string> out;
  out.reserve(exchanges.size());
  for (const auto& exchange : exchanges) out.push_back(exchange.request);
  return out;
}

std::vector<std::uint32_t> ScanRunner::Statuses(const std::vector<Exchange>& exchanges) {
  std::vector<std::uint32_t> out;
  out.reserve(exchanges.size());
  for (const auto& exchange : exchanges) out.push_back(exchange.status);
  return out;
}

}  // namespace host
