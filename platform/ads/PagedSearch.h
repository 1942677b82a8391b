// One search, handed out an entry at a time as the server sends them, page after page.
#pragma once

#include "platform/base/WinTypes.h"

#include <string>
#include <vector>

typedef struct ldap LDAP;
typedef struct ldapmsg LDAPMessage;
struct berval;

namespace winplat::ads
{

class PagedSearch final
{
public:
    struct Request
    {
        std::string base;
        int scope = 2;
        std::string filter;
        std::vector<std::string> attributes; // empty: all user attributes
        int pageSize = 0;                    // 0: no paged-results control
        int maxPageSize = 1000;              // what we ask for at most, as Active Directory allows
        int timeoutSeconds = 0;              // longest wait for the server's next answer; 0: none
        int timeLimitSeconds = 0;            // the server's limit per request
        int sizeLimit = 0;
    };

    PagedSearch(LDAP* ld, Request request);
    ~PagedSearch();
    PagedSearch(const PagedSearch&) = delete;
    PagedSearch& operator=(const PagedSearch&) = delete;

    // Sends the first request; a filter the client cannot encode fails here.
    [[nodiscard]] HRESULT Start() noexcept;
    // S_OK with Entry() set, S_ADS_NOMORE_ROWS at the true end, or the failure that ended the
    // search early (a limit, a lost connection, a timeout). The end, once reached, stays.
    [[nodiscard]] HRESULT Next() noexcept;
    LDAPMessage* Entry() const noexcept { return m_entry; }
    int EntriesDelivered() const noexcept { return m_delivered; }

private:
    HRESULT SendPage() noexcept;
    HRESULT Finish(HRESULT hr) noexcept;
    void FreeEntry() noexcept;
    void FreeCookie() noexcept;
    void Abandon() noexcept;

    LDAP* m_ld;
    Request m_req;
    int m_msgid = -1;
    int m_page = 0;
    berval* m_cookie = nullptr;
    LDAPMessage* m_entry = nullptr;
    int m_delivered = 0;
    int m_entriesThisPage = 0;
    bool m_finished = false;
    HRESULT m_final = S_OK;
};

} // namespace winplat::ads
