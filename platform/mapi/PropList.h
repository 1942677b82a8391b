// GetProps and GetPropList over a list of values held by an object.
#pragma once

#include "platform/mapi/PropValue.h"

#include <vector>

namespace winplat::mapi
{

// With no tag array, every value (text as UTF-16 under MAPI_UNICODE); otherwise one value per
// tag, an error value MAPI_E_NOT_FOUND where the object has none, and then the result
// MAPI_W_ERRORS_RETURNED.
[[nodiscard]] HRESULT GetPropsFrom(const std::vector<PropValue>& props,
                                   LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                                   LPSPropValue* lppPropArray) noexcept;
[[nodiscard]] HRESULT GetPropListFrom(const std::vector<PropValue>& props, ULONG ulFlags,
                                      LPSPropTagArray* lppPropTagArray) noexcept;
// A problem array for SetProps and DeleteProps, or none when nothing went wrong.
[[nodiscard]] HRESULT MakeProblems(const std::vector<SPropProblem>& problems,
                                   LPSPropProblemArray* lppProblems) noexcept;
const PropValue* FindById(const std::vector<PropValue>& props, ULONG tag) noexcept;

} // namespace winplat::mapi
