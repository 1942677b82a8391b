// Calls the layer does not provide fail loudly: a line on standard error and a failure.
#pragma once

#include "platform/base/WinTypes.h"

namespace winplat::mapi
{
[[nodiscard]] HRESULT NotSupported(const char* operation) noexcept;
// A configuration or data problem worth a line, for the administrator of the test rig.
void LogProblem(const char* format, ...) noexcept __attribute__((format(printf, 1, 2)));
} // namespace winplat::mapi

namespace winplat::mapi
{
// GetLastError of every object: the layer keeps no extended error text.
[[nodiscard]] HRESULT NoExtendedError(void* lppMAPIError) noexcept;
} // namespace winplat::mapi
