// One property held by the layer: its tag and a value it owns. Converts to and from the
// caller's SPropValue and to the bytes kept in a database.
#pragma once

#include "platform/mapi/MapiDefs.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace winplat::mapi
{

class PropValue
{
public:
    // Integers of every width (PT_I2, PT_LONG, PT_BOOLEAN, PT_ERROR, PT_I8, PT_SYSTIME,
    // PT_CURRENCY), floating point (PT_R4, PT_DOUBLE, PT_APPTIME), 8-bit and UTF-16 text,
    // bytes (PT_BINARY, PT_CLSID). PT_NULL holds nothing.
    using Data = std::variant<std::monostate, std::int64_t, double, std::string, std::u16string,
                              std::vector<BYTE>>;

    PropValue() = default;
    PropValue(ULONG tag, Data data) : m_tag(tag), m_data(std::move(data)) {}

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
    const Data& Value() const noexcept { return m_data; }

    std::int64_t Integer() const noexcept;
    double Real() const noexcept;
    const std::string* AnsiText() const noexcept { return std::get_if<std::string>(&m_data); }
    const std::u16string* WideText() const noexcept { return std::get_if<std::u16string>(&m_data); }
    const std::vector<BYTE>* Bytes() const noexcept
    {
        return std::get_if<std::vector<BYTE>>(&m_data);
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
    ULONG m_tag = PR_NULL;
    Data m_data;
};

// Text conversions in the thread's ANSI code page.
std::u16string AnsiToWideText(std::string_view s);
std::string WideToAnsiText(std::u16string_view s);
std::string WideToUtf8(std::u16string_view s);
std::u16string Utf8ToWide(std::string_view s);
// A text argument of a call: UTF-16 when the call's flags carry MAPI_UNICODE, else 8-bit.
std::u16string ArgText(const void* p, ULONG ulFlags);
// Comparison folding case the way the layer's strings do.
int CompareNoCase(const std::u16string& a, const std::u16string& b) noexcept;

} // namespace winplat::mapi
