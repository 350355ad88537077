// The CJ/T 188 data source: one per data source the host configured for the module, with
// CJ/T 188 clients for its connections.
#pragma once

#include <atomic>

#include "parser/data_source_with_clients.h"

namespace cjt {

class TaPlugin;

class TSerialPortDM : public TDataSourceScheduledWithClients {
 public:
  explicit TSerialPortDM(TaPlugin& module);
  ~TSerialPortDM() override { StopClients(); }
  bool IsBusy() override { return ModuleBusy || TDataSourceScheduledWithClients::IsBusy(); }

  TaPlugin& Module;
  // The host's port failed on the last send (-12); cleared by the next other result and by
  // the host's PORT-OPEN.
  std::atomic<bool> PortFailed{false};
  std::atomic<bool> ModuleBusy{false};
};

}  // namespace cjt
