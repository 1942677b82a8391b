// The root of every reference-counted interface, and COM start-up.
#pragma once

#include "platform/base/Guid.h"

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

protected:
    ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

// Per-thread initialisation: S_OK the first time on a thread, S_FALSE after.
HRESULT CoInitialize(LPVOID pvReserved) noexcept;
void CoUninitialize() noexcept;
