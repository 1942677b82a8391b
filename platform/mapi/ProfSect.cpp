#include "platform/mapi/ProfSect.h"

#include "platform/mapi/NotSupported.h"
#include "platform/mapi/PropList.h"

#include <algorithm>
#include <new>

namespace winplat::mapi
{

namespace
{
constexpr ULONG kSaveFlags =
    KEEP_OPEN_READONLY | KEEP_OPEN_READWRITE | FORCE_SAVE | MAPI_DEFERRED_ERRORS;
}

ProfSect::ProfSect(std::shared_ptr<ProfileStore> store, std::int64_t profile,
                   const MAPIUID& section, bool writable)
    : m_store(std::move(store)), m_profile(profile), m_section(section), m_writable(writable)
{
}

HRESULT ProfSect::Open(std::shared_ptr<ProfileStore> store, std::int64_t profile,
                       const MAPIUID& section, bool writable, LPPROFSECT* lppProfSect) noexcept
{
    *lppProfSect = nullptr;
    try
    {
        std::vector<PropValue> props;
        if (HRESULT hr = store->ReadSection(profile, section, &props); FAILED(hr))
            return hr;
        auto* sect = new ProfSect(std::move(store), profile, section, writable);
        sect->m_props = std::move(props);
        *lppProfSect = sect;
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

HRESULT ProfSect::QueryExtra(REFIID riid, void** ppv)
{
    if (IsEqualIID(riid, IID_IMAPIProp))
    {
        *ppv = static_cast<IMAPIProp*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT ProfSect::GetLastError(HRESULT, ULONG, LPMAPIERROR* lppMAPIError)
{
    return NoExtendedError(lppMAPIError);
}

HRESULT ProfSect::SaveChanges(ULONG ulFlags)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IProfSect::SaveChanges", ulFlags, &hr))
        return hr;
    if ((ulFlags & ~kSaveFlags) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    if (!m_writable)
        return MAPI_E_NO_ACCESS;
    std::vector<ULONG> deleted(m_pendingDelete.begin(), m_pendingDelete.end());
    hr = m_store->WriteSection(m_profile, m_section, m_pendingSet, deleted);
    if (hr == MAPI_E_NOT_FOUND)
        return MAPI_E_OBJECT_DELETED; // the profile went away meanwhile
    if (FAILED(hr))
        return hr;
    m_pendingSet.clear();
    m_pendingDelete.clear();
    return S_OK;
}

HRESULT ProfSect::GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                           LPSPropValue* lppPropArray)
{
    if (lpcValues)
        *lpcValues = 0;
    if (lppPropArray)
        *lppPropArray = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IProfSect::GetProps", ulFlags, &hr))
        return hr;
    return GetPropsFrom(m_props, lpPropTagArray, ulFlags, lpcValues, lppPropArray);
}

HRESULT ProfSect::GetPropList(ULONG ulFlags, LPSPropTagArray* lppPropTagArray)
{
    if (lppPropTagArray)
        *lppPropTagArray = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IProfSect::GetPropList", ulFlags, &hr))
        return hr;
    return GetPropListFrom(m_props, ulFlags, lppPropTagArray);
}

HRESULT ProfSect::SetProps(ULONG cValues, LPSPropValue lpPropArray,
                           LPSPropProblemArray* lppProblems)
{
    if (lppProblems)
        *lppProblems = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IProfSect::SetProps", 0, &hr))
        return hr;
    if (cValues != 0 && lpPropArray == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    if (!m_writable)
        return MAPI_E_NO_ACCESS;
    try
    {
        std::vector<SPropProblem> problems;
        for (ULONG i = 0; i < cValues; ++i)
        {
            const SPropValue& in = lpPropArray[i];
            ULONG type = PROP_TYPE(in.ulPropTag);
            // Error values and identifier 0 are not properties one can set.
            std::optional<PropValue> v;
            if (type != PT_ERROR && type != PT_NULL && PROP_ID(in.ulPropTag) != PROP_ID_NULL)
                v = PropValue::From(in);
            if (!v)
            {
                SCODE sc = type == PT_ERROR || PROP_ID(in.ulPropTag) == PROP_ID_NULL
                               ? MAPI_E_INVALID_PARAMETER
                               : MAPI_E_TYPE_NO_SUPPORT;
                problems.push_back(SPropProblem{i, in.ulPropTag, sc});
                continue;
            }
            ULONG id = v->Id();
            std::erase_if(m_props, [id](const PropValue& p) { return p.Id() == id; });
            std::erase_if(m_pendingSet, [id](const PropValue& p) { return p.Id() == id; });
            m_pendingDelete.erase(id);
            m_props.push_back(*v);
            m_pendingSet.push_back(std::move(*v));
        }
        return MakeProblems(problems, lppProblems);
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

HRESULT ProfSect::DeleteProps(LPSPropTagArray lpPropTagArray, LPSPropProblemArray* lppProblems)
{
    if (lppProblems)
        *lppProblems = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IProfSect::DeleteProps", 0, &hr))
        return hr;
    if (lpPropTagArray == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    if (!m_writable)
        return MAPI_E_NO_ACCESS;
    try
    {
        std::vector<SPropProblem> problems;
        for (ULONG i = 0; i < lpPropTagArray->cValues; ++i)
        {
            ULONG tag = lpPropTagArray->aulPropTag[i];
            ULONG id = PROP_ID(tag);
            if (FindById(m_props, tag) == nullptr)
            {
                problems.push_back(SPropProblem{i, tag, MAPI_E_NOT_FOUND});
                continue;
            }
            std::erase_if(m_props, [id](const PropValue& p) { return p.Id() == id; });
            std::erase_if(m_pendingSet, [id](const PropValue& p) { return p.Id() == id; });
            m_pendingDelete.insert(id);
        }
        return MakeProblems(problems, lppProblems);
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

} // namespace winplat::mapi
