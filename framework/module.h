// The per-module object the host drives: twelve operations in the host's
// fixed slot order. The destructor comes after them so no slot moves.
#pragma once

#include <cstdint>

#include "framework/command.h"
#include "framework/host_records.h"

namespace rio {

class Module {
 public:
  virtual std::uint8_t Initialize(VariableDb* db, IoNode node, std::uint32_t flags, std::uint8_t checksum) = 0;
  virtual void Destroy() = 0;
  virtual std::uint8_t IsScanDue() = 0;
  virtual void ScheduleCommands() = 0;
  virtual RequestQueue* GetRequestQueue() = 0;
  virtual void ClearModuleAddress(std::uint8_t clear) = 0;
  virtual void SetWatchdogTimeout(std::uint32_t value) = 0;
  virtual void ReportResult(std::uint32_t status) = 0;
  virtual void RecordScan() = 0;
  virtual std::uint16_t GetModuleAddress() = 0;
  virtual std::uint32_t GetScanMode() = 0;
  virtual std::int32_t GetHostValue() = 0;

 protected:
  Module() = default;
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  virtual ~Module() = default;
};

}  // namespace rio
