#include "platform/mapi/NotSupported.h"
#include "platform/mapi/MapiDefs.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace winplat::mapi
{

namespace
{
// WINPLAT_QUIET=1 silences the layer's lines, as it does the other areas'.
bool Quiet() noexcept
{
    const char* quiet = std::getenv("WINPLAT_QUIET");
    return quiet && *quiet == '1';
}
} // namespace

HRESULT NotSupported(const char* operation) noexcept
{
    if (!Quiet())
        std::fprintf(stderr, "messaging: %s is not supported\n", operation);
    return MAPI_E_NO_SUPPORT;
}

void LogProblem(const char* format, ...) noexcept
{
    if (Quiet())
        return;
    std::va_list args;
    va_start(args, format);
    std::fputs("messaging: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
}

} // namespace winplat::mapi

namespace winplat::mapi
{

HRESULT NoExtendedError(void* lppMAPIError) noexcept
{
    if (lppMAPIError == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *static_cast<void**>(lppMAPIError) = nullptr;
    return S_OK;
}

} // namespace winplat::mapi
