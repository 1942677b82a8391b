#include "platform/ads/NetApi.h"

#include "platform/ads/DcLocator.h"
#include "platform/base/CString.h"
#include "platform/base/PlatformConfig.h"
#include "platform/base/SafePoint.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace
{

using winplat::ads::DcLocation;

// The lookup's only diagnostics: one line on stderr, which tests may silence.
void Report(const std::string& domain, const std::string& what) noexcept
{
    if (const char* quiet = std::getenv("WINPLAT_QUIET"); quiet && *quiet == '1')
        return;
    std::fprintf(stderr, "domain locator: %s: %s\n", domain.c_str(), what.c_str());
}

NET_API_STATUS Locate(LPCWSTR DomainName, LPBYTE* Buffer)
{
    auto config = winplat::PlatformConfig::Current();
    winplat::ads::DcLocator locator(*config);
    const std::string domain = DomainName ? winplat::ToUtf8(DomainName) : std::string();
    DcLocation found = DomainName ? locator.Find(domain) : locator.FindOwn();
    const std::string shown = DomainName ? "\"" + domain + "\"" : "this computer's domain";
    if (found.result != DcLocation::Result::Found)
    {
        Report(shown, "no domain controller: " + found.reason);
        return found.result == DcLocation::Result::NoSuchDomain ? ERROR_NO_SUCH_DOMAIN
                                                                : NERR_DCNotFound;
    }

    const std::u16string name = u"\\\\" + winplat::FromUtf8(found.host);
    auto* text = static_cast<WCHAR*>(std::malloc((name.size() + 1) * sizeof(WCHAR)));
    if (text == nullptr)
        return ERROR_NOT_ENOUGH_MEMORY;
    name.copy(text, name.size());
    text[name.size()] = u'\0';
    *Buffer = reinterpret_cast<LPBYTE>(text);
    return NERR_Success;
}

} // namespace

NET_API_STATUS NetGetDCName(LPCWSTR ServerName, LPCWSTR DomainName, LPBYTE* Buffer) noexcept
{
    winplat::SafePoint();
    if (Buffer == nullptr)
        return ERROR_INVALID_PARAMETER;
    *Buffer = nullptr;
    try
    {
        if (ServerName != nullptr)
        {
            Report("\"" + winplat::ToUtf8(ServerName) + "\"",
                   "only the local computer can look up a domain controller");
            return ERROR_NOT_SUPPORTED;
        }
        return Locate(DomainName, Buffer);
    }
    catch (const std::bad_alloc&)
    {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    catch (...)
    {
        return NERR_DCNotFound;
    }
}

NET_API_STATUS NetApiBufferFree(LPVOID Buffer) noexcept
{
    std::free(Buffer);
    return NERR_Success;
}
