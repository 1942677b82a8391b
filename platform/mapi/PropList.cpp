#include "platform/mapi/PropList.h"

#include "platform/mapi/MapiApi.h"

#include <algorithm>
#include <new>

namespace winplat::mapi
{

const PropValue* FindById(const std::vector<PropValue>& props, ULONG tag) noexcept
{
    for (const PropValue& v : props)
    {
        if (v.Id() == PROP_ID(tag))
            return &v;
    }
    return nullptr;
}

HRESULT GetPropsFrom(const std::vector<PropValue>& props, LPSPropTagArray lpPropTagArray,
                     ULONG ulFlags, ULONG* lpcValues, LPSPropValue* lppPropArray) noexcept
{
    if (lpcValues == nullptr || lppPropArray == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lpcValues = 0;
    *lppPropArray = nullptr;
    if ((ulFlags & ~MAPI_UNICODE) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    if (lpPropTagArray != nullptr && lpPropTagArray->cValues == 0)
        return MAPI_E_INVALID_PARAMETER;
    const bool unicode = (ulFlags & MAPI_UNICODE) != 0;
    try
    {
        std::vector<PropValue> out;
        bool errors = false;
        if (lpPropTagArray == nullptr)
        {
            for (const PropValue& v : props)
                out.push_back(v.As(CHANGE_PROP_TYPE(v.Tag(), PT_UNSPECIFIED), unicode).value_or(v));
        }
        else
        {
            for (ULONG i = 0; i < lpPropTagArray->cValues; ++i)
            {
                ULONG tag = lpPropTagArray->aulPropTag[i];
                const PropValue* have = FindById(props, tag);
                std::optional<PropValue> v = have ? have->As(tag, unicode) : std::nullopt;
                if (!v)
                {
                    errors = true;
                    v = PropValue::Error(PROP_ID(tag), MAPI_E_NOT_FOUND);
                }
                out.push_back(std::move(*v));
            }
        }
        LPVOID block = nullptr;
        if (FAILED(MAPIAllocateBuffer(
                static_cast<ULONG>(sizeof(SPropValue) * std::max<size_t>(out.size(), 1)), &block)))
            return MAPI_E_NOT_ENOUGH_MEMORY;
        auto* values = static_cast<LPSPropValue>(block);
        for (size_t i = 0; i < out.size(); ++i)
        {
            if (HRESULT hr = out[i].CopyTo(values[i], block); FAILED(hr))
            {
                MAPIFreeBuffer(block);
                return hr;
            }
        }
        *lpcValues = static_cast<ULONG>(out.size());
        *lppPropArray = values;
        return errors ? MAPI_W_ERRORS_RETURNED : S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

HRESULT GetPropListFrom(const std::vector<PropValue>& props, ULONG ulFlags,
                        LPSPropTagArray* lppPropTagArray) noexcept
{
    if (lppPropTagArray == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppPropTagArray = nullptr;
    if ((ulFlags & ~MAPI_UNICODE) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    LPVOID p = nullptr;
    if (FAILED(MAPIAllocateBuffer(CbNewSPropTagArray(static_cast<ULONG>(props.size())), &p)))
        return MAPI_E_NOT_ENOUGH_MEMORY;
    auto* tags = static_cast<LPSPropTagArray>(p);
    tags->cValues = static_cast<ULONG>(props.size());
    for (size_t i = 0; i < props.size(); ++i)
    {
        ULONG tag = props[i].Tag();
        if (PROP_TYPE(tag) == PT_STRING8 || PROP_TYPE(tag) == PT_UNICODE)
            tag = CHANGE_PROP_TYPE(tag, (ulFlags & MAPI_UNICODE) ? PT_UNICODE : PT_STRING8);
        tags->aulPropTag[i] = tag;
    }
    *lppPropTagArray = tags;
    return S_OK;
}

HRESULT MakeProblems(const std::vector<SPropProblem>& problems,
                     LPSPropProblemArray* lppProblems) noexcept
{
    if (lppProblems == nullptr)
        return S_OK;
    *lppProblems = nullptr;
    if (problems.empty())
        return S_OK;
    LPVOID p = nullptr;
    ULONG cb = static_cast<ULONG>(sizeof(ULONG) * 2 + sizeof(SPropProblem) * problems.size());
    if (FAILED(MAPIAllocateBuffer(cb, &p)))
        return MAPI_E_NOT_ENOUGH_MEMORY;
    auto* out = static_cast<LPSPropProblemArray>(p);
    out->cProblem = static_cast<ULONG>(problems.size());
    std::copy(problems.begin(), problems.end(), out->aProblem);
    *lppProblems = out;
    return S_OK;
}

} // namespace winplat::mapi
