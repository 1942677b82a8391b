// Memory the subsystem hands out, and the helpers that free or search it.
#include "platform/mapi/MapiApi.h"
#include "platform/mapi/MapiFaults.h"

#include <cstdlib>
#include <cstring>
#include <new>

using winplat::mapi::MapiFaults;

namespace
{

constexpr std::uint32_t kMagic = 0x4D415049; // marks a block of ours

// Sits in front of every block. A block from MAPIAllocateMore hangs in the list of the
// block it was linked to and goes with it.
struct alignas(std::max_align_t) Header
{
    std::uint32_t magic;
    bool linked;
    Header* root;
    Header* next;
};

Header* HeaderOf(void* p) noexcept
{
    if (p == nullptr)
        return nullptr;
    auto* h = reinterpret_cast<Header*>(static_cast<char*>(p) - sizeof(Header));
    return h->magic == kMagic ? h : nullptr;
}

void* Allocate(ULONG cb, bool linked, Header* root) noexcept
{
    void* raw = std::malloc(sizeof(Header) + (cb == 0 ? 1 : cb));
    if (raw == nullptr)
        return nullptr;
    auto* h = new (raw) Header{kMagic, linked, root, nullptr};
    MapiFaults::AllocationCountChanged(1);
    return reinterpret_cast<char*>(h) + sizeof(Header);
}

void Release(Header* h) noexcept
{
    h->magic = 0;
    std::free(h);
    MapiFaults::AllocationCountChanged(-1);
}

} // namespace

SCODE MAPIAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer) noexcept
{
    if (lppBuffer == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppBuffer = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("MAPIAllocateBuffer", 0, &hr))
        return FAILED(hr) ? hr : MAPI_E_NOT_ENOUGH_MEMORY;
    *lppBuffer = Allocate(cbSize, false, nullptr);
    return *lppBuffer ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
}

SCODE MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) noexcept
{
    if (lppBuffer == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppBuffer = nullptr;
    Header* parent = HeaderOf(lpObject);
    if (parent == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("MAPIAllocateMore", 0, &hr))
        return FAILED(hr) ? hr : MAPI_E_NOT_ENOUGH_MEMORY;
    Header* root = parent->linked ? parent->root : parent;
    void* p = Allocate(cbSize, true, root);
    if (p == nullptr)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    Header* h = HeaderOf(p);
    h->next = root->next;
    root->next = h;
    *lppBuffer = p;
    return S_OK;
}

ULONG MAPIFreeBuffer(LPVOID lpBuffer) noexcept
{
    Header* h = HeaderOf(lpBuffer);
    // A linked block is freed with its root; freeing it alone would leave the root's list
    // pointing at freed memory.
    if (h == nullptr || h->linked)
        return 0;
    Header* child = h->next;
    while (child != nullptr)
    {
        Header* next = child->next;
        Release(child);
        child = next;
    }
    Release(h);
    return 0;
}

void FreeProws(LPSRowSet lpRows) noexcept
{
    if (lpRows == nullptr)
        return;
    for (ULONG i = 0; i < lpRows->cRows; ++i)
        MAPIFreeBuffer(lpRows->aRow[i].lpProps);
    MAPIFreeBuffer(lpRows);
}

LPSPropValue PpropFindProp(LPSPropValue lpPropArray, ULONG cValues, ULONG ulPropTag) noexcept
{
    if (lpPropArray == nullptr)
        return nullptr;
    // A test can make the value seem absent.
    HRESULT ignored = S_OK;
    if (MapiFaults::Hit("PpropFindProp", ulPropTag, &ignored))
        return nullptr;
    bool anyType = PROP_TYPE(ulPropTag) == PT_UNSPECIFIED;
    for (ULONG i = 0; i < cValues; ++i)
    {
        ULONG tag = lpPropArray[i].ulPropTag;
        if (tag == ulPropTag || (anyType && PROP_ID(tag) == PROP_ID(ulPropTag)))
            return &lpPropArray[i];
    }
    return nullptr;
}

HRESULT HrQueryAllRows(LPMAPITABLE lpTable, LPSPropTagArray lpPropTags,
                       LPSRestriction lpRestriction, LPSSortOrderSet lpSortOrderSet, LONG crowsMax,
                       LPSRowSet* lppRows) noexcept
{
    if (lppRows == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppRows = nullptr;
    if (lpTable == nullptr || crowsMax < 0)
        return MAPI_E_INVALID_PARAMETER;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("HrQueryAllRows", 0, &hr))
        return hr;
    if (lpPropTags != nullptr && FAILED(hr = lpTable->SetColumns(lpPropTags, TBL_BATCH)))
        return hr;
    if (lpRestriction != nullptr && FAILED(hr = lpTable->Restrict(lpRestriction, TBL_BATCH)))
        return hr;
    if (lpSortOrderSet != nullptr && FAILED(hr = lpTable->SortTable(lpSortOrderSet, TBL_BATCH)))
        return hr;
    if (FAILED(hr = lpTable->SeekRow(BOOKMARK_BEGINNING, 0, nullptr)))
        return hr;
    ULONG count = 0;
    if (FAILED(hr = lpTable->GetRowCount(0, &count)))
        return hr;
    if (crowsMax > 0 && count > static_cast<ULONG>(crowsMax))
        return MAPI_E_TABLE_TOO_BIG;
    // Ask for one more than the count, so that rows added meanwhile are not cut off silently.
    LONG want = static_cast<LONG>(count < 0x7FFFFFFE ? count + 1 : 0x7FFFFFFF);
    return lpTable->QueryRows(want, 0, lppRows);
}
