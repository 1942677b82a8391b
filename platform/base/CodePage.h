// Conversion between UTF-16 and 8-bit text in a code page.
#pragma once

#include "platform/base/WinTypes.h"

#include <string>
#include <string_view>

constexpr UINT CP_ACP = 0;        // the process's locale codeset
constexpr UINT CP_THREAD_ACP = 3; // the calling thread's locale codeset
constexpr UINT CP_UTF8 = 65001;

// cbMultiByte / cchWideChar of -1: the source ends at its terminator, which is converted too.
// An output size of 0 asks for the size needed. A character the code page lacks becomes
// lpDefaultChar's first byte ('?' when none is given).
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar) noexcept;
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        BOOL* lpUsedDefaultChar) noexcept;

namespace winplat
{
// The codeset name behind a code page on the calling thread, e.g. "UTF-8".
std::string CodesetOf(UINT codePage);
std::string WideToAnsi(std::u16string_view s, UINT codePage, bool* usedDefault = nullptr,
                       char defaultChar = '?');
std::u16string AnsiToWide(std::string_view s, UINT codePage);
} // namespace winplat

// Scoped conversions in the shape of the usual conversion classes.
class CW2A
{
public:
    explicit CW2A(LPCWSTR psz, UINT codePage = CP_ACP)
        : m_null(psz == nullptr), m_s(psz ? winplat::WideToAnsi(psz, codePage) : std::string())
    {
    }
    operator LPSTR() noexcept { return m_null ? nullptr : m_s.data(); }
    const std::string& Str() const noexcept { return m_s; }

private:
    bool m_null;
    std::string m_s;
};

class CA2W
{
public:
    explicit CA2W(LPCSTR psz, UINT codePage = CP_ACP)
        : m_null(psz == nullptr), m_s(psz ? winplat::AnsiToWide(psz, codePage) : std::u16string())
    {
    }
    operator LPWSTR() noexcept { return m_null ? nullptr : m_s.data(); }
    const std::u16string& Str() const noexcept { return m_s; }

private:
    bool m_null;
    std::u16string m_s;
};
