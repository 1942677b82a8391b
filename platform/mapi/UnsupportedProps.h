// The property methods the layer's objects do not provide, written once: each clears its
// out-parameters and fails with MAPI_E_NO_SUPPORT, naming the interface it was called through.
#pragma once

#include "platform/mapi/MapiIids.h"
#include "platform/mapi/NotSupported.h"

#include <cstdio>

namespace winplat::mapi
{

// Base is the object's ComObject; kInterface names its interface ("IMAPIFolder").
template <class Base, const char* kInterface> class UnsupportedProps : public Base
{
public:
    HRESULT OpenProperty(ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN* lppUnk) override
    {
        if (lppUnk)
            *lppUnk = nullptr;
        return Refuse("OpenProperty");
    }
    HRESULT CopyTo(ULONG, LPCIID, LPSPropTagArray, ULONG_PTR, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                   LPSPropProblemArray* lppProblems) override
    {
        if (lppProblems)
            *lppProblems = nullptr;
        return Refuse("CopyTo");
    }
    HRESULT CopyProps(LPSPropTagArray, ULONG_PTR, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                      LPSPropProblemArray* lppProblems) override
    {
        if (lppProblems)
            *lppProblems = nullptr;
        return Refuse("CopyProps");
    }
    HRESULT GetNamesFromIDs(LPSPropTagArray*, LPGUID, ULONG, ULONG* lpcPropNames,
                            LPMAPINAMEID** lpppPropNames) override
    {
        if (lpcPropNames)
            *lpcPropNames = 0;
        if (lpppPropNames)
            *lpppPropNames = nullptr;
        return Refuse("GetNamesFromIDs");
    }
    HRESULT GetIDsFromNames(ULONG, LPMAPINAMEID*, ULONG, LPSPropTagArray* lppPropTags) override
    {
        if (lppPropTags)
            *lppPropTags = nullptr;
        return Refuse("GetIDsFromNames");
    }

protected:
    static HRESULT Refuse(const char* method) noexcept
    {
        char operation[96];
        std::snprintf(operation, sizeof operation, "%s::%s", kInterface, method);
        return NotSupported(operation);
    }
};

// Objects whose properties cannot be changed at all.
template <class Base, const char* kInterface>
class ReadOnlyProps : public UnsupportedProps<Base, kInterface>
{
public:
    HRESULT SetProps(ULONG, LPSPropValue, LPSPropProblemArray* lppProblems) override
    {
        if (lppProblems)
            *lppProblems = nullptr;
        return this->Refuse("SetProps");
    }
    HRESULT DeleteProps(LPSPropTagArray, LPSPropProblemArray* lppProblems) override
    {
        if (lppProblems)
            *lppProblems = nullptr;
        return this->Refuse("DeleteProps");
    }
};

} // namespace winplat::mapi
