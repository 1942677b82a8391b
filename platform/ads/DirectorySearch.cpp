#include "platform/ads/DirectorySearch.h"

#include "platform/ads/LdapError.h"
#include "platform/base/CString.h"
#include "platform/base/PlatformConfig.h"
#include "platform/base/SafePoint.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ldap.h>
#include <list>

namespace winplat::ads
{

namespace
{

// Everything one column hands out, owned in one place until FreeColumn.
struct ColumnStorage
{
    std::u16string name;
    std::vector<ADSVALUE> values;
    std::list<std::u16string> strings;
    std::list<std::vector<BYTE>> blobs;
};

void Unsupported(const char* what, DWORD value)
{
    std::fprintf(stderr, "directory: %s %u is not supported\n", what, static_cast<unsigned>(value));
}

bool IsBooleanText(const std::string& v)
{
    return v == "TRUE" || v == "FALSE";
}

} // namespace

DirectorySearch::DirectorySearch(std::unique_ptr<LdapConnection> connection, std::string base,
                                 std::string subschemaDn)
    : m_connection(std::move(connection)), m_base(std::move(base)),
      m_subschemaDn(std::move(subschemaDn))
{
}

DirectorySearch::~DirectorySearch()
{
    m_searches.clear();
    m_connection.reset();
}

HRESULT DirectorySearch::SetSearchPreference(PADS_SEARCHPREF_INFO prefs, DWORD count)
{
    SafePoint();
    if (prefs == nullptr && count > 0)
        return E_ADS_BAD_PARAMETER;
    bool failed = false;
    Preferences next = m_prefs;
    for (DWORD i = 0; i < count; ++i)
    {
        ADS_SEARCHPREF_INFO& p = prefs[i];
        p.dwStatus = ADS_STATUS_S_OK;
        auto integer = [&](int& target, int lo, int hi)
        {
            if (p.vValue.dwType != ADSTYPE_INTEGER)
            {
                p.dwStatus = ADS_STATUS_INVALID_SEARCHPREFVALUE;
                return;
            }
            auto v = static_cast<std::int64_t>(p.vValue.Integer);
            if (v < lo || v > hi)
                p.dwStatus = ADS_STATUS_INVALID_SEARCHPREFVALUE;
            else
                target = static_cast<int>(v);
        };
        auto boolean = [&]()
        {
            if (p.vValue.dwType != ADSTYPE_BOOLEAN)
                p.dwStatus = ADS_STATUS_INVALID_SEARCHPREFVALUE;
        };
        switch (p.dwSearchPref)
        {
        case ADS_SEARCHPREF_SEARCH_SCOPE:
            integer(next.scope, 0, 2);
            break;
        case ADS_SEARCHPREF_PAGESIZE:
            integer(next.pageSize, 0, 0x7FFFFFFF);
            break;
        case ADS_SEARCHPREF_TIMEOUT:
            integer(next.timeoutSeconds, 0, 0x7FFFFFFF);
            break;
        case ADS_SEARCHPREF_TIME_LIMIT:
            integer(next.timeLimitSeconds, 0, 0x7FFFFFFF);
            break;
        case ADS_SEARCHPREF_SIZE_LIMIT:
            integer(next.sizeLimit, 0, 0x7FFFFFFF);
            break;
        case ADS_SEARCHPREF_ASYNCHRONOUS:
        case ADS_SEARCHPREF_CACHE_RESULTS:
            // Rows always arrive as the server sends them, and a second walk asks again;
            // both values are honoured that way.
            boolean();
            break;
        default:
            Unsupported("search preference", p.dwSearchPref);
            p.dwStatus = ADS_STATUS_INVALID_SEARCHPREF;
            break;
        }
        if (p.dwStatus != ADS_STATUS_S_OK)
            failed = true;
    }
    m_prefs = next;
    return failed ? S_ADS_ERRORSOCCURRED : S_OK;
}

HRESULT DirectorySearch::ExecuteSearch(LPWSTR filter, LPWSTR* attributes, DWORD count,
                                       PADS_SEARCH_HANDLE phSearchResult)
{
    SafePoint();
    if (phSearchResult == nullptr)
        return E_ADS_BAD_PARAMETER;
    *phSearchResult = nullptr;
    if (attributes == nullptr && count != 0 && count != static_cast<DWORD>(-1))
        return E_ADS_BAD_PARAMETER;
    try
    {
        auto search = std::make_unique<Search>();
        PagedSearch::Request& r = search->request;
        r.base = m_base;
        r.scope = m_prefs.scope;
        r.filter = filter && *filter ? ToUtf8(std::u16string_view(filter)) : "(objectClass=*)";
        if (attributes && count != static_cast<DWORD>(-1))
        {
            for (DWORD i = 0; i < count; ++i)
            {
                if (attributes[i] == nullptr)
                    return E_ADS_BAD_PARAMETER;
                r.attributes.push_back(ToUtf8(std::u16string_view(attributes[i])));
            }
        }
        r.pageSize = m_prefs.pageSize;
        r.timeoutSeconds = m_prefs.timeoutSeconds;
        r.timeLimitSeconds = m_prefs.timeLimitSeconds;
        r.sizeLimit = m_prefs.sizeLimit;
        auto config = PlatformConfig::Current();
        try
        {
            r.maxPageSize =
                std::max(1, std::stoi(config->GetOr("directory", "max_page_size", "1000")));
        }
        catch (...)
        {
            r.maxPageSize = 1000;
        }
        if (r.base.empty())
            return HRESULT_FROM_WIN32(ERROR_DS_NO_SUCH_OBJECT);

        search->pager = std::make_unique<PagedSearch>(m_connection->Handle(), r);
        HRESULT hr = search->pager->Start();
        if (FAILED(hr))
            return hr;
        *phSearchResult = search.get();
        m_searches.push_back(std::move(search));
        return S_OK;
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

DirectorySearch::Search* DirectorySearch::Find(ADS_SEARCH_HANDLE h) const noexcept
{
    for (const auto& s : m_searches)
    {
        if (s.get() == h)
            return s.get();
    }
    return nullptr;
}

HRESULT DirectorySearch::Advance(Search& s) noexcept
{
    s.row.Clear();
    HRESULT hr = s.pager->Next();
    s.onRow = hr == S_OK;
    return hr;
}

HRESULT DirectorySearch::GetFirstRow(ADS_SEARCH_HANDLE h)
{
    SafePoint();
    Search* s = Find(h);
    if (!s)
        return E_ADS_INVALID_HANDLE;
    if (s->pager->EntriesDelivered() > 0 || s->onRow)
    {
        // Back to the start: ask the server again rather than keep every row in memory.
        try
        {
            s->row.Clear();
            s->pager.reset();
            s->pager = std::make_unique<PagedSearch>(m_connection->Handle(), s->request);
        }
        catch (...)
        {
            return E_OUTOFMEMORY;
        }
        s->onRow = false;
        HRESULT hr = s->pager->Start();
        if (FAILED(hr))
            return hr;
    }
    return Advance(*s);
}

HRESULT DirectorySearch::GetNextRow(ADS_SEARCH_HANDLE h)
{
    SafePoint();
    Search* s = Find(h);
    if (!s)
        return E_ADS_INVALID_HANDLE;
    return Advance(*s);
}

ADSTYPE DirectorySearch::ColumnType(const std::string& attribute,
                                    const std::vector<std::string>& values)
{
    if (!m_schemaTried)
    {
        m_schemaTried = true;
        m_schema.Load(m_connection->Handle(), m_subschemaDn, m_connection->TimeoutSeconds());
    }
    ADSTYPE t = m_schema.TypeOf(attribute);
    if (t != ADSTYPE_INVALID)
        return t;
    // Without a schema entry, TRUE/FALSE is the only boolean form a directory writes.
    if (!values.empty() && std::all_of(values.begin(), values.end(), IsBooleanText))
        return ADSTYPE_BOOLEAN;
    return ADSTYPE_CASE_IGNORE_STRING;
}

HRESULT DirectorySearch::GetColumn(ADS_SEARCH_HANDLE h, LPWSTR name, PADS_SEARCH_COLUMN column)
{
    SafePoint();
    Search* s = Find(h);
    if (!s)
        return E_ADS_INVALID_HANDLE;
    if (name == nullptr || column == nullptr)
        return E_ADS_BAD_PARAMETER;
    std::memset(column, 0, sizeof *column);
    if (!s->onRow || !s->pager->Entry())
        return E_ADS_COLUMN_NOT_SET;
    try
    {
        if (!s->row.IsLoaded())
            s->row.Load(m_connection->Handle(), s->pager->Entry());
        std::string wanted = ToUtf8(std::u16string_view(name));
        berval** vals = s->row.Find(wanted);
        if (!vals || !vals[0])
            return E_ADS_COLUMN_NOT_SET;
        std::vector<std::string> raw;
        for (berval** v = vals; *v; ++v)
            raw.emplace_back((*v)->bv_val, (*v)->bv_len);

        ADSTYPE type = ColumnType(wanted, raw);
        auto storage = std::make_unique<ColumnStorage>();
        storage->name = std::u16string(name);
        storage->values.resize(raw.size());
        for (size_t i = 0; i < raw.size(); ++i)
        {
            ADSVALUE& v = storage->values[i];
            std::memset(&v, 0, sizeof v);
            v.dwType = type;
            switch (type)
            {
            case ADSTYPE_BOOLEAN:
                v.Boolean = EqualsNoCase(raw[i], "TRUE") ? TRUE : FALSE;
                break;
            case ADSTYPE_INTEGER:
                v.Integer = static_cast<DWORD>(std::strtol(raw[i].c_str(), nullptr, 10));
                break;
            case ADSTYPE_LARGE_INTEGER:
                v.LargeInteger = std::strtoll(raw[i].c_str(), nullptr, 10);
                break;
            case ADSTYPE_OCTET_STRING:
                storage->blobs.emplace_back(raw[i].begin(), raw[i].end());
                v.OctetString.dwLength = static_cast<DWORD>(storage->blobs.back().size());
                v.OctetString.lpValue = storage->blobs.back().data();
                break;
            default:
                storage->strings.push_back(FromUtf8(raw[i]));
                v.CaseIgnoreString = storage->strings.back().data();
                break;
            }
        }
        column->pszAttrName = storage->name.data();
        column->dwADsType = type;
        column->pADsValues = storage->values.data();
        column->dwNumValues = static_cast<DWORD>(storage->values.size());
        column->hReserved = storage.release();
        return S_OK;
    }
    catch (...)
    {
        std::memset(column, 0, sizeof *column);
        return E_OUTOFMEMORY;
    }
}

HRESULT DirectorySearch::FreeColumn(PADS_SEARCH_COLUMN column)
{
    SafePoint();
    if (column == nullptr)
        return E_ADS_BAD_PARAMETER;
    delete static_cast<ColumnStorage*>(column->hReserved);
    std::memset(column, 0, sizeof *column);
    return S_OK;
}

HRESULT DirectorySearch::CloseSearchHandle(ADS_SEARCH_HANDLE h)
{
    SafePoint();
    auto it = std::find_if(m_searches.begin(), m_searches.end(),
                           [h](const auto& s) { return s.get() == h; });
    if (it == m_searches.end())
        return E_ADS_INVALID_HANDLE;
    m_searches.erase(it);
    return S_OK;
}

} // namespace winplat::ads
