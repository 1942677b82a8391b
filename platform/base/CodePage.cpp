#include "platform/base/CodePage.h"

#include "platform/base/CString.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

namespace
{

class Iconv
{
public:
    Iconv(const std::string& to, const std::string& from)
        : m_cd(iconv_open(to.c_str(), from.c_str()))
    {
    }
    ~Iconv()
    {
        if (ok())
            iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const noexcept { return m_cd != reinterpret_cast<iconv_t>(-1); }
    // Converts all of in; false when some input could not be converted.
    bool Convert(const char* in, size_t inLen, std::string& out)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in);
        size_t left = inLen;
        char buf[256];
        while (left > 0)
        {
            char* dst = buf;
            size_t room = sizeof buf;
            size_t r = iconv(m_cd, &src, &left, &dst, &room);
            out.append(buf, static_cast<size_t>(dst - buf));
            if (r == static_cast<size_t>(-1) && errno != E2BIG)
                return false;
        }
        char* dst = buf;
        size_t room = sizeof buf;
        iconv(m_cd, nullptr, nullptr, &dst, &room);
        out.append(buf, static_cast<size_t>(dst - buf));
        return true;
    }

private:
    iconv_t m_cd;
};

bool IsUtf8(const std::string& codeset)
{
    std::string c = codeset;
    std::erase(c, '-');
    std::transform(c.begin(), c.end(), c.begin(),
                   [](unsigned char ch) { return std::tolower(ch); });
    return c == "utf8";
}

} // namespace

namespace winplat
{

std::string CodesetOf(UINT codePage)
{
    if (codePage == CP_UTF8)
        return "UTF-8";
    locale_t loc =
        codePage == CP_THREAD_ACP ? uselocale(static_cast<locale_t>(nullptr)) : LC_GLOBAL_LOCALE;
    const char* cs = loc == LC_GLOBAL_LOCALE ? nl_langinfo(CODESET) : nl_langinfo_l(CODESET, loc);
    return cs && *cs ? cs : "ANSI_X3.4-1968";
}

std::string WideToAnsi(std::u16string_view s, UINT codePage, bool* usedDefault, char defaultChar)
{
    if (usedDefault)
        *usedDefault = false;
    std::string codeset = CodesetOf(codePage);
    if (IsUtf8(codeset))
        return ToUtf8(s);
    Iconv cv(codeset, "UTF-16LE");
    std::string out;
    // Character by character, so that one that does not convert becomes '?' and the rest
    // still come through.
    for (size_t i = 0; i < s.size(); ++i)
    {
        size_t n = (s[i] >= 0xD800 && s[i] <= 0xDBFF && i + 1 < s.size()) ? 2 : 1;
        char16_t units[2] = {s[i], n == 2 ? s[i + 1] : u'\0'};
        unsigned char bytes[4];
        for (size_t k = 0; k < n; ++k)
        {
            bytes[2 * k] = static_cast<unsigned char>(units[k] & 0xFF);
            bytes[2 * k + 1] = static_cast<unsigned char>(units[k] >> 8);
        }
        std::string one;
        if (cv.ok() && cv.Convert(reinterpret_cast<const char*>(bytes), 2 * n, one) && !one.empty())
        {
            out += one;
        }
        else
        {
            out += defaultChar;
            if (usedDefault)
                *usedDefault = true;
        }
        i += n - 1;
    }
    return out;
}

std::u16string AnsiToWide(std::string_view s, UINT codePage)
{
    std::string codeset = CodesetOf(codePage);
    if (IsUtf8(codeset))
        return FromUtf8(s);
    Iconv cv("UTF-16LE", codeset);
    std::u16string out;
    out.reserve(s.size());
    for (char ch : s)
    {
        std::string u;
        if (cv.ok() && cv.Convert(&ch, 1, u) && u.size() >= 2)
        {
            for (size_t k = 0; k + 1 < u.size(); k += 2)
                out += static_cast<char16_t>(static_cast<unsigned char>(u[k]) |
                                             (static_cast<unsigned char>(u[k + 1]) << 8));
        }
        else
        {
            out += char16_t(0xFFFD);
        }
    }
    return out;
}

} // namespace winplat

int MultiByteToWideChar(UINT CodePage, DWORD, LPCSTR src, int cb, LPWSTR dst, int cch) noexcept
{
    if (src == nullptr || cb == 0 || cch < 0)
        return 0;
    try
    {
        size_t len = cb < 0 ? std::strlen(src) + 1 : static_cast<size_t>(cb);
        std::u16string w = winplat::AnsiToWide(std::string_view(src, len), CodePage);
        if (cch == 0)
            return static_cast<int>(w.size());
        if (w.size() > static_cast<size_t>(cch))
            return 0;
        std::copy(w.begin(), w.end(), dst);
        return static_cast<int>(w.size());
    }
    catch (...)
    {
        return 0;
    }
}

int WideCharToMultiByte(UINT CodePage, DWORD, LPCWSTR src, int cch, LPSTR dst, int cb,
                        LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar) noexcept
{
    if (lpUsedDefaultChar)
        *lpUsedDefaultChar = FALSE;
    if (src == nullptr || cch == 0 || cb < 0)
        return 0;
    try
    {
        size_t len =
            cch < 0 ? std::char_traits<char16_t>::length(src) + 1 : static_cast<size_t>(cch);
        bool used = false;
        char def = lpDefaultChar && *lpDefaultChar ? *lpDefaultChar : '?';
        std::string a = winplat::WideToAnsi(std::u16string_view(src, len), CodePage, &used, def);
        if (lpUsedDefaultChar)
            *lpUsedDefaultChar = used ? TRUE : FALSE;
        if (cb == 0)
            return static_cast<int>(a.size());
        if (a.size() > static_cast<size_t>(cb))
            return 0;
        std::copy(a.begin(), a.end(), dst);
        return static_cast<int>(a.size());
    }
    catch (...)
    {
        return 0;
    }
}
