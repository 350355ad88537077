// The protocol client of one connection of a data source: its receive buffer, the
// connection's identity as the host reported it, and the silence rule that lets
// housekeeping drop connections that have gone quiet.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "parser/tick_timer.h"
#include "plugin/call_record.h"
#include "plugin/kro_plugin_multi.h"
#include "support/fifo_stream.h"

namespace cjt {

class TDataSourceScheduledWithClients;
class TPacketTarget;

// The source name prefix of the records that make placeholder clients.
inline constexpr std::string_view PlaceholderPrefix = "__UT__";
inline constexpr uint32_t DefaultSilenceTimeout = 60000;
inline constexpr uint32_t NeverSilent = 0xFFFFFFFF;

// The source name of a record, up to its first NUL.
std::string RecordSourceName(const TPluginCallRecord& record);
// The name up to, not including, its last "." or ":"; empty when it holds neither.
std::string SourcePrefixOf(std::string_view sourceName);

class TCustomParserClient : public TkroPluginMulti {
 public:
  TCustomParserClient(TDataSourceScheduledWithClients& dataSource, const TPluginCallRecord& record);
  ~TCustomParserClient() override;

  virtual bool GetActive() { return Active; }
  virtual void SetActive(bool value);
  // Starts a new frame: the parse state as after construction, the silence timer restarted.
  virtual void ResetFrame();
  virtual void ClearBuffer();
  virtual void AddText(std::string_view data);
  // Called by housekeeping for every event-driven client that has not fallen silent.
  virtual void Idle() {}
  virtual void AddData(const void* data, int32_t length);
  // The protocol's frame hooks: the length of a complete frame at the buffer's front
  // (-1: none; more asks for another pass), then its decoding into target (-6 ends the pass).
  virtual int32_t FindFrame(bool& more) { return -1; }
  virtual int32_t ParseFrame(TPacketTarget& target) { return 0; }

  // Takes the connection of a record over: key, source name and prefix, data-source id.
  void ReadIdentity(const TPluginCallRecord& record);
  // Whether the silence timer has run ms since its last restart (never started: yes).
  bool SilentFor(uint32_t ms);

  TDataSourceScheduledWithClients& DataSource;
  int32_t BufferSize = 0;
  std::unique_ptr<TFIFOStream> Buffer;
  uintptr_t ConnectionKey = 0;
  std::string SourceName;
  std::string SourcePrefix;
  bool Stopped = false;
  int32_t DataSourceId = 0;
  bool Active = false;
  bool NewFrame = true;
  std::string FrameText1;
  std::string FrameText2;
  bool EventDriven = false;
  bool Placeholder = false;
  uint32_t SilenceTimeout = DefaultSilenceTimeout;
  TTickTimer SilenceTimer;
};

// The exclusive hold of a client's receive buffer, which guards the client's state.
class TClientLock {
 public:
  explicit TClientLock(TCustomParserClient& client) : Buffer(*client.Buffer) { Buffer.LockWrite(); }
  ~TClientLock() { Buffer.UnlockWrite(); }
  TClientLock(const TClientLock&) = delete;
  TClientLock& operator=(const TClientLock&) = delete;

 private:
  TFIFOStream& Buffer;
};

}  // namespace cjt
