#include "cjt188/serial_port_dm.h"

#include "cjt188/cjt188_parser_client.h"
#include "cjt188/data_module.h"

namespace cjt {

TSerialPortDM::TSerialPortDM(TaPlugin& module) : TDataSourceScheduledWithClients(module), Module(module) {
  Queue->RequestId = 0;
  // Time events live in the master queue: a text that cannot be used is reported there.
  Queue->OnError = [this](TQueueController&, const std::string&, const std::exception& error, const std::string& text) {
    Module.ReportQueueError(error, text);
  };
  ClientClass = [this](TDataSourceScheduledWithClients&, const TPluginCallRecord& record) {
    return std::unique_ptr<TCustomParserScheduledClient>(std::make_unique<TCjt188ParserClient>(*this, record));
  };
}

}  // namespace cjt
