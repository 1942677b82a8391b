#include "platform/mapi/PropValue.h"

#include "platform/base/CString.h"
#include "platform/base/CodePage.h"
#include "platform/mapi/MapiApi.h"

#include <algorithm>
#include <cstring>

namespace winplat::mapi
{

namespace
{

enum class Kind
{
    None,
    Integer,
    Real,
    Ansi,
    Wide,
    Bytes,
};

Kind KindOf(ULONG type) noexcept
{
    switch (type)
    {
    case PT_NULL:
        return Kind::None;
    case PT_I2:
    case PT_LONG:
    case PT_BOOLEAN:
    case PT_ERROR:
    case PT_I8:
    case PT_SYSTIME:
    case PT_CURRENCY:
        return Kind::Integer;
    case PT_R4:
    case PT_DOUBLE:
    case PT_APPTIME:
        return Kind::Real;
    case PT_STRING8:
        return Kind::Ansi;
    case PT_UNICODE:
        return Kind::Wide;
    case PT_BINARY:
    case PT_CLSID:
        return Kind::Bytes;
    default:
        return Kind::None;
    }
}

template <typename T> int Order(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

std::u16string AnsiToWideText(std::string_view s)
{
    return winplat::AnsiToWide(s, CP_THREAD_ACP);
}

std::string WideToAnsiText(std::u16string_view s)
{
    return winplat::WideToAnsi(s, CP_THREAD_ACP);
}

std::string WideToUtf8(std::u16string_view s)
{
    return winplat::WideToAnsi(s, CP_UTF8);
}

std::string AnsiToUtf8Text(std::string_view s)
{
    if (std::all_of(s.begin(), s.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(s);
    return WideToUtf8(AnsiToWideText(s));
}

std::u16string Utf8ToWide(std::string_view s)
{
    // Folder names and DNs are nearly always ASCII, which widens as it is.
    if (std::all_of(s.begin(), s.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::u16string(s.begin(), s.end());
    return winplat::AnsiToWide(s, CP_UTF8);
}

std::u16string ArgText(const void* p, ULONG ulFlags)
{
    if (p == nullptr)
        return {};
    if (ulFlags & MAPI_UNICODE)
        return std::u16string(static_cast<const char16_t*>(p));
    return AnsiToWideText(static_cast<const char*>(p));
}

int CompareNoCase(const std::u16string& a, const std::u16string& b) noexcept
{
    return CString(a).CompareNoCase(b.c_str());
}

PropValue PropValue::Binary(ULONG tag, const void* p, size_t cb)
{
    const auto* b = static_cast<const BYTE*>(p);
    return {tag, std::vector<BYTE>(b, b + (b ? cb : 0))};
}

bool PropValue::IsSupportedType(ULONG type) noexcept
{
    return type == PT_NULL || KindOf(type) != Kind::None;
}

std::optional<PropValue> PropValue::From(const SPropValue& v)
{
    ULONG tag = v.ulPropTag;
    switch (PROP_TYPE(tag))
    {
    case PT_NULL:
        return PropValue(tag, std::monostate{});
    case PT_I2:
        return PropValue(tag, std::int64_t{v.Value.i});
    case PT_LONG:
        return PropValue(tag, std::int64_t{v.Value.l});
    case PT_BOOLEAN:
        return PropValue(tag, std::int64_t{v.Value.b != 0 ? 1 : 0});
    case PT_ERROR:
        return PropValue(tag, std::int64_t{v.Value.err});
    case PT_I8:
        return PropValue(tag, std::int64_t{v.Value.li.QuadPart});
    case PT_CURRENCY:
        return PropValue(tag, std::int64_t{v.Value.cur.int64});
    case PT_SYSTIME:
        return PropValue(tag, static_cast<std::int64_t>(
                                  (static_cast<std::uint64_t>(v.Value.ft.dwHighDateTime) << 32) |
                                  v.Value.ft.dwLowDateTime));
    case PT_R4:
        return PropValue(tag, double{v.Value.flt});
    case PT_DOUBLE:
        return PropValue(tag, v.Value.dbl);
    case PT_APPTIME:
        return PropValue(tag, v.Value.at);
    case PT_STRING8:
        return PropValue(tag, std::string(v.Value.lpszA ? v.Value.lpszA : ""));
    case PT_UNICODE:
        return PropValue(tag, std::u16string(v.Value.lpszW ? v.Value.lpszW : u""));
    case PT_BINARY:
        if (v.Value.bin.cb != 0 && v.Value.bin.lpb == nullptr)
            return std::nullopt;
        return Binary(tag, v.Value.bin.lpb, v.Value.bin.cb);
    case PT_CLSID:
        if (v.Value.lpguid == nullptr)
            return std::nullopt;
        return Binary(tag, v.Value.lpguid, sizeof(GUID));
    default:
        return std::nullopt;
    }
}

std::int64_t PropValue::Integer() const noexcept
{
    if (m_holds == Holds::Real)
        return static_cast<std::int64_t>(m_real);
    return m_holds == Holds::Integer ? m_int : 0;
}

double PropValue::Real() const noexcept
{
    return m_holds == Holds::Real ? m_real : static_cast<double>(Integer());
}

ULONG PropValue::Size() const noexcept
{
    if (const auto* a = AnsiText())
        return static_cast<ULONG>(a->size() + 1);
    if (const auto* w = WideText())
        return static_cast<ULONG>((w->size() + 1) * sizeof(char16_t));
    if (const auto* b = Bytes())
        return static_cast<ULONG>(b->size());
    switch (Type())
    {
    case PT_I2:
    case PT_BOOLEAN:
        return 2;
    case PT_LONG:
    case PT_ERROR:
    case PT_R4:
        return 4;
    default:
        return 8;
    }
}

std::optional<PropValue> PropValue::As(ULONG want, bool unicode) const
{
    ULONG wantType = PROP_TYPE(want);
    ULONG id = Id();
    if (PROP_ID(want) != id)
        return std::nullopt;
    if (wantType == PT_UNSPECIFIED)
    {
        if (Type() == PT_STRING8 || Type() == PT_UNICODE)
            wantType = unicode ? PT_UNICODE : PT_STRING8;
        else
            return *this;
    }
    if (wantType == Type())
        return *this;
    std::optional<PropValue> out;
    if (wantType == PT_UNICODE && Type() == PT_STRING8)
        out.emplace(PROP_TAG(PT_UNICODE, id), AnsiToWideText(*AnsiText()));
    else if (wantType == PT_STRING8 && Type() == PT_UNICODE)
        out.emplace(PROP_TAG(PT_STRING8, id), WideToAnsiText(*WideText()));
    return out;
}

HRESULT PropValue::CopyTo(SPropValue& out, LPVOID root) const noexcept
{
    out = SPropValue{};
    out.ulPropTag = m_tag;
    std::int64_t i = Integer();
    switch (Type())
    {
    case PT_NULL:
        out.Value.x = 0;
        return S_OK;
    case PT_I2:
        out.Value.i = static_cast<short>(i);
        return S_OK;
    case PT_LONG:
        out.Value.l = static_cast<LONG>(i);
        return S_OK;
    case PT_BOOLEAN:
        out.Value.b = static_cast<unsigned short>(i != 0);
        return S_OK;
    case PT_ERROR:
        out.Value.err = static_cast<SCODE>(i);
        return S_OK;
    case PT_I8:
        out.Value.li.QuadPart = i;
        return S_OK;
    case PT_CURRENCY:
        out.Value.cur.int64 = i;
        return S_OK;
    case PT_SYSTIME:
        out.Value.ft.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(i));
        out.Value.ft.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(i) >> 32);
        return S_OK;
    case PT_R4:
        out.Value.flt = static_cast<float>(Real());
        return S_OK;
    case PT_DOUBLE:
        out.Value.dbl = Real();
        return S_OK;
    case PT_APPTIME:
        out.Value.at = Real();
        return S_OK;
    default:
        break;
    }
    void* p = nullptr;
    if (const auto* a = AnsiText())
    {
        if (FAILED(MAPIAllocateMore(static_cast<ULONG>(a->size() + 1), root, &p)))
            return MAPI_E_NOT_ENOUGH_MEMORY;
        std::memcpy(p, a->c_str(), a->size() + 1);
        out.Value.lpszA = static_cast<LPSTR>(p);
        return S_OK;
    }
    if (const auto* w = WideText())
    {
        size_t cb = (w->size() + 1) * sizeof(char16_t);
        if (FAILED(MAPIAllocateMore(static_cast<ULONG>(cb), root, &p)))
            return MAPI_E_NOT_ENOUGH_MEMORY;
        std::memcpy(p, w->c_str(), cb);
        out.Value.lpszW = static_cast<LPWSTR>(p);
        return S_OK;
    }
    if (const auto* b = Bytes())
    {
        if (Type() == PT_CLSID)
        {
            if (FAILED(MAPIAllocateMore(sizeof(GUID), root, &p)))
                return MAPI_E_NOT_ENOUGH_MEMORY;
            std::memset(p, 0, sizeof(GUID));
            std::memcpy(p, b->data(), std::min(b->size(), sizeof(GUID)));
            out.Value.lpguid = static_cast<LPGUID>(p);
            return S_OK;
        }
        out.Value.bin.cb = static_cast<ULONG>(b->size());
        if (b->empty())
            return S_OK;
        if (FAILED(MAPIAllocateMore(static_cast<ULONG>(b->size()), root, &p)))
            return MAPI_E_NOT_ENOUGH_MEMORY;
        std::memcpy(p, b->data(), b->size());
        out.Value.bin.lpb = static_cast<LPBYTE>(p);
        return S_OK;
    }
    return MAPI_E_INVALID_TYPE;
}

std::vector<BYTE> PropValue::Encode() const
{
    std::vector<BYTE> out;
    if (const auto* a = AnsiText())
        return std::vector<BYTE>(a->begin(), a->end());
    if (const auto* w = WideText())
    {
        out.reserve(w->size() * 2);
        for (char16_t c : *w)
        {
            out.push_back(static_cast<BYTE>(c & 0xFF));
            out.push_back(static_cast<BYTE>(c >> 8));
        }
        return out;
    }
    if (const auto* b = Bytes())
        return *b;
    std::uint64_t bits = 0;
    if (m_holds == Holds::Real)
        std::memcpy(&bits, &m_real, sizeof bits);
    else if (m_holds == Holds::Integer)
        bits = static_cast<std::uint64_t>(m_int);
    else
        return out;
    for (int k = 0; k < 8; ++k)
        out.push_back(static_cast<BYTE>(bits >> (8 * k)));
    return out;
}

std::optional<PropValue> PropValue::Decode(ULONG tag, const void* p, size_t cb)
{
    const auto* b = static_cast<const BYTE*>(p);
    switch (KindOf(PROP_TYPE(tag)))
    {
    case Kind::None:
        if (PROP_TYPE(tag) != PT_NULL)
            return std::nullopt;
        return PropValue(tag, std::monostate{});
    case Kind::Ansi:
        return PropValue(tag, std::string(reinterpret_cast<const char*>(b), b ? cb : 0));
    case Kind::Wide:
    {
        if (cb % 2 != 0)
            return std::nullopt;
        std::u16string w(cb / 2, u'\0');
        for (size_t k = 0; k < w.size(); ++k)
            w[k] = static_cast<char16_t>(b[2 * k] | (b[2 * k + 1] << 8));
        return PropValue(tag, std::move(w));
    }
    case Kind::Bytes:
        return Binary(tag, b, cb);
    case Kind::Integer:
    case Kind::Real:
    {
        if (cb != 8)
            return std::nullopt;
        std::uint64_t bits = 0;
        for (int k = 0; k < 8; ++k)
            bits |= static_cast<std::uint64_t>(b[k]) << (8 * k);
        if (KindOf(PROP_TYPE(tag)) == Kind::Integer)
            return PropValue(tag, static_cast<std::int64_t>(bits));
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return PropValue(tag, d);
    }
    }
    return std::nullopt;
}

std::optional<int> PropValue::Compare(const PropValue& a, const PropValue& b, bool ignoreCase)
{
    Kind ka = KindOf(a.Type());
    Kind kb = KindOf(b.Type());
    if (ka == Kind::Ansi && kb == Kind::Wide)
        return Compare(*a.As(CHANGE_PROP_TYPE(a.Tag(), PT_UNICODE), true), b, ignoreCase);
    if (ka == Kind::Wide && kb == Kind::Ansi)
        return Compare(a, *b.As(CHANGE_PROP_TYPE(b.Tag(), PT_UNICODE), true), ignoreCase);
    if (a.Type() != b.Type())
        return std::nullopt;
    switch (ka)
    {
    case Kind::None:
        return 0;
    case Kind::Integer:
        return Order(a.Integer(), b.Integer());
    case Kind::Real:
        return Order(a.Real(), b.Real());
    case Kind::Ansi:
        if (ignoreCase)
            return CompareNoCase(AnsiToWideText(*a.AnsiText()), AnsiToWideText(*b.AnsiText()));
        return Order(*a.AnsiText(), *b.AnsiText());
    case Kind::Wide:
        if (ignoreCase)
            return CompareNoCase(*a.WideText(), *b.WideText());
        return Order(*a.WideText(), *b.WideText());
    case Kind::Bytes:
        return Order(*a.Bytes(), *b.Bytes());
    }
    return std::nullopt;
}

} // namespace winplat::mapi
