// The functions a host program exports for its plug-ins: the send function and, where there
// are no windows, the message function. What arrives is copied during the call and handed
// to the handler the host program sets.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cjt188/host_abi.h"

namespace cjt::host {

// One call of the send function, copied.
struct TSentData {
  uint32_t ModuleIndex = 0;
  uint32_t DataSourceId = 0;
  uint32_t ConnectionKey = 0;
  uint32_t Kind = 0;
  std::string Bytes;                                        // kinds 0x81 and 0x82
  std::string PacketText;                                   // kind 9
  std::vector<std::pair<std::string, std::string>> Values;  // kind 9: names and values as text
};

// Answers the send function's result.
using TSendHandler = std::function<int32_t(const TSentData& sent)>;

// Replaces the handler (null: the send function answers -1) and returns when no call of the
// send function runs any more, so the previous handler is no longer in use. Not to be called
// from inside a handler.
void SetSendHandler(TSendHandler handler);

}  // namespace cjt::host

extern "C" {
CJT_EXPORT CjtSendDataEx Corvane_SendDataEx;
CJT_EXPORT CjtPostMessage Corvane_PostMessage;
}
