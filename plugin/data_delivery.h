// The ways decoded values and raw data reach the host: its send function (values, bytes to
// transmit, text commands), and the blocks of the ProcessData call being answered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "plugin/call_record.h"
#include "plugin/parsed_data_list.h"

namespace cjt {

class TkroPlugin;

// Hands the values (and their packet text) to the host's send function as a call record;
// nothing happens without a send function. The host copies what it keeps during the call.
void SendValues(TkroPlugin& plugin, uint32_t dataSourceId, uint32_t connectionKey, TParsedDataList& list);

// Bytes for the host to transmit, and text commands to it; the send function's result, or
// -1 without one (and for an empty text).
int32_t SendBytes(TkroPlugin& plugin, uint32_t dataSourceId, uint32_t connectionKey, const void* data, size_t length);
int32_t SendText(TkroPlugin& plugin, uint32_t dataSourceId, uint32_t connectionKey, std::string_view text);

// Puts the values into the output list of the ProcessData call being answered (appending,
// or replacing what is there) and returns the packet as ReturnPacketInCall does.
void ReturnValuesInCall(TkroPlugin& plugin, TPluginCallRecord& record, TParsedDataList& list,
                        std::string_view packetText, bool append);

// Counts a packet whose values are in the call's output list, and puts its text (appended to
// the texts before it, or alone) into the call's Input block as a text buffer that the
// instance owns until the thread's next ProcessData call.
void ReturnPacketInCall(TkroPlugin& plugin, TPluginCallRecord& record, std::string_view packetText, bool append);

// The call's output list when it is a list of ours, which values can be decoded into
// directly; null without an output list and for other makers' lists.
TkroParamsList* OwnOutputList(const TPluginCallRecord& record);

}  // namespace cjt
