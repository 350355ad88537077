// Reading arguments from, and writing answers into, the parameter list of a call.
#pragma once

#include <optional>
#include <string>

#include "params/params_list_intf.h"
#include "params/variant.h"

namespace cjt {

// Whether the list has an entry with that name (whatever its value).
bool HasParam(IkroParamsListA* params, const char* name);

// The value of the named entry when it is given: the entry exists and its value is neither
// unassigned nor null (an empty text is given).
std::optional<TVariant> GivenParam(IkroParamsListA* params, const char* name);

// The given value as text or as an integer; nothing when it is not given.
std::optional<std::string> GivenText(IkroParamsListA* params, const char* name);
std::optional<int64_t> GivenInteger(IkroParamsListA* params, const char* name);

// Sets the value of an existing entry; a missing entry is added only when asked, otherwise
// the answer is dropped. A failing status of the list raises EOleError.
void SetParamValue(IkroParamsListA* params, const char* name, const TVariant& value, bool addIfMissing = false);

// The answer of a command goes to the entry RESULT.
inline constexpr char ResultParam[] = "RESULT";
inline void SetResult(IkroParamsListA* params, const TVariant& value, bool addIfMissing = false) {
  SetParamValue(params, ResultParam, value, addIfMissing);
}

}  // namespace cjt
