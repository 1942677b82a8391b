// A table over a snapshot of rows: columns, a cursor with bookmarks, restriction and sort.
//
// A column whose row has no value gives the error value MAPI_E_NOT_FOUND under the column's
// identifier. A binary value larger than the table's limit gives MAPI_E_NOT_ENOUGH_MEMORY the
// same way, as a server does when a value does not fit a table row.
#pragma once

#include "platform/base/ComObject.h"
#include "platform/mapi/LiveObject.h"
#include "platform/mapi/MapiFaults.h"
#include "platform/mapi/MapiIids.h"
#include "platform/mapi/Restriction.h"

#include <map>
#include <memory>
#include <vector>

namespace winplat::mapi
{

struct TableOptions
{
    std::vector<ULONG> columns; // the columns before any SetColumns
    bool unicode = false;       // text columns of type PT_UNSPECIFIED come out as UTF-16
    ULONG binaryLimit = 0;      // 0: no limit
};

class MemoryTable final : public ComObject<IMAPITable>
{
public:
    [[nodiscard]] static HRESULT Create(std::shared_ptr<const std::vector<Row>> rows,
                                        TableOptions options, LPMAPITABLE* lppTable) noexcept;

    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
    HRESULT Advise(ULONG ulEventMask, LPMAPIADVISESINK lpAdviseSink,
                   ULONG_PTR* lpulConnection) override;
    HRESULT Unadvise(ULONG_PTR ulConnection) override;
    HRESULT GetStatus(ULONG* lpulTableStatus, ULONG* lpulTableType) override;
    HRESULT SetColumns(LPSPropTagArray lpPropTagArray, ULONG ulFlags) override;
    HRESULT QueryColumns(ULONG ulFlags, LPSPropTagArray* lpPropTagArray) override;
    HRESULT GetRowCount(ULONG ulFlags, ULONG* lpulCount) override;
    HRESULT SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG* lplRowsSought) override;
    HRESULT SeekRowApprox(ULONG ulNumerator, ULONG ulDenominator) override;
    HRESULT QueryPosition(ULONG* lpulRow, ULONG* lpulNumerator, ULONG* lpulDenominator) override;
    HRESULT FindRow(LPSRestriction lpRestriction, BOOKMARK bkOrigin, ULONG ulFlags) override;
    HRESULT Restrict(LPSRestriction lpRestriction, ULONG ulFlags) override;
    HRESULT CreateBookmark(BOOKMARK* lpbkPosition) override;
    HRESULT FreeBookmark(BOOKMARK bkPosition) override;
    HRESULT SortTable(LPSSortOrderSet lpSortCriteria, ULONG ulFlags) override;
    HRESULT QuerySortOrder(LPSSortOrderSet* lppSortCriteria) override;
    HRESULT QueryRows(LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows) override;
    HRESULT Abort() override;
    HRESULT ExpandRow(ULONG cbInstanceKey, LPBYTE pbInstanceKey, ULONG ulRowCount, ULONG ulFlags,
                      LPSRowSet* lppRows, ULONG* lpulMoreRows) override;
    HRESULT CollapseRow(ULONG cbInstanceKey, LPBYTE pbInstanceKey, ULONG ulFlags,
                        ULONG* lpulRowCount) override;
    HRESULT WaitForCompletion(ULONG ulFlags, ULONG ulTimeout, ULONG* lpulTableStatus) override;
    HRESULT GetCollapseState(ULONG ulFlags, ULONG cbInstanceKey, LPBYTE lpbInstanceKey,
                             ULONG* lpcbCollapseState, LPBYTE* lppbCollapseState) override;
    HRESULT SetCollapseState(ULONG ulFlags, ULONG cbCollapseState, LPBYTE pbCollapseState,
                             BOOKMARK* lpbkLocation) override;

private:
    MemoryTable(std::shared_ptr<const std::vector<Row>> rows, TableOptions options);
    ~MemoryTable() override = default;

    PropValue ColumnValue(const Row& row, ULONG column) const;
    [[nodiscard]] HRESULT BuildRows(size_t first, size_t count, LPSRowSet* lppRows) const;
    [[nodiscard]] HRESULT Position(BOOKMARK bk, size_t* pos) const;
    void ResetView();

    LiveObject m_live{MapiObject::Table};
    std::shared_ptr<const std::vector<Row>> m_rows;
    TableOptions m_options;
    std::unique_ptr<Restriction> m_restriction;
    std::vector<SSortOrder> m_sort;
    std::vector<size_t> m_view; // rows that pass the restriction, in sort order
    size_t m_cursor = 0;
    std::map<BOOKMARK, size_t> m_bookmarks;
    BOOKMARK m_nextBookmark = 3;
};

} // namespace winplat::mapi
