#include "platform/base/Locale.h"

#include "platform/base/CString.h"
#include "platform/base/CodePage.h"

#include <cstring>

int CompareStringW(LCID, DWORD flags, LPCWSTR a, int na, LPCWSTR b, int nb) noexcept
{
    if (a == nullptr || b == nullptr || (flags & ~NORM_IGNORECASE) != 0)
        return 0;
    try
    {
        CString sa(a, na < 0 ? static_cast<int>(std::char_traits<char16_t>::length(a)) : na);
        CString sb(b, nb < 0 ? static_cast<int>(std::char_traits<char16_t>::length(b)) : nb);
        int r = (flags & NORM_IGNORECASE) ? sa.CompareNoCase(sb) : sa.Compare(sb);
        return r < 0 ? CSTR_LESS_THAN : (r == 0 ? CSTR_EQUAL : CSTR_GREATER_THAN);
    }
    catch (...)
    {
        return 0;
    }
}

int CompareStringA(LCID locale, DWORD flags, LPCSTR a, int na, LPCSTR b, int nb) noexcept
{
    if (a == nullptr || b == nullptr)
        return 0;
    try
    {
        std::u16string wa = winplat::AnsiToWide(
            std::string_view(a, na < 0 ? std::strlen(a) : static_cast<size_t>(na)), CP_THREAD_ACP);
        std::u16string wb = winplat::AnsiToWide(
            std::string_view(b, nb < 0 ? std::strlen(b) : static_cast<size_t>(nb)), CP_THREAD_ACP);
        return CompareStringW(locale, flags, wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                              static_cast<int>(wb.size()));
    }
    catch (...)
    {
        return 0;
    }
}
