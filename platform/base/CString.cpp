#include "platform/base/CString.h"

#include "platform/base/CodePage.h"

#include <algorithm>

namespace
{

// Simple one-to-one case mapping for the scripts a directory name is likely to use.
char16_t FoldLower(char16_t c) noexcept
{
    if (c >= u'A' && c <= u'Z')
        return c + 0x20;
    if (c < 0x80)
        return c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 0x20;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
        c != 0x17F)
    {
        bool evenUpper = (c < 0x139) || (c >= 0x14A && c < 0x179);
        if (evenUpper)
            return (c % 2 == 0) ? c + 1 : c;
        return (c % 2 == 1) ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return c + 0x20;
    if (c >= 0x410 && c <= 0x42F)
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    return c;
}

char16_t FoldUpper(char16_t c) noexcept
{
    if (c >= u'a' && c <= u'z')
        return c - 0x20;
    if (c < 0x80)
        return c;
    for (char16_t up : {char16_t(c - 0x20), char16_t(c - 1), char16_t(c - 0x50)})
    {
        if (up != c && FoldLower(up) == c)
            return up;
    }
    return c;
}

bool IsSpace(char16_t c) noexcept
{
    return c == u' ' || (c >= u'\t' && c <= u'\r') || c == 0xA0 || c == 0x3000 || c == 0x2028;
}

size_t Clamp(int v, size_t hi) noexcept
{
    return v < 0 ? 0 : std::min(static_cast<size_t>(v), hi);
}

} // namespace

CString::CString(LPCSTR psz)
{
    if (psz)
        m_s = winplat::AnsiToWide(psz, CP_ACP);
}

