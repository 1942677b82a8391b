// Reference counting for the layer's own objects: derive, list the interfaces, done.
#pragma once

#include "platform/base/Unknown.h"

#include <atomic>
#include <tuple>

namespace winplat
{

// Interfaces is the list of interfaces the object answers, each with its IID given by
// InterfaceId<I>. The first one doubles as the object's IUnknown.
template <typename T> struct InterfaceId;

template <typename... Interfaces> class ComObject : public Interfaces...
{
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown))
            *ppv = static_cast<First*>(this);
        else
            (void)(TryInterface<Interfaces>(riid, ppv) || ...);
        if (*ppv == nullptr)
            return QueryExtra(riid, ppv);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        return m_refs.fetch_add(1, std::memory_order_relaxed) + 1;
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;
    // Objects that answer interfaces outside their base list override this.
    virtual HRESULT QueryExtra(REFIID, void**) { return E_NOINTERFACE; }

private:
    using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;
    template <typename I> bool TryInterface(REFIID riid, void** ppv)
    {
        if (!IsEqualIID(riid, InterfaceId<I>::value))
            return false;
        *ppv = static_cast<I*>(this);
        return true;
    }
    std::atomic<ULONG> m_refs{1};
};

} // namespace winplat
