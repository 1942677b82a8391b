// Windows-shaped scalar types, handles and result codes.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using LPVOID = void*;
using LPCVOID = const void*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using LPLONG = LONG*;

using CHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
// Wide text is UTF-16 on every platform we run on.
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using TCHAR = WCHAR;
using LPTSTR = LPWSTR;
using LPCTSTR = LPCWSTR;
using OLECHAR = WCHAR;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;

#define _T(x) u##x
#define TEXT(x) u##x
#define L_(x) u##x

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

using HANDLE = void*;
struct HWND__;
using HWND = HWND__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;

#define STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT
#define WINAPI

constexpr bool SUCCEEDED(HRESULT hr) noexcept
{
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) noexcept
{
    return hr < 0;
}
constexpr HRESULT MAKE_HRESULT(unsigned sev, unsigned fac, unsigned code) noexcept
{
    return static_cast<HRESULT>((static_cast<std::uint32_t>(sev) << 31) |
                                (static_cast<std::uint32_t>(fac) << 16) |
                                static_cast<std::uint32_t>(code));
}
constexpr HRESULT HRESULT_FROM_WIN32(DWORD err) noexcept
{
    return static_cast<HRESULT>(err) <= 0
               ? static_cast<HRESULT>(err)
               : static_cast<HRESULT>((err & 0x0000FFFFu) | (7u << 16) | 0x80000000u);
}
constexpr WORD HRESULT_CODE(HRESULT hr) noexcept
{
    return static_cast<WORD>(hr & 0xFFFF);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_LOGON_FAILURE = 1326;
constexpr DWORD ERROR_NO_SUCH_DOMAIN = 1355;
constexpr DWORD ERROR_DS_SERVER_DOWN = 8250;
constexpr DWORD ERROR_DS_TIMELIMIT_EXCEEDED = 8226;
constexpr DWORD ERROR_DS_SIZELIMIT_EXCEEDED = 8227;
constexpr DWORD ERROR_DS_ADMIN_LIMIT_EXCEEDED = 8228;
constexpr DWORD ERROR_DS_STRONG_AUTH_REQUIRED = 8232;
constexpr DWORD ERROR_DS_PROTOCOL_ERROR = 8225;
constexpr DWORD ERROR_DS_UNAVAILABLE = 8207;
constexpr DWORD ERROR_DS_BUSY = 8206;
constexpr DWORD ERROR_DS_NO_SUCH_OBJECT = 8240;
constexpr DWORD ERROR_DS_OPERATIONS_ERROR = 8224;
constexpr DWORD ERROR_DS_INVALID_DN_SYNTAX = 8242;
constexpr DWORD ERROR_DS_UNWILLING_TO_PERFORM = 8245;
constexpr DWORD ERROR_DS_FILTER_UNKNOWN = 8254;
constexpr DWORD ERROR_DS_ENCODING_ERROR = 8252;
constexpr DWORD ERROR_DS_CONNECT_ERROR = 8255;
