#include "cjt188/serial_port_dm.h"

#include "cjt188/cjt188_parser_client.h"
#include "cjt188/data_module.h"

namespace cjt {

TSerialPortDM::TSerialPortDM(TaPlugin& module) : TDataSourceScheduledWithClients(module), Module(module) {
  Queue->RequestId = 0;
  ClientClass = [this](TDataSourceScheduledWithClients&, const TPluginCallRecord& record) {
    return std::unique_ptr<TCustomParserScheduledClient>(std::make_unique<TCjt188ParserClient>(*this, record));
  };
}

}  // namespace cjt
