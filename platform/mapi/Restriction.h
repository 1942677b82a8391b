// A restriction copied out of the caller's SRestriction tree, evaluated against rows.
#pragma once

#include "platform/mapi/PropValue.h"

#include <memory>
#include <vector>

namespace winplat::mapi
{

using Row = std::vector<PropValue>;

// Finds the value of a row with the identifier of `tag`.
const PropValue* FindInRow(const Row& row, ULONG tag) noexcept;

class Restriction
{
public:
    // MAPI_E_TOO_COMPLEX for kinds the layer does not evaluate, MAPI_E_INVALID_PARAMETER for
    // a malformed tree.
    [[nodiscard]] static HRESULT Copy(const SRestriction& res, std::unique_ptr<Restriction>* out,
                                      int depth = 0);

    bool Matches(const Row& row) const;

private:
    [[nodiscard]] HRESULT CopyChildren(const SRestriction* list, ULONG count, int depth);

    ULONG m_type = RES_AND;
    ULONG m_relop = RELOP_EQ; // relop, fuzzy level or bitmask relation
    ULONG m_tag = 0;
    ULONG m_tag2 = 0;
    ULONG m_number = 0; // mask or size
    std::optional<PropValue> m_value;
    std::vector<std::unique_ptr<Restriction>> m_children;
};

} // namespace winplat::mapi
