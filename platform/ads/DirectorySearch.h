// IDirectorySearch over one bound LDAP connection.
#pragma once

#include "platform/ads/Ads.h"
#include "platform/ads/AdsInterfaceIds.h"
#include "platform/ads/AttributeSchema.h"
#include "platform/ads/EntryAttributes.h"
#include "platform/ads/LdapConnection.h"
#include "platform/ads/PagedSearch.h"
#include "platform/base/ComObject.h"

#include <memory>
#include <vector>

namespace winplat::ads
{

class DirectorySearch final : public ComObject<IDirectorySearch>
{
public:
    DirectorySearch(std::unique_ptr<LdapConnection> connection, std::string base,
                    std::string subschemaDn);

    HRESULT STDMETHODCALLTYPE SetSearchPreference(PADS_SEARCHPREF_INFO pSearchPrefs,
                                                  DWORD dwNumPrefs) override;
    HRESULT STDMETHODCALLTYPE ExecuteSearch(LPWSTR pszSearchFilter, LPWSTR* pAttributeNames,
                                            DWORD dwNumberAttributes,
                                            PADS_SEARCH_HANDLE phSearchResult) override;
    HRESULT STDMETHODCALLTYPE GetFirstRow(ADS_SEARCH_HANDLE hSearchResult) override;
    HRESULT STDMETHODCALLTYPE GetNextRow(ADS_SEARCH_HANDLE hSearchResult) override;
    HRESULT STDMETHODCALLTYPE GetColumn(ADS_SEARCH_HANDLE hSearchResult, LPWSTR szColumnName,
                                        PADS_SEARCH_COLUMN pSearchColumn) override;
    HRESULT STDMETHODCALLTYPE FreeColumn(PADS_SEARCH_COLUMN pSearchColumn) override;
    HRESULT STDMETHODCALLTYPE CloseSearchHandle(ADS_SEARCH_HANDLE hSearchResult) override;

private:
    ~DirectorySearch() override;

    struct Preferences
    {
        int scope = 2;
        int pageSize = 0;
        int timeoutSeconds = 0;
        int timeLimitSeconds = 0;
        int sizeLimit = 0;
    };
    struct Search
    {
        PagedSearch::Request request;
        std::unique_ptr<PagedSearch> pager;
        bool onRow = false;
        EntryAttributes row; // the current entry, read once for all its columns
    };

    Search* Find(ADS_SEARCH_HANDLE h) const noexcept;
    HRESULT Advance(Search& s) noexcept;
    ADSTYPE ColumnType(const std::string& attribute, const std::vector<std::string>& values);

    // Searches go before the connection they run on.
    std::unique_ptr<LdapConnection> m_connection;
    std::string m_base;
    std::string m_subschemaDn;
    AttributeSchema m_schema;
    bool m_schemaTried = false;
    Preferences m_prefs;
    std::vector<std::unique_ptr<Search>> m_searches;
};

} // namespace winplat::ads
