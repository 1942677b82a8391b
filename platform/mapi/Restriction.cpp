#include "platform/mapi/Restriction.h"

#include <algorithm>

namespace winplat::mapi
{

namespace
{

constexpr ULONG FL_FULLSTRING = 0x00000;
constexpr ULONG FL_SUBSTRING = 0x00001;
constexpr ULONG FL_PREFIX = 0x00002;
constexpr ULONG FL_IGNORECASE = 0x10000;
constexpr ULONG BMR_EQZ = 0;
constexpr ULONG BMR_NEZ = 1;
// Deep enough for any restriction a program builds; stops a cyclic tree.
constexpr int kMaxDepth = 64;

bool Relate(ULONG relop, int order)
{
    switch (relop)
    {
    case RELOP_LT:
        return order < 0;
    case RELOP_LE:
        return order <= 0;
    case RELOP_GT:
        return order > 0;
    case RELOP_GE:
        return order >= 0;
    case RELOP_EQ:
        return order == 0;
    case RELOP_NE:
        return order != 0;
    default:
        return false;
    }
}

bool KnownRelop(ULONG relop)
{
    return relop <= RELOP_NE;
}

// Text of a value as UTF-16, or bytes, for content matching.
bool ContentMatches(const PropValue& have, const PropValue& want, ULONG fuzzy)
{
    ULONG how = fuzzy & 0xFFFF;
    bool ignoreCase = (fuzzy & FL_IGNORECASE) != 0;
    if (const auto* hb = have.Bytes())
    {
        const auto* wb = want.Bytes();
        if (wb == nullptr)
            return false;
        if (how == FL_FULLSTRING)
            return *hb == *wb;
        if (how == FL_PREFIX)
            return hb->size() >= wb->size() && std::equal(wb->begin(), wb->end(), hb->begin());
        return std::search(hb->begin(), hb->end(), wb->begin(), wb->end()) != hb->end();
    }
    auto h = have.As(CHANGE_PROP_TYPE(have.Tag(), PT_UNICODE), true);
    auto w = want.As(CHANGE_PROP_TYPE(want.Tag(), PT_UNICODE), true);
    if (!h || !w || !h->WideText() || !w->WideText())
        return false;
    const std::u16string& hs = *h->WideText();
    const std::u16string& ws = *w->WideText();
    auto equalAt = [&](size_t pos)
    {
        std::u16string part = hs.substr(pos, ws.size());
        return ignoreCase ? CompareNoCase(part, ws) == 0 : part == ws;
    };
    if (how == FL_FULLSTRING)
        return hs.size() == ws.size() && equalAt(0);
    if (how == FL_PREFIX)
        return hs.size() >= ws.size() && equalAt(0);
    for (size_t pos = 0; pos + ws.size() <= hs.size(); ++pos)
    {
        if (equalAt(pos))
            return true;
    }
    return false;
}

} // namespace

const PropValue* FindInRow(const Row& row, ULONG tag) noexcept
{
    for (const PropValue& v : row)
    {
        if (v.Id() == PROP_ID(tag) && v.Type() != PT_ERROR)
            return &v;
    }
    return nullptr;
}

HRESULT Restriction::CopyChildren(const SRestriction* list, ULONG count, int depth)
{
    if (count != 0 && list == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    for (ULONG i = 0; i < count; ++i)
    {
        std::unique_ptr<Restriction> child;
        if (HRESULT hr = Copy(list[i], &child, depth + 1); FAILED(hr))
            return hr;
        m_children.push_back(std::move(child));
    }
    return S_OK;
}

HRESULT Restriction::Copy(const SRestriction& res, std::unique_ptr<Restriction>* out, int depth)
{
    if (depth > kMaxDepth)
        return MAPI_E_TOO_COMPLEX;
    auto r = std::make_unique<Restriction>();
    Restriction& x = *r;
    x.m_type = res.rt;
    switch (res.rt)
    {
    case RES_AND:
    case RES_OR:
    {
        const SAndRestriction& a = res.res.resAnd;
        if (HRESULT hr = x.CopyChildren(a.lpRes, a.cRes, depth); FAILED(hr))
            return hr;
        break;
    }
    case RES_NOT:
        if (HRESULT hr = x.CopyChildren(res.res.resNot.lpRes, 1, depth); FAILED(hr))
            return hr;
        break;
    case RES_COMMENT:
        if (res.res.resComment.lpRes == nullptr)
        {
            x.m_type = RES_AND; // a bare comment restricts nothing
            break;
        }
        x.m_type = RES_AND;
        if (HRESULT hr = x.CopyChildren(res.res.resComment.lpRes, 1, depth); FAILED(hr))
            return hr;
        break;
    case RES_PROPERTY:
    {
        const SPropertyRestriction& p = res.res.resProperty;
        if (p.lpProp == nullptr || !KnownRelop(p.relop))
            return MAPI_E_INVALID_PARAMETER;
        x.m_relop = p.relop;
        x.m_tag = p.ulPropTag;
        x.m_value = PropValue::From(*p.lpProp);
        if (!x.m_value)
            return MAPI_E_TOO_COMPLEX;
        break;
    }
    case RES_CONTENT:
    {
        const SContentRestriction& c = res.res.resContent;
        if (c.lpProp == nullptr)
            return MAPI_E_INVALID_PARAMETER;
        ULONG how = c.ulFuzzyLevel & 0xFFFF;
        if (how != FL_FULLSTRING && how != FL_SUBSTRING && how != FL_PREFIX)
            return MAPI_E_TOO_COMPLEX;
        x.m_relop = c.ulFuzzyLevel;
        x.m_tag = c.ulPropTag;
        x.m_value = PropValue::From(*c.lpProp);
        if (!x.m_value)
            return MAPI_E_TOO_COMPLEX;
        break;
    }
    case RES_BITMASK:
        if (res.res.resBitMask.relBMR != BMR_EQZ && res.res.resBitMask.relBMR != BMR_NEZ)
            return MAPI_E_INVALID_PARAMETER;
        x.m_relop = res.res.resBitMask.relBMR;
        x.m_tag = res.res.resBitMask.ulPropTag;
        x.m_number = res.res.resBitMask.ulMask;
        break;
    case RES_SIZE:
        if (!KnownRelop(res.res.resSize.relop))
            return MAPI_E_INVALID_PARAMETER;
        x.m_relop = res.res.resSize.relop;
        x.m_tag = res.res.resSize.ulPropTag;
        x.m_number = res.res.resSize.cb;
        break;
    case RES_EXIST:
        x.m_tag = res.res.resExist.ulPropTag;
        break;
    case RES_COMPAREPROPS:
        if (!KnownRelop(res.res.resCompareProps.relop))
            return MAPI_E_INVALID_PARAMETER;
        x.m_relop = res.res.resCompareProps.relop;
        x.m_tag = res.res.resCompareProps.ulPropTag1;
        x.m_tag2 = res.res.resCompareProps.ulPropTag2;
        break;
    default:
        return MAPI_E_TOO_COMPLEX;
    }
    *out = std::move(r);
    return S_OK;
}

bool Restriction::Matches(const Row& row) const
{
    switch (m_type)
    {
    case RES_AND:
        return std::all_of(m_children.begin(), m_children.end(),
                           [&](const auto& c) { return c->Matches(row); });
    case RES_OR:
        return std::any_of(m_children.begin(), m_children.end(),
                           [&](const auto& c) { return c->Matches(row); });
    case RES_NOT:
        return !m_children.front()->Matches(row);
    case RES_EXIST:
        return FindInRow(row, m_tag) != nullptr;
    default:
        break;
    }
    const PropValue* have = FindInRow(row, m_tag);
    if (have == nullptr)
        return false;
    switch (m_type)
    {
    case RES_PROPERTY:
    {
        auto order = PropValue::Compare(*have, *m_value);
        return order && Relate(m_relop, *order);
    }
    case RES_CONTENT:
        return ContentMatches(*have, *m_value, m_relop);
    case RES_BITMASK:
    {
        if (have->Type() != PT_LONG)
            return false;
        bool zero = (static_cast<ULONG>(have->Integer()) & m_number) == 0;
        return m_relop == BMR_EQZ ? zero : !zero;
    }
    case RES_SIZE:
    {
        ULONG size = have->Size();
        return Relate(m_relop, size < m_number ? -1 : (size > m_number ? 1 : 0));
    }
    case RES_COMPAREPROPS:
    {
        const PropValue* other = FindInRow(row, m_tag2);
        if (other == nullptr)
            return false;
        auto order = PropValue::Compare(*have, *other);
        return order && Relate(m_relop, *order);
    }
    default:
        return false;
    }
}

} // namespace winplat::mapi
