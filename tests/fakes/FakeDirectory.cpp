#include "tests/fakes/FakeDirectory.h"

#include "platform/ads/AdsInterfaceIds.h"

#include <cstring>

namespace qmfake
{

DirectoryScript& Script()
{
    static DirectoryScript s;
    return s;
}

DirectoryLog& Log()
{
    static DirectoryLog l;
    return l;
}

void ResetDirectory()
{
    Script() = DirectoryScript{};
    Log() = DirectoryLog{};
}

namespace
{

int g_handleTag;

class FakeSearch final : public winplat::ComObject<IDirectorySearch>
{
public:
    FakeSearch() { ++Log().liveObjects; }

    HRESULT SetSearchPreference(PADS_SEARCHPREF_INFO p, DWORD n) override
    {
        Log().calls.push_back("SetSearchPreference");
        Log().prefs.assign(p, p + n);
        return Script().prefsResult;
    }
    HRESULT ExecuteSearch(LPWSTR filter, LPWSTR* attrs, DWORD n, PADS_SEARCH_HANDLE h) override
    {
        Log().calls.push_back("ExecuteSearch");
        Log().filter = filter;
        for (DWORD i = 0; i < n; ++i)
            Log().attributes.emplace_back(attrs[i]);
        if (Script().executeResult != S_OK)
            return Script().executeResult;
        *h = &g_handleTag;
        ++Log().openHandles;
        if (Script().afterExecute)
            Script().afterExecute();
        return S_OK;
    }
    HRESULT GetFirstRow(ADS_SEARCH_HANDLE) override
    {
        Log().calls.push_back("GetFirstRow");
        m_row = 0;
        return Current();
    }
    HRESULT GetNextRow(ADS_SEARCH_HANDLE) override
    {
        Log().calls.push_back("GetNextRow");
        ++m_row;
        return Current();
    }
    HRESULT GetColumn(ADS_SEARCH_HANDLE, LPWSTR name, PADS_SEARCH_COLUMN col) override
    {
        std::memset(col, 0, sizeof *col);
        if (m_row >= Script().rows.size())
            return E_ADS_COLUMN_NOT_SET;
        const FakeRow& r = Script().rows[m_row];
        std::u16string n(name);
        auto* v = new ADSVALUE{};
        if (n == u"cn" && r.cn)
        {
            m_strings.push_back(*r.cn);
            v->dwType = ADSTYPE_CASE_IGNORE_STRING;
            v->CaseIgnoreString = m_strings.back().data();
        }
        else if (n == u"legacyExchangeDN" && r.dn)
        {
            m_strings.push_back(*r.dn);
            v->dwType = ADSTYPE_CASE_IGNORE_STRING;
            v->CaseIgnoreString = m_strings.back().data();
        }
        else if (n == u"msExchHideFromAddressLists" && r.hidden)
        {
            v->dwType = ADSTYPE_BOOLEAN;
            v->Boolean = *r.hidden ? TRUE : FALSE;
        }
        else
        {
            delete v;
            return E_ADS_COLUMN_NOT_SET;
        }
        col->pADsValues = v;
        col->dwNumValues = 1;
        col->dwADsType = v->dwType;
        ++Log().openColumns;
        return S_OK;
    }
    HRESULT FreeColumn(PADS_SEARCH_COLUMN col) override
    {
        delete col->pADsValues;
        col->pADsValues = nullptr;
        --Log().openColumns;
        return S_OK;
    }
    HRESULT CloseSearchHandle(ADS_SEARCH_HANDLE) override
    {
        Log().calls.push_back("CloseSearchHandle");
        --Log().openHandles;
        return S_OK;
    }

private:
    ~FakeSearch() override { --Log().liveObjects; }
    HRESULT Current()
    {
        if (m_row >= Script().rows.size())
            return Script().endResult;
        if (Script().onRow)
            Script().onRow(m_row);
        return S_OK;
    }
    size_t m_row = 0;
    std::vector<std::u16string> m_strings;
};

} // namespace
} // namespace qmfake

HRESULT ADsOpenObject(LPCWSTR path, LPCWSTR user, LPCWSTR password, DWORD flags, REFIID riid,
                      void** ppObject) noexcept
{
    using namespace qmfake;
    *ppObject = nullptr;
    Log().calls.push_back("ADsOpenObject");
    Log().path = path ? path : u"";
    Log().user = user ? user : u"";
    Log().password = password ? password : u"";
    Log().flags = flags;
    if (FAILED(Script().bindResult))
        return Script().bindResult;
    auto* s = new FakeSearch;
    HRESULT hr = s->QueryInterface(riid, ppObject);
    s->Release();
    if (Script().afterBind)
        Script().afterBind();
    return hr;
}
