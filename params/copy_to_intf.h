// Lists that the host hands over: as a list object of this implementation or as an
// interface reference, and copying into a list that is only reachable through its
// interface.
#pragma once

#include <cstdint>

#include "params/kro_params_list.h"
#include "params/params_list_intf.h"

namespace cjt {

// Copies items start..end (end below 0: to the end) of source into destination: name and
// value through Add, then key, data type and state through the new item. Nothing happens
// when either is null; a failing status raises EOleError.
void CopyToIntf(IkroParamsListA* source, IkroParamsListA* destination, int32_t start, int32_t end);

// The list object behind a pointer that the host passes as "a list", or null when the
// pointer is null or is taken as an interface reference instead: a list object has the
// Signature 0x0FDE2E4B in the word after its class reference, item array, Count and
// capacity. The host's pointer must address either a list object or an interface reference
// to an object at least that large; reading that word behind anything else is undefined,
// and hosts rely on this rule.
TkroParamsList* AsParamsListObject(void* list);

}  // namespace cjt
