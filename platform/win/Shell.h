// The shell, program start and the registry view, Win32-shaped.
#pragma once

#include "platform/win/WinUser.h"

// ShellExecute results: above 32 is success.
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_PNF = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_OOM = 8;
constexpr int SE_ERR_SHARE = 26;
constexpr int SE_ERR_ASSOCINCOMPLETE = 27;
constexpr int SE_ERR_DDETIMEOUT = 28;
constexpr int SE_ERR_DDEFAIL = 29;
constexpr int SE_ERR_DDEBUSY = 30;
constexpr int SE_ERR_NOASSOC = 31;
constexpr int SE_ERR_DLLNOTFOUND = 32;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_BAD_FORMAT = 11;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr UINT MAX_PATH = 260;

// Opens a file or URL with the desktop's program for it. Returns a value above 32 on success,
// SE_ERR_NOASSOC when the desktop has no program for it.
HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                        LPCWSTR lpDirectory, int nShowCmd);
#define ShellExecute ShellExecuteW
// Starts a command line (8-bit, the thread's code page); above 31 on success, else
// ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND or ERROR_BAD_FORMAT.
UINT WinExec(LPCSTR lpCmdLine, UINT uCmdShow);
UINT GetWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize);
#define GetWindowsDirectory GetWindowsDirectoryW

// The registry, as far as a desktop can answer it: the file types' open commands under
// HKEY_CLASSES_ROOT, read-only.
struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using LSTATUS = LONG;
using REGSAM = DWORD;
inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u));
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                      PHKEY phkResult);
// The key's default value; *lpcbData is the buffer's size in bytes.
LSTATUS RegQueryValueW(HKEY hKey, LPCWSTR lpSubKey, LPWSTR lpData, LONG* lpcbData);
LSTATUS RegCloseKey(HKEY hKey);
#define RegOpenKeyEx RegOpenKeyExW
#define RegQueryValue RegQueryValueW
