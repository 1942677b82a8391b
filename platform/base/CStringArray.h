// An ordered, growable array of strings.
#pragma once

#include "platform/base/CString.h"

#include <vector>

class CStringArray
{
public:
    INT_PTR GetSize() const noexcept { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const noexcept { return GetSize(); }
    bool IsEmpty() const noexcept { return m_items.empty(); }
    INT_PTR GetUpperBound() const noexcept { return GetSize() - 1; }

    const CString& GetAt(INT_PTR i) const { return m_items.at(static_cast<size_t>(i)); }
    CString& ElementAt(INT_PTR i) { return m_items.at(static_cast<size_t>(i)); }
    const CString& operator[](INT_PTR i) const { return GetAt(i); }
    CString& operator[](INT_PTR i) { return ElementAt(i); }
    void SetAt(INT_PTR i, const CString& s) { ElementAt(i) = s; }

    // Returns the index of the new element.
    INT_PTR Add(const CString& s)
    {
        m_items.push_back(s);
        return GetUpperBound();
    }
    void InsertAt(INT_PTR i, const CString& s, INT_PTR nCount = 1)
    {
        m_items.insert(m_items.begin() + i, static_cast<size_t>(nCount), s);
    }
    void RemoveAt(INT_PTR i, INT_PTR nCount = 1)
    {
        m_items.erase(m_items.begin() + i, m_items.begin() + i + nCount);
    }
    void RemoveAll() noexcept { m_items.clear(); }
    INT_PTR Append(const CStringArray& other)
    {
        INT_PTR first = GetSize();
        m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
        return first;
    }
    void Copy(const CStringArray& other) { m_items = other.m_items; }

    auto begin() const noexcept { return m_items.begin(); }
    auto end() const noexcept { return m_items.end(); }

private:
    std::vector<CString> m_items;
};
