// The CJ/T 188 client of one connection: it sends the read requests of its queue (with the
// wake-up preamble when the meter may be asleep), cuts answers out of the received bytes,
// matches them to the request awaited (or, when none is awaited, to any listen-only
// request), decodes their values and gathers the answers of one meter's request group into
// one packet for the host. A packet never holds more than one group: values held for a group
// go to the host on their own when another group's answer comes, when the client is
// deactivated or reloaded, and when the group's last request ends unanswered. A request that
// stays unanswered may report a failure status instead.
//
// Its state is guarded by the receive buffer's lock: the data path holds it, and so do the
// queue's steps (sending and time-outs), which run on the client's timer.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "cjt188/frame.h"
#include "cjt188/request_item.h"
#include "cjt188/text_resources.h"
#include "parser/scheduled_client.h"
#include "plugin/parsed_data_list.h"

namespace cjt {

class TSerialPortDM;

inline constexpr uint32_t WakeValidity = 60000;  // ms a preamble keeps a meter awake
inline constexpr int32_t PortFailure = -12;      // the host's send result for a failed port
inline constexpr uint32_t PortRetryPause = 1000;
inline constexpr uint32_t PortGiveUpPause = 10000;
// Failure status of a request that finally timed out: bytes came, but no valid answer; and
// nothing came at all.
inline constexpr uint8_t StatusGarbled = 0x40;
inline constexpr uint8_t StatusNoAnswer = 0x80;

class TCjt188ParserClient : public TCustomParserScheduledClient {
 public:
  TCjt188ParserClient(TSerialPortDM& dataSource, const TPluginCallRecord& record);
  ~TCjt188ParserClient() override { StopQueue(); }

  // Deactivation finishes the awaited request, hands over the values held and restarts the
  // serial numbers.
  void SetActive(bool value) override;
  // The values held go to the host before the items they belong to are replaced.
  void LoadRequests() override;
  std::unique_ptr<TBasicRequestItem> CreateRequestItem() override;
  int32_t FindFrame(bool& more) override;
  int32_t ParseFrame(TPacketTarget& target) override;

  // False when the next item of the queue belongs to the same meter and configured request.
  bool IsLastOfGroup(const TBasicRequestItem& item);
  // "[device/0x901F] " of the item, or of the awaited one; empty with neither.
  std::string DescribeRequest(const TBasicRequestItem* item);
  void OnRequestTimeout(TBasicRequestItem& item, bool& retry);
  // Every attempt to send the item was refused: it ends like a request that timed out.
  void OnRequestGivenUp(TBasicRequestItem& item);
  void FinishRequest(uint8_t code);
  // Hands the values held to the host through its send function, as their own packet.
  void DeliverHeld();

  // Writes one request (with the preamble when due); the host's last send result, or a
  // negative value.
  int32_t SendRequest(TRequestItem& item);
  bool HandleSendRequest(TBasicRequestItem* item, int32_t& timeout, int32_t& requestId);
  void OnQueueError(const std::exception& error, const std::string& text);

  int32_t SentDataSize = 0;
  bool DataSinceRequest = false;
  bool WakeSent = false;
  TTickTimer WakeTimer;
  std::string LastAddress;
  uint8_t Serial = 0;
  TAddressBytes HeardAddress{};
  bool AddressHeard = false;
  std::vector<uint8_t> FrameCopy;
  // The item the frame found last answers: the awaited request or a listen-only one.
  TRequestItem* Matched = nullptr;
  // The request frames sent last: a line that echoes returns them, and one that holds bytes
  // up may return an earlier attempt's while the next is awaited.
  using TRequestFrame = std::array<uint8_t, RequestFrameLength>;
  static constexpr size_t RecentRequestCount = 4;
  std::deque<TRequestFrame> RecentRequests;
  // The data identifier the matched frame is decoded as: its own, or the request's when the
  // meter wrote it low byte first.
  uint32_t FrameDI = 0;
  TParsedDataList Results;

 private:
  // The group the values in Results belong to: the configured request and meter of its
  // items, the meter that answered, and the items answered so far.
  struct THeldGroup {
    std::string AddressText;
    uintptr_t OriginId = 0;
    std::string DeviceId;
    std::vector<const TBasicRequestItem*> Items;
  };
  THeldGroup Held;
  // The values held belong to the item's group (and, when given, to the meter deviceId).
  bool HoldsGroupOf(const TRequestItem& item, const std::string* deviceId) const;
  // Makes Results the item's group's: values held for another group, or already holding
  // this item, are delivered first.
  void StartGroupFor(const TRequestItem& item, const std::string& deviceId);
  // The end of a request without an answer: with ExportFailed the failure status joins the
  // group, and the group's values go to the host when this was its last request.
  void EndUnanswered(const TRequestItem& item, uint8_t status);
  // A failure packet of its own, leaving the values held for another group alone.
  void SendFailureAlone(const TRequestItem& item, uint8_t status);
  void ClearHeld();
  void FillHeader(TkroParamsList& list, const TRequestItem& item, const std::vector<uint8_t>* packet,
                  const std::string& address) const;
  TSerialPortDM& Port;
  void Log(int level, const std::string& text);
  std::string Text(TTextId id) const;
  TRequestItem* CurrentItem() const;
  // The frame at the buffer's front answers candidate.
  bool Matches(const TRequestItem& candidate, const std::string& address, uint8_t control, uint32_t di);
  TRequestItem* FindCandidate(const std::string& address, uint8_t control, uint32_t di);
  bool AnyRequestAccepts(const std::string& address);
  // What became of a complete frame with a good checksum.
  enum class TFrameUse { Matched, Echo, Passed };
  TFrameUse UseFrame(std::span<const uint8_t> frame, bool& more);
  void ReportBadChecksum(std::span<const uint8_t> frame);
  void ReportForeignFrame(std::span<const uint8_t> frame, const std::string& address);
  void ReportUnallowable(const std::string& address);
  bool IsEcho(std::span<const uint8_t> frame) const;
  // Decodes the matched frame's values into a target: the header values first when it holds
  // none of the packet's values yet.
  void DecodeValues(const TRequestItem& item, const std::string& deviceId, TPacketTarget& into);
  // False when the row no longer fits the bytes left: the walk ends there. unitFirst: the
  // meter writes a value's unit byte in front of it.
  bool DecodeRow(const TRequestFuncType& row, bool unitFirst, size_t& offset, int32_t& remaining, TkroParamsList& into);
  void AddValue(const TRequestFuncType& row, size_t& offset, int32_t& remaining, TkroParamsList& into);
  void AddUnit(const TRequestFuncType& row, uint8_t unit, TkroParamsList& into);
  int32_t Send(const void* data, size_t length);
  void FillAddress(const TRequestItem& item, TAddressBytes& address) const;
};

}  // namespace cjt