int CString::Compare(LPCWSTR psz) const noexcept
{
    std::u16string_view other = psz ? psz : u"";
    int r = std::u16string_view(m_s).compare(other);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::CompareNoCase(LPCWSTR psz) const noexcept
{
    std::u16string_view other = psz ? psz : u"";
    size_t n = std::min(m_s.size(), other.size());
    for (size_t i = 0; i < n; ++i)
    {
        char16_t a = FoldLower(m_s[i]);
        char16_t b = FoldLower(other[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (m_s.size() == other.size())
        return 0;
    return m_s.size() < other.size() ? -1 : 1;
}

int CString::Find(WCHAR ch, int iStart) const noexcept
{
    if (iStart < 0 || static_cast<size_t>(iStart) >= m_s.size())
        return -1;
    size_t p = m_s.find(ch, static_cast<size_t>(iStart));
    return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(LPCWSTR psz, int iStart) const noexcept
{
    if (psz == nullptr || iStart < 0 || static_cast<size_t>(iStart) > m_s.size())
        return -1;
    size_t p = m_s.find(psz, static_cast<size_t>(iStart));
    return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(WCHAR ch) const noexcept
{
    size_t p = m_s.rfind(ch);
    return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

int CString::FindOneOf(LPCWSTR pszCharSet) const noexcept
{
    if (pszCharSet == nullptr)
        return -1;
    size_t p = m_s.find_first_of(pszCharSet);
    return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

CString CString::Left(int nCount) const
{
    return CString(m_s.substr(0, Clamp(nCount, m_s.size())));
}

CString CString::Mid(int iFirst) const
{
    return CString(m_s.substr(Clamp(iFirst, m_s.size())));
}

CString CString::Mid(int iFirst, int nCount) const
{
    size_t first = Clamp(iFirst, m_s.size());
    return CString(m_s.substr(first, Clamp(nCount, m_s.size() - first)));
}

CString CString::Right(int nCount) const
{
    size_t n = Clamp(nCount, m_s.size());
    return CString(m_s.substr(m_s.size() - n));
}

int CString::Delete(int iIndex, int nCount)
{
    size_t at = Clamp(iIndex, m_s.size());
    m_s.erase(at, Clamp(nCount, m_s.size() - at));
    return GetLength();
}

int CString::Insert(int iIndex, LPCWSTR psz)
{
    if (psz)
        m_s.insert(Clamp(iIndex, m_s.size()), psz);
    return GetLength();
}

int CString::Insert(int iIndex, WCHAR ch)
{
    m_s.insert(m_s.begin() + static_cast<std::ptrdiff_t>(Clamp(iIndex, m_s.size())), ch);
    return GetLength();
}

int CString::Replace(LPCWSTR pszOld, LPCWSTR pszNew)
{
    std::u16string_view from = pszOld ? pszOld : u"";
    std::u16string_view to = pszNew ? pszNew : u"";
    if (from.empty())
        return 0;
    int count = 0;
    for (size_t p = m_s.find(from); p != std::u16string::npos; p = m_s.find(from, p + to.size()))
    {
        m_s.replace(p, from.size(), to);
        ++count;
    }
    return count;
}

int CString::Replace(WCHAR chOld, WCHAR chNew)
{
    int count = 0;
    for (auto& c : m_s)
    {
        if (c == chOld)
        {
            c = chNew;
            ++count;
        }
    }
    return count;
}

int CString::Remove(WCHAR ch)
{
    auto before = m_s.size();
    std::erase(m_s, ch);
    return static_cast<int>(before - m_s.size());
}

CString& CString::MakeUpper()
{
    for (auto& c : m_s)
        c = FoldUpper(c);
    return *this;
}

CString& CString::MakeLower()
{
    for (auto& c : m_s)
        c = FoldLower(c);
    return *this;
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::TrimLeft()
{
    auto it = std::find_if(m_s.begin(), m_s.end(), [](char16_t c) { return !IsSpace(c); });
    m_s.erase(m_s.begin(), it);
    return *this;
}

CString& CString::TrimRight()
{
    while (!m_s.empty() && IsSpace(m_s.back()))
        m_s.pop_back();
    return *this;
}

LPWSTR CString::GetBuffer(int nMinLength)
{
    if (nMinLength > 0 && static_cast<size_t>(nMinLength) > m_s.size())
        m_s.resize(static_cast<size_t>(nMinLength));
    return m_s.data();
}

LPWSTR CString::GetBufferSetLength(int nLength)
{
    m_s.resize(nLength > 0 ? static_cast<size_t>(nLength) : 0);
    return m_s.data();
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        m_s.resize(std::char_traits<char16_t>::length(m_s.c_str()));
    else
        m_s.resize(std::min(static_cast<size_t>(nNewLength), m_s.size()));
}

namespace winplat
{

std::string ToUtf8(std::u16string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i)
    {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        else if (c >= 0xD800 && c <= 0xDFFF)
        {
            c = 0xFFFD; // a lone surrogate has no UTF-8 form
        }
        if (c < 0x80)
        {
            out += static_cast<char>(c);
        }
        else if (c < 0x800)
        {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else if (c < 0x10000)
        {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size())
    {
        auto b = static_cast<unsigned char>(s[i]);
        char32_t c = 0;
        size_t len = 0;
        char32_t min = 0;
        if (b < 0x80)
        {
            c = b;
            len = 1;
        }
        else if ((b & 0xE0) == 0xC0)
        {
            c = b & 0x1F;
            len = 2;
            min = 0x80;
        }
        else if ((b & 0xF0) == 0xE0)
        {
            c = b & 0x0F;
            len = 3;
            min = 0x800;
        }
        else if ((b & 0xF8) == 0xF0)
        {
            c = b & 0x07;
            len = 4;
            min = 0x10000;
        }
        bool ok = len > 0 && i + len <= s.size();
        for (size_t k = 1; ok && k < len; ++k)
        {
            auto cb = static_cast<unsigned char>(s[i + k]);
            if ((cb & 0xC0) != 0x80)
                ok = false;
            else
                c = (c << 6) | (cb & 0x3F);
        }
        if (ok && (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)))
            ok = false;
        if (!ok)
        {
            out += char16_t(0xFFFD);
            ++i;
            continue;
        }
        i += len;
        if (c >= 0x10000)
        {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        }
        else
        {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

} // namespace winplat
