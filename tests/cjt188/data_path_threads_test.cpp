// The data path with real timers and several host threads at once (run under
// ThreadSanitizer): answers and time-outs of one client, and clients made, scheduled,
// refreshed and dropped while the configuration is reloaded.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "cjt188/data_module.h"
#include "platform/thread.h"
#include "plugin/config_data_sources.h"
#include "tests/cjt188/module_harness.h"
#include "tests/common/pump_until.h"
#include "tools/cjt188-host/host_exports.h"
#include "tools/cjt188-meter/meter_simulator.h"

namespace cjt {
namespace {

constexpr TAddressBytes Address{0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00};

std::string Answer() {
  meter::TMeterSimulator sim({}, [] { return uint64_t{0}; });
  const std::vector<uint8_t> bytes = sim.BuildAnswer(meter::TMeterModel(0x20, Address, 1), 0x901F, 1);
  return std::string(bytes.begin(), bytes.end());
}

std::string Query(const std::string& method) {
  return "<QUERY><Request><Enabled>1</Enabled><Device>1234567</Device><DeviceType>20</DeviceType>"
         "<Timeout>3</Timeout><ExportFailed>1</ExportFailed>" +
         method + "<Response><Item><Function>901F</Function></Item></Response></Request></QUERY>";
}

class DataPathThreads : public testing::Test {
 protected:
  DataPathThreads() {
    host::SetSendHandler([this](const host::TSentData&) {
      ++Sends;
      return 16;
    });
    Module.Created();
    Module.HostFunctions.SendDataEx = &Corvane_SendDataEx;
    Module.EnabledTypes[0] = Module.EnabledTypes[1] = true;
    TConfigDataSource source;
    ParseConfigDataSource("1;COM1;Port 1", source);
    Module.ConfigDataSources.push_back(source);
  }
  ~DataPathThreads() override { host::SetSendHandler(nullptr); }

  void Start(const std::string& query) {
    TPluginCallRecord record{};
    int32_t result = 0;
    Module.OnLoad(Module, record, result);
    Module.Config->lblParams_Caption = query;
    Module.OnChangeState(Module, 1);
  }

  void Feed(uint32_t key, const std::string& bytes, uint8_t kind = DataKindByteBuffer, uintptr_t data = 0) {
    TkroParamsList output;
    TPluginCallRecord record = test_support::DataRecord(1, key, "COM1");
    record.Input = {0, static_cast<uint32_t>(bytes.size()), kind,
                    kind == DataKindConnection ? data : reinterpret_cast<uintptr_t>(bytes.data())};
    record.Output = {0, 0, DataKindListObject, reinterpret_cast<uintptr_t>(&output)};
    Module.ProcessData(record);
  }

  // Runs the workers while this thread serves its timers (the data source's and the
  // placeholder's), then joins them.
  void RunWorkers(std::vector<std::function<void()>> work) {
    std::atomic<size_t> done{0};
    std::vector<std::thread> threads;
    for (auto& job : work)
      threads.emplace_back([&done, job] {
        job();
        ++done;
      });
    EXPECT_TRUE(test_support::PumpUntil([&] { return done == threads.size(); }, 60000));
    for (auto& thread : threads) thread.join();
  }

  std::atomic<int> Sends{0};
  TaPlugin Module{0, nullptr};
};

TEST_F(DataPathThreads, AnswersAndTimeOutsOfOneClientDoNotInterleave) {
  Start(Query("<MethodPoll>1</MethodPoll><PollInterval>2</PollInterval><PollUnits>MS</PollUnits>"));
  const std::string answer = Answer();
  std::vector<std::function<void()>> work;
  for (int t = 0; t < 3; ++t)
    work.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        Feed(0, i % 3 == t ? answer : answer.substr(0, 20));
        platform::SleepMs(1);
      }
    });
  RunWorkers(work);
  EXPECT_GT(Sends.load(), 10);
}

TEST_F(DataPathThreads, ClientsComeAndGoWhileTheConfigurationIsReloaded) {
  Start(Query("<MethodCron>1</MethodCron><CronTime>* * * * * *</CronTime>"));
  std::vector<std::function<void()>> work;
  work.emplace_back([&] {  // connections open, send and close
    for (uint32_t key = 1; key < 200; ++key) {
      Feed(key, "", DataKindConnection, key % 2 ? ConnectionOpened : ConnectionClosed);
      Feed(key, Answer());
    }
  });
  work.emplace_back([&] {  // time events of the master queue trigger the clients' copies
    TSerialPortDM* port;
    {
      TReadLocked<TDataSourceList> sources(Module.DataSources);
      port = FindDataSource<TSerialPortDM>(*sources, 1);
    }
    for (int i = 0; i < 300; ++i) {
      TReadLocked<TBasicRequestList> items(port->Queue->Items);
      for (TBasicRequestItem* item : *items) port->OnMasterScheduled(*item);
    }
  });
  work.emplace_back([&] {  // the host reloads the settings
    for (int i = 0; i < 20; ++i) Module.OnLoadSettingsNow(Module);
  });
  RunWorkers(work);
  TReadLocked<TDataSourceList> sources(Module.DataSources);
  EXPECT_GT(FindDataSource<TSerialPortDM>(*sources, 1)->Clients.Count(), 0u);
}

}  // namespace
}  // namespace cjt
