#include "plugin/host_functions.h"

namespace cjt {

void THostFunctions::Resolve(platform::TModuleHandle host) {
  using platform::FindExport;
  SendNotify = FindExport(host, HostSendNotifyName);
  SendDataEx = reinterpret_cast<TSendDataEx>(FindExport(host, HostSendDataExName));
  DataSourceData = FindExport(host, HostDataSourceDataName);
  DataSourceState = FindExport(host, HostDataSourceStateName);
  ManageDynForm = FindExport(host, HostManageDynFormName);
  PostHostMessage = reinterpret_cast<platform::THostPostMessage>(FindExport(host, platform::HostPostMessageName));
}

}  // namespace cjt
