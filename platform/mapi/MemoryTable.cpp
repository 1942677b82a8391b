#include "platform/mapi/MemoryTable.h"

#include "platform/mapi/MapiApi.h"
#include "platform/mapi/NotSupported.h"

#include <algorithm>
#include <new>

namespace winplat::mapi
{

namespace
{
constexpr ULONG TBL_ALL_COLUMNS = 0x00000001;
constexpr ULONG DIR_BACKWARD = 0x00000001;
constexpr ULONG kBatchFlags = TBL_ASYNC | TBL_BATCH;
} // namespace

HRESULT MemoryTable::Create(std::shared_ptr<const std::vector<Row>> rows, TableOptions options,
                            LPMAPITABLE* lppTable) noexcept
{
    *lppTable = nullptr;
    try
    {
        *lppTable = new MemoryTable(std::move(rows), std::move(options));
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

MemoryTable::MemoryTable(std::shared_ptr<const std::vector<Row>> rows, TableOptions options)
    : m_rows(std::move(rows)), m_options(std::move(options))
{
    ResetView();
}

void MemoryTable::ResetView()
{
    m_view.clear();
    for (size_t i = 0; i < m_rows->size(); ++i)
    {
        if (!m_restriction || m_restriction->Matches((*m_rows)[i]))
            m_view.push_back(i);
    }
    if (!m_sort.empty())
    {
        std::stable_sort(m_view.begin(), m_view.end(),
                         [this](size_t a, size_t b)
                         {
                             for (const SSortOrder& s : m_sort)
                             {
                                 const PropValue* va = FindInRow((*m_rows)[a], s.ulPropTag);
                                 const PropValue* vb = FindInRow((*m_rows)[b], s.ulPropTag);
                                 if (!va || !vb)
                                 {
                                     if (va != vb)
                                         return va != nullptr; // rows without the value go last
                                     continue;
                                 }
                                 int order = PropValue::Compare(*va, *vb).value_or(0);
                                 if (order != 0)
                                     return s.ulOrder == TABLE_SORT_DESCEND ? order > 0 : order < 0;
                             }
                             return false;
                         });
    }
    m_cursor = 0;
    m_bookmarks.clear();
}

PropValue MemoryTable::ColumnValue(const Row& row, ULONG column) const
{
    if (column == PR_NULL)
        return PropValue(PR_NULL, std::monostate{});
    ULONG id = PROP_ID(column);
    for (const PropValue& v : row)
    {
        if (v.Id() != id)
            continue;
        if (v.Type() == PT_ERROR)
            return v;
        std::optional<PropValue> out = v.As(column, m_options.unicode);
        if (!out)
            return PropValue::Error(id, MAPI_E_NOT_FOUND);
        if (const auto* b = out->Bytes(); b && m_options.binaryLimit != 0 &&
                                          out->Type() == PT_BINARY &&
                                          b->size() > m_options.binaryLimit)
            return PropValue::Error(id, MAPI_E_NOT_ENOUGH_MEMORY);
        return std::move(*out);
    }
    return PropValue::Error(id, MAPI_E_NOT_FOUND);
}

HRESULT MemoryTable::BuildRows(size_t first, size_t count, LPSRowSet* lppRows) const
{
    LPVOID block = nullptr;
    if (FAILED(MAPIAllocateBuffer(static_cast<ULONG>(CbNewSRowSet(static_cast<ULONG>(count))),
                                  &block)))
        return MAPI_E_NOT_ENOUGH_MEMORY;
    auto* set = static_cast<LPSRowSet>(block);
    set->cRows = 0;
    const size_t ncols = m_options.columns.size();
    for (size_t k = 0; k < count; ++k)
    {
        const Row& row = (*m_rows)[m_view[first + k]];
        LPVOID props = nullptr;
        if (FAILED(MAPIAllocateBuffer(static_cast<ULONG>(sizeof(SPropValue) * (ncols ? ncols : 1)),
                                      &props)))
        {
            FreeProws(set);
            return MAPI_E_NOT_ENOUGH_MEMORY;
        }
        SRow& out = set->aRow[k];
        out.ulAdrEntryPad = 0;
        out.cValues = static_cast<ULONG>(ncols);
        out.lpProps = static_cast<LPSPropValue>(props);
        set->cRows = static_cast<ULONG>(k + 1);
        for (size_t c = 0; c < ncols; ++c)
        {
            HRESULT hr = S_OK;
            try
            {
                hr = ColumnValue(row, m_options.columns[c]).CopyTo(out.lpProps[c], props);
            }
            catch (const std::bad_alloc&)
            {
                hr = MAPI_E_NOT_ENOUGH_MEMORY;
            }
            if (FAILED(hr))
            {
                FreeProws(set);
                return hr;
            }
        }
    }
    *lppRows = set;
    return S_OK;
}

HRESULT MemoryTable::Position(BOOKMARK bk, size_t* pos) const
{
    switch (bk)
    {
    case BOOKMARK_BEGINNING:
        *pos = 0;
        return S_OK;
    case BOOKMARK_CURRENT:
        *pos = m_cursor;
        return S_OK;
    case BOOKMARK_END:
        *pos = m_view.size();
        return S_OK;
    default:
        break;
    }
    auto it = m_bookmarks.find(bk);
    if (it == m_bookmarks.end())
        return MAPI_E_INVALID_BOOKMARK;
    *pos = std::min(it->second, m_view.size());
    return S_OK;
}

HRESULT MemoryTable::GetLastError(HRESULT, ULONG, LPMAPIERROR* lppMAPIError)
{
    return NoExtendedError(lppMAPIError);
}

HRESULT MemoryTable::Advise(ULONG, LPMAPIADVISESINK, ULONG_PTR* lpulConnection)
{
    if (lpulConnection)
        *lpulConnection = 0;
    return NotSupported("IMAPITable::Advise");
}

HRESULT MemoryTable::Unadvise(ULONG_PTR)
{
    return NotSupported("IMAPITable::Unadvise");
}

HRESULT MemoryTable::GetStatus(ULONG* lpulTableStatus, ULONG* lpulTableType)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPITable::GetStatus", 0, &hr))
        return hr;
    if (lpulTableStatus == nullptr || lpulTableType == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lpulTableStatus = TBLSTAT_COMPLETE;
    *lpulTableType = TBLTYPE_SNAPSHOT;
    return S_OK;
}

HRESULT MemoryTable::SetColumns(LPSPropTagArray lpPropTagArray, ULONG ulFlags)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPITable::SetColumns", ulFlags, &hr))
        return hr;
    if (lpPropTagArray == nullptr || lpPropTagArray->cValues == 0)
        return MAPI_E_INVALID_PARAMETER;
    if ((ulFlags & ~kBatchFlags) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    try
    {
        m_options.columns.assign(lpPropTagArray->aulPropTag,
                                 lpPropTagArray->aulPropTag + lpPropTagArray->cValues);
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    return S_OK;
}

HRESULT MemoryTable::QueryColumns(ULONG ulFlags, LPSPropTagArray* lpPropTagArray)
{
    if (lpPropTagArray == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lpPropTagArray = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPITable::QueryColumns", ulFlags, &hr))
        return hr;
    if ((ulFlags & ~TBL_ALL_COLUMNS) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    std::vector<ULONG> tags = m_options.columns;
    if (ulFlags & TBL_ALL_COLUMNS)
    {
        for (const Row& row : *m_rows)
        {
            for (const PropValue& v : row)
            {
                if (std::none_of(tags.begin(), tags.end(),
                                 [&](ULONG t) { return PROP_ID(t) == v.Id(); }))
                    tags.push_back(v.Tag());
            }
        }
    }
    LPVOID p = nullptr;
    if (FAILED(MAPIAllocateBuffer(CbNewSPropTagArray(static_cast<ULONG>(tags.size())), &p)))
        return MAPI_E_NOT_ENOUGH_MEMORY;
    auto* out = static_cast<LPSPropTagArray>(p);
    out->cValues = static_cast<ULONG>(tags.size());
    std::copy(tags.begin(), tags.end(), out->aulPropTag);
    *lpPropTagArray = out;
    return S_OK;
}

HRESULT MemoryTable::GetRowCount(ULONG ulFlags, ULONG* lpulCount)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPITable::GetRowCount", ulFlags, &hr))
        return hr;
    if (lpulCount == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    if (ulFlags != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    *lpulCount = static_cast<ULONG>(m_view.size());
    return S_OK;
}

HRESULT MemoryTable::SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG* lplRowsSought)
{
    if (lplRowsSought)
        *lplRowsSought = 0;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPITable::SeekRow", 0, &hr))
        return hr;
    size_t origin = 0;
    if (HRESULT r = Position(bkOrigin, &origin); FAILED(r))
        return r;
    long long target = static_cast<long long>(origin) + lRowCount;
    target = std::clamp<long long>(target, 0, static_cast<long long>(m_view.size()));
    if (lplRowsSought)
        *lplRowsSought = static_cast<LONG>(target - static_cast<long long>(origin));
    m_cursor = static_cast<size_t>(target);
    return S_OK;
}

HRESULT MemoryTable::SeekRowApprox(ULONG ulNumerator, ULONG ulDenominator)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPITable::SeekRowApprox", 0, &hr))
        return hr;
    if (ulDenominator == 0)
        return MAPI_E_INVALID_PARAMETER;
    unsigned long long pos =
        static_cast<unsigned long long>(m_view.size()) * ulNumerator / ulDenominator;
    m_cursor = static_cast<size_t>(std::min<unsigned long long>(pos, m_view.size()));
    return S_OK;
}

HRESULT MemoryTable::QueryPosition(ULONG* lpulRow, ULONG* lpulNumerator, ULONG* lpulDenominator)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPITable::QueryPosition", 0, &hr))
        return hr;
    if (lpulRow == nullptr || lpulNumerator == nullptr || lpulDenominator == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lpulRow = static_cast<ULONG>(m_cursor);
    *lpulNumerator = static_cast<ULONG>(m_cursor);
    *lpulDenominator = static_cast<ULONG>(m_view.empty() ? 1 : m_view.size());
    return S_OK;
}

HRESULT MemoryTable::FindRow(LPSRestriction lpRestriction, BOOKMARK bkOrigin, ULONG ulFlags)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPITable::FindRow", ulFlags, &hr))
        return hr;
    if (lpRestriction == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    if ((ulFlags & ~DIR_BACKWARD) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    size_t origin = 0;
    if (HRESULT r = Position(bkOrigin, &origin); FAILED(r))
        return r;
    std::unique_ptr<Restriction> res;
    if (HRESULT r = Restriction::Copy(*lpRestriction, &res); FAILED(r))
        return r;
    if (ulFlags & DIR_BACKWARD)
    {
        for (size_t i = origin; i-- > 0;)
        {
            if (res->Matches((*m_rows)[m_view[i]]))
            {
                m_cursor = i;
                return S_OK;
            }
        }
    }
    else
    {
        for (size_t i = origin; i < m_view.size(); ++i)
        {
            if (res->Matches((*m_rows)[m_view[i]]))
            {
                m_cursor = i;
                return S_OK;
            }
        }
    }
    return MAPI_E_NOT_FOUND;
}

HRESULT MemoryTable::Restrict(LPSRestriction lpRestriction, ULONG ulFlags)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPITable::Restrict", ulFlags, &hr))
        return hr;
    if ((ulFlags & ~kBatchFlags) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    std::unique_ptr<Restriction> res;
    if (lpRestriction != nullptr)
    {
        if (HRESULT r = Restriction::Copy(*lpRestriction, &res); FAILED(r))
            return r;
    }
    m_restriction = std::move(res);
    ResetView();
    return S_OK;
}

HRESULT MemoryTable::CreateBookmark(BOOKMARK* lpbkPosition)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPITable::CreateBookmark", 0, &hr))
        return hr;
    if (lpbkPosition == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    BOOKMARK bk = m_nextBookmark++;
    m_bookmarks[bk] = m_cursor;
    *lpbkPosition = bk;
    return S_OK;
}

HRESULT MemoryTable::FreeBookmark(BOOKMARK bkPosition)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPITable::FreeBookmark", 0, &hr))
        return hr;
    if (bkPosition <= BOOKMARK_END)
        return S_OK;
    return m_bookmarks.erase(bkPosition) ? S_OK : MAPI_E_INVALID_BOOKMARK;
}

HRESULT MemoryTable::SortTable(LPSSortOrderSet lpSortCriteria, ULONG ulFlags)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPITable::SortTable", ulFlags, &hr))
        return hr;
    if (lpSortCriteria == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    if ((ulFlags & ~kBatchFlags) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    if (lpSortCriteria->cCategories != 0)
        return MAPI_E_TOO_COMPLEX;
    std::vector<SSortOrder> sort(lpSortCriteria->aSort,
                                 lpSortCriteria->aSort + lpSortCriteria->cSorts);
    for (const SSortOrder& s : sort)
    {
        if (s.ulOrder != TABLE_SORT_ASCEND && s.ulOrder != TABLE_SORT_DESCEND)
            return MAPI_E_TOO_COMPLEX;
    }
    m_sort = std::move(sort);
    ResetView();
    return S_OK;
}

HRESULT MemoryTable::QuerySortOrder(LPSSortOrderSet* lppSortCriteria)
{
    if (lppSortCriteria == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppSortCriteria = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPITable::QuerySortOrder", 0, &hr))
        return hr;
    LPVOID p = nullptr;
    ULONG cb = static_cast<ULONG>(sizeof(ULONG) * 3 + sizeof(SSortOrder) * (m_sort.size() + 1));
    if (FAILED(MAPIAllocateBuffer(cb, &p)))
        return MAPI_E_NOT_ENOUGH_MEMORY;
    auto* out = static_cast<LPSSortOrderSet>(p);
    out->cSorts = static_cast<ULONG>(m_sort.size());
    out->cCategories = 0;
    out->cExpanded = 0;
    std::copy(m_sort.begin(), m_sort.end(), out->aSort);
    *lppSortCriteria = out;
    return S_OK;
}

HRESULT MemoryTable::QueryRows(LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows)
{
    if (lppRows == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppRows = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPITable::QueryRows", ulFlags, &hr))
        return hr;
    if (lRowCount == 0)
        return MAPI_E_INVALID_PARAMETER;
    if ((ulFlags & ~TBL_NOADVANCE) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    size_t first = 0;
    size_t count = 0;
    if (lRowCount > 0)
    {
        first = m_cursor;
        count = std::min(static_cast<size_t>(lRowCount), m_view.size() - m_cursor);
    }
    else
    {
        size_t back = std::min(static_cast<size_t>(-static_cast<long long>(lRowCount)), m_cursor);
        first = m_cursor - back;
        count = back;
    }
    if (HRESULT r = BuildRows(first, count, lppRows); FAILED(r))
        return r;
    if ((ulFlags & TBL_NOADVANCE) == 0)
        m_cursor = lRowCount > 0 ? first + count : first;
    return S_OK;
}

HRESULT MemoryTable::Abort()
{
    return S_OK;
}

HRESULT MemoryTable::ExpandRow(ULONG, LPBYTE, ULONG, ULONG, LPSRowSet* lppRows, ULONG* lpulMoreRows)
{
    if (lppRows)
        *lppRows = nullptr;
    if (lpulMoreRows)
        *lpulMoreRows = 0;
    return NotSupported("IMAPITable::ExpandRow");
}

HRESULT MemoryTable::CollapseRow(ULONG, LPBYTE, ULONG, ULONG* lpulRowCount)
{
    if (lpulRowCount)
        *lpulRowCount = 0;
    return NotSupported("IMAPITable::CollapseRow");
}

HRESULT MemoryTable::WaitForCompletion(ULONG, ULONG, ULONG* lpulTableStatus)
{
    if (lpulTableStatus)
        *lpulTableStatus = TBLSTAT_COMPLETE;
    return S_OK;
}

HRESULT MemoryTable::GetCollapseState(ULONG, ULONG, LPBYTE, ULONG* lpcbCollapseState,
                                      LPBYTE* lppbCollapseState)
{
    if (lpcbCollapseState)
        *lpcbCollapseState = 0;
    if (lppbCollapseState)
        *lppbCollapseState = nullptr;
    return NotSupported("IMAPITable::GetCollapseState");
}

HRESULT MemoryTable::SetCollapseState(ULONG, ULONG, LPBYTE, BOOKMARK* lpbkLocation)
{
    if (lpbkLocation)
        *lpbkLocation = BOOKMARK_BEGINNING;
    return NotSupported("IMAPITable::SetCollapseState");
}

} // namespace winplat::mapi
