// The CJ/T 188 client of one connection: it sends the read requests of its queue (with the
// wake-up preamble when the meter may be asleep), cuts answers out of the received bytes,
// matches them to the request awaited (or, listening only, to any listen-only request),
// decodes their values and gathers the answers of one meter's request group into one packet
// for the host. A request that stays unanswered may report a failure status instead.
//
// Its state is guarded by the receive buffer's lock: the data path holds it, and so do the
// queue's steps (sending and time-outs), which run on the client's timer.
#pragma once

#include <cstdint>
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

  // Deactivation finishes the awaited request and restarts the serial numbers.
  void SetActive(bool value) override;
  std::unique_ptr<TBasicRequestItem> CreateRequestItem() override;
  int32_t FindFrame(bool& more) override;
  int32_t ParseFrame(TParsedDataList& list) override;

  // False when the next item of the queue belongs to the same meter and configured request.
  bool IsLastOfGroup(const TBasicRequestItem& item);
  // Adds the packet's header values to Results when Results is still empty.
  void AddHeaderItems(const TRequestItem& item, const std::vector<uint8_t>* packet, const std::string& address);
  // "[device/0x901F] " of the item, or of the awaited one; empty with neither.
  std::string DescribeRequest(const TBasicRequestItem* item);
  void OnRequestTimeout(TBasicRequestItem& item, bool& retry);
  void FinishRequest(uint8_t code);

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
  // The data identifier the matched frame is decoded as: its own, or the request's when the
  // meter wrote it low byte first.
  uint32_t FrameDI = 0;
  TParsedDataList Results;

 private:
  TSerialPortDM& Port;
  void Log(int level, const std::string& text);
  std::string Text(TTextId id) const;
  TRequestItem* CurrentItem() const;
  // The frame at the buffer's front candidate matches; addressMatched tells whether the
  // address alone was accepted.
  bool Matches(const TRequestItem& candidate, const std::string& address, uint8_t control, uint32_t di,
               bool& addressMatched);
  TRequestItem* FindCandidate(const std::string& address, uint8_t control, uint32_t di, bool& addressMatched);
  void ReportForeignFrame(std::span<const uint8_t> frame, const std::string& address);
  void ReportUnallowable(const std::string& address);
  void DecodeValues(const TRequestItem& item);
  void DecodeRow(const TRequestFuncType& row, size_t& offset, int32_t& remaining);
  int32_t Send(const void* data, size_t length);
  void FillAddress(const TRequestItem& item, TAddressBytes& address) const;
};

}  // namespace cjt
