// A UTF-16 string with the framework's operations.
#pragma once

#include "platform/base/WinTypes.h"

#include <string>
#include <string_view>

class CString
{
public:
    CString() = default;
    CString(LPCWSTR psz) : m_s(psz ? psz : u"") {}
    CString(LPCWSTR pch, int nLength)
        : m_s(pch ? std::u16string(pch, nLength > 0 ? nLength : 0) : u"")
    {
    }
    CString(WCHAR ch, int nRepeat = 1) : m_s(nRepeat > 0 ? nRepeat : 0, ch) {}
    // 8-bit text is taken in the thread's ANSI code page.
    explicit CString(LPCSTR psz);
    explicit CString(std::u16string s) : m_s(std::move(s)) {}
    explicit CString(std::u16string_view s) : m_s(s) {}

    int GetLength() const noexcept { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const noexcept { return m_s.empty(); }
    void Empty() noexcept { m_s.clear(); }
    WCHAR GetAt(int i) const { return m_s.at(static_cast<size_t>(i)); }
    WCHAR operator[](int i) const { return GetAt(i); }
    void SetAt(int i, WCHAR ch) { m_s.at(static_cast<size_t>(i)) = ch; }
    LPCWSTR GetString() const noexcept { return m_s.c_str(); }
    operator LPCWSTR() const noexcept { return m_s.c_str(); }
    const std::u16string& Str() const noexcept { return m_s; }

    CString& operator=(LPCWSTR psz)
    {
        m_s = psz ? psz : u"";
        return *this;
    }
    CString& operator=(WCHAR ch)
    {
        m_s.assign(1, ch);
        return *this;
    }
    CString& operator+=(const CString& s)
    {
        m_s += s.m_s;
        return *this;
    }
    CString& operator+=(LPCWSTR psz)
    {
        if (psz)
            m_s += psz;
        return *this;
    }
    CString& operator+=(WCHAR ch)
    {
        m_s += ch;
        return *this;
    }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, LPCWSTR b) { return CString(a) += b; }
    friend CString operator+(LPCWSTR a, const CString& b) { return CString(a) += b; }
    friend CString operator+(const CString& a, WCHAR b) { return CString(a) += b; }
    friend CString operator+(WCHAR a, const CString& b) { return CString(a) += b; }

    friend bool operator==(const CString& a, const CString& b) noexcept { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, LPCWSTR b) noexcept { return a.Compare(b) == 0; }
    friend bool operator<(const CString& a, const CString& b) noexcept { return a.m_s < b.m_s; }

    // Ordinal comparison, code unit by code unit.
    int Compare(LPCWSTR psz) const noexcept;
    // Comparison with simple case folding of each character.
    int CompareNoCase(LPCWSTR psz) const noexcept;

    int Find(WCHAR ch, int iStart = 0) const noexcept;
    int Find(LPCWSTR psz, int iStart = 0) const noexcept;
    int ReverseFind(WCHAR ch) const noexcept;
    int FindOneOf(LPCWSTR pszCharSet) const noexcept;

    CString Left(int nCount) const;
    CString Mid(int iFirst) const;
    CString Mid(int iFirst, int nCount) const;
    CString Right(int nCount) const;

    // Returns the new length.
    int Delete(int iIndex, int nCount = 1);
    int Insert(int iIndex, LPCWSTR psz);
    int Insert(int iIndex, WCHAR ch);
    // Returns the number of replacements.
    int Replace(LPCWSTR pszOld, LPCWSTR pszNew);
    int Replace(WCHAR chOld, WCHAR chNew);
    int Remove(WCHAR ch);

    CString& MakeUpper();
    CString& MakeLower();
    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();

    // Direct buffer access: GetBuffer gives room for at least nMinLength characters;
    // ReleaseBuffer(-1) takes the length up to the first terminator.
    LPWSTR GetBuffer(int nMinLength = 0);
    LPWSTR GetBufferSetLength(int nLength);
    void ReleaseBuffer(int nNewLength = -1);

private:
    std::u16string m_s;
};

namespace winplat
{
std::string ToUtf8(std::u16string_view s);
std::u16string FromUtf8(std::string_view s);
inline std::string ToUtf8(const char16_t* s)
{
    return ToUtf8(std::u16string_view(s ? s : u""));
}
inline std::string ToUtf8(const CString& s)
{
    return ToUtf8(std::u16string_view(s.Str()));
}
} // namespace winplat
