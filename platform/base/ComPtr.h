// One owner for a reference-counted interface pointer.
#pragma once

#include "platform/base/Unknown.h"

#include <utility>

template <typename T> class CComPtr
{
public:
    CComPtr() noexcept = default;
    CComPtr(std::nullptr_t) noexcept {}
    // Takes a new reference on p.
    explicit CComPtr(T* p) noexcept : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    CComPtr(const CComPtr& o) noexcept : CComPtr(o.m_p) {}
    CComPtr(CComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ~CComPtr() { Release(); }
    CComPtr& operator=(CComPtr o) noexcept
    {
        std::swap(m_p, o.m_p);
        return *this;
    }

    // The address for an out-parameter: whatever was held is released first.
    T** operator&() noexcept
    {
        Release();
        return &m_p;
    }
    T* operator->() const noexcept { return m_p; }
    operator T*() const noexcept { return m_p; }
    T* Get() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    void Release() noexcept
    {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }
    // Adopts a reference the caller already owns.
    void Attach(T* p) noexcept
    {
        Release();
        m_p = p;
    }
    T* Detach() noexcept { return std::exchange(m_p, nullptr); }

private:
    T* m_p = nullptr;
};
