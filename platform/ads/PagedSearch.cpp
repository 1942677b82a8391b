#include "platform/ads/PagedSearch.h"

#include "platform/ads/Ads.h"
#include "platform/ads/LdapError.h"

#include <algorithm>
#include <ldap.h>
#include <sys/time.h>

namespace winplat::ads
{

PagedSearch::PagedSearch(LDAP* ld, Request request) : m_ld(ld), m_req(std::move(request))
{
    if (m_req.pageSize > 0)
        m_page = std::min(m_req.pageSize, std::max(1, m_req.maxPageSize));
}

PagedSearch::~PagedSearch()
{
    Abandon();
    FreeEntry();
    FreeCookie();
}

void PagedSearch::FreeEntry() noexcept
{
    if (m_entry)
        ldap_msgfree(m_entry);
    m_entry = nullptr;
}

void PagedSearch::FreeCookie() noexcept
{
    if (m_cookie)
        ber_bvfree(m_cookie);
    m_cookie = nullptr;
}

void PagedSearch::Abandon() noexcept
{
    if (m_msgid >= 0 && m_ld)
        ldap_abandon_ext(m_ld, m_msgid, nullptr, nullptr);
    m_msgid = -1;
}

HRESULT PagedSearch::Finish(HRESULT hr) noexcept
{
    Abandon();
    FreeCookie();
    m_finished = true;
    m_final = hr;
    return hr;
}

HRESULT PagedSearch::Start() noexcept
{
    return SendPage();
}

HRESULT PagedSearch::SendPage() noexcept
{
    std::vector<char*> attrs;
    for (std::string& a : m_req.attributes)
        attrs.push_back(a.data());
    attrs.push_back(nullptr);

    LDAPControl* page = nullptr;
    if (m_page > 0)
    {
        berval empty{0, nullptr};
        int rc = ldap_create_page_control(m_ld, m_page, m_cookie ? m_cookie : &empty, 0, &page);
        if (rc != LDAP_SUCCESS)
            return Finish(HResultFromLdap(rc));
    }
    LDAPControl* controls[] = {page, nullptr};
    timeval limit{m_req.timeLimitSeconds, 0};
    int rc = ldap_search_ext(
        m_ld, m_req.base.c_str(), m_req.scope, m_req.filter.c_str(),
        m_req.attributes.empty() ? nullptr : attrs.data(), 0, page ? controls : nullptr, nullptr,
        m_req.timeLimitSeconds > 0 ? &limit : nullptr, m_req.sizeLimit, &m_msgid);
    if (page)
        ldap_control_free(page);
    if (rc != LDAP_SUCCESS)
    {
        ReportLdapFailure("search", rc, m_req.filter);
        m_msgid = -1;
        return Finish(HResultFromLdap(rc));
    }
    m_entriesThisPage = 0;
    return S_OK;
}

HRESULT PagedSearch::Next() noexcept
{
    FreeEntry();
    while (!m_finished)
    {
        timeval wait{m_req.timeoutSeconds, 0};
        LDAPMessage* msg = nullptr;
        int type = ldap_result(m_ld, m_msgid, LDAP_MSG_ONE,
                               m_req.timeoutSeconds > 0 ? &wait : nullptr, &msg);
        if (type == 0)
        {
            ReportLdapFailure("search", LDAP_TIMEOUT, "no answer from the server in time");
            return Finish(HResultFromLdap(LDAP_TIMEOUT));
        }
        if (type < 0)
        {
            int code = LDAP_SERVER_DOWN;
            ldap_get_option(m_ld, LDAP_OPT_RESULT_CODE, &code);
            ReportLdapFailure("search", code, "while reading results");
            m_msgid = -1;
            return Finish(HResultFromLdap(code == LDAP_SUCCESS ? LDAP_SERVER_DOWN : code));
        }
        if (type == LDAP_RES_SEARCH_ENTRY)
        {
            m_entry = msg;
            ++m_entriesThisPage;
            ++m_delivered;
            return S_OK;
        }
        if (type != LDAP_RES_SEARCH_RESULT)
        {
            // Continuation references point into other naming contexts: they are not rows.
            ldap_msgfree(msg);
            continue;
        }

        m_msgid = -1;
        int err = LDAP_SUCCESS;
        char* diag = nullptr;
        LDAPControl** ctrls = nullptr;
        int prc = ldap_parse_result(m_ld, msg, &err, nullptr, &diag, nullptr, &ctrls, 1);
        std::string diagnostic = diag ? diag : "";
        if (diag)
            ldap_memfree(diag);
        if (prc != LDAP_SUCCESS)
        {
            ldap_controls_free(ctrls);
            return Finish(HResultFromLdap(prc));
        }
        berval cookie{0, nullptr};
        bool hasCookie = false;
        if (err == LDAP_SUCCESS && m_page > 0)
        {
            if (LDAPControl* resp = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, ctrls, nullptr))
            {
                ber_int_t estimate = 0;
                if (ldap_parse_pageresponse_control(m_ld, resp, &estimate, &cookie) == LDAP_SUCCESS)
                    hasCookie = cookie.bv_len > 0;
            }
        }
        ldap_controls_free(ctrls);

        if (err != LDAP_SUCCESS)
        {
            if (cookie.bv_val)
                ber_memfree(cookie.bv_val);
            // A server that allows smaller pages than we ask for refuses the first page
            // outright; ask again with less.
            bool refusedPageSize =
                m_page > 1 && m_delivered == 0 && m_entriesThisPage == 0 && !m_cookie &&
                (err == LDAP_ADMINLIMIT_EXCEEDED || err == LDAP_UNWILLING_TO_PERFORM);
            if (refusedPageSize)
            {
                m_page /= 2;
                HRESULT hr = SendPage();
                if (FAILED(hr))
                    return hr;
                continue;
            }
            ReportLdapFailure("search", err, diagnostic);
            return Finish(HResultFromLdap(err));
        }
        if (!hasCookie)
        {
            if (cookie.bv_val)
                ber_memfree(cookie.bv_val);
            return Finish(S_ADS_NOMORE_ROWS);
        }
        FreeCookie();
        m_cookie = ber_bvdup(&cookie);
        ber_memfree(cookie.bv_val);
        if (!m_cookie)
            return Finish(E_OUTOFMEMORY);
        HRESULT hr = SendPage();
        if (FAILED(hr))
            return hr;
    }
    return m_final;
}

} // namespace winplat::ads
