// One property held by the layer: its tag and a value it owns. Converts to and from the
// caller's SPropValue and to the bytes kept in a database.
#pragma once

#include "platform/mapi/MapiDefs.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant> // std::monostate
#include <vector>

namespace winplat::mapi
{

class PropValue
{
public:
    // Integers of every width (PT_I2, PT_LONG, PT_BOOLEAN, PT_ERROR, PT_I8, PT_SYSTIME,
    // PT_CURRENCY), floating point (PT_R4, PT_DOUBLE, PT_APPTIME), 8-bit and UTF-16 text,
    // bytes (PT_BINARY, PT_CLSID). PT_NULL holds nothing.
    PropValue() = default;
    PropValue(ULONG tag, std::monostate) : m_tag(tag) {}
    PropValue(ULONG tag, std::int64_t v) : m_tag(tag), m_holds(Holds::Integer), m_int(v) {}
    PropValue(ULONG tag, double v) : m_tag(tag), m_holds(Holds::Real), m_real(v) {}
    PropValue(ULONG tag, std::string v) : m_tag(tag), m_holds(Holds::Ansi), m_ansi(std::move(v)) {}
    PropValue(ULONG tag, std::u16string v) : m_tag(tag), m_holds(Holds::Wide), m_wide(std::move(v))
    {
    }
    PropValue(ULONG tag, std::vector<BYTE> v)
        : m_tag(tag), m_holds(Holds::Bytes), m_bytes(std::move(v))
    {
    }

    static PropValue Long(ULONG tag, LONG v) { return {tag, std::int64_t{v}}; }
    static PropValue Bool(ULONG tag, bool v) { return {tag, std::int64_t{v ? 1 : 0}}; }
    static PropValue Error(ULONG propId, SCODE sc)
    {
        return {PROP_TAG(PT_ERROR, propId), std::int64_t{sc}};
    }
    static PropValue Binary(ULONG tag, const void* p, size_t cb);
    static PropValue Ansi(ULONG tag, std::string s) { return {tag, std::move(s)}; }
    static PropValue Wide(ULONG tag, std::u16string s) { return {tag, std::move(s)}; }

    // Takes a copy of a caller's value; nullopt for types the layer does not keep.
    static std::optional<PropValue> From(const SPropValue& v);
    static bool IsSupportedType(ULONG type) noexcept;

    ULONG Tag() const noexcept { return m_tag; }
    ULONG Type() const noexcept { return PROP_TYPE(m_tag); }
    ULONG Id() const noexcept { return PROP_ID(m_tag); }
    std::int64_t Integer() const noexcept;
    double Real() const noexcept;
    const std::string* AnsiText() const noexcept
    {
        return m_holds == Holds::Ansi ? &m_ansi : nullptr;
    }
    const std::u16string* WideText() const noexcept
    {
        return m_holds == Holds::Wide ? &m_wide : nullptr;
    }
    const std::vector<BYTE>* Bytes() const noexcept
    {
        return m_holds == Holds::Bytes ? &m_bytes : nullptr;
    }
    // The size a size restriction compares: bytes of text or binary, else of the scalar.
    ULONG Size() const noexcept;

    // The value as asked for under tag `want`: the same identifier, its own type when `want`
    // has PT_UNSPECIFIED (text then 8-bit or UTF-16 by `unicode`), 8-bit and UTF-16 text
    // converted into each other (thread ANSI code page). nullopt when the types do not meet.
    std::optional<PropValue> As(ULONG want, bool unicode) const;

    // Fills `out`; text and bytes go into memory linked to `root` (MAPIAllocateMore).
    [[nodiscard]] HRESULT CopyTo(SPropValue& out, LPVOID root) const noexcept;

    // Bytes for a database; Decode takes them back under the same tag.
    std::vector<BYTE> Encode() const;
    static std::optional<PropValue> Decode(ULONG tag, const void* p, size_t cb);

    // Ordering for restrictions and sorting: negative, 0 or positive; nullopt when the two
    // cannot be compared. Text compares code unit by code unit, or folding case.
    static std::optional<int> Compare(const PropValue& a, const PropValue& b,
                                      bool ignoreCase = false);

private:
    // A tagged set of members rather than a std::variant: simpler, and free of the false
    // warnings optimising compilers raise about variants in containers.
    enum class Holds : unsigned char
    {
        Nothing,
        Integer,
        Real,
        Ansi,
        Wide,
        Bytes,
    };
    ULONG m_tag = PR_NULL;
    Holds m_holds = Holds::Nothing;
    std::int64_t m_int = 0;
    double m_real = 0;
    std::string m_ansi;
    std::u16string m_wide;
    std::vector<BYTE> m_bytes;
};

// Text conversions in the thread's ANSI code page.
std::u16string AnsiToWideText(std::string_view s);
std::string WideToAnsiText(std::u16string_view s);
std::string WideToUtf8(std::u16string_view s);
// 8-bit text in the thread's ANSI code page as UTF-8; ASCII is the same in both.
std::string AnsiToUtf8Text(std::string_view s);
std::u16string Utf8ToWide(std::string_view s);
// A text argument of a call: UTF-16 when the call's flags carry MAPI_UNICODE, else 8-bit.
std::u16string ArgText(const void* p, ULONG ulFlags);
// Comparison folding case the way the layer's strings do.
int CompareNoCase(const std::u16string& a, const std::u16string& b) noexcept;

} // namespace winplat::mapi
