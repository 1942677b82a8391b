// The common file dialogs, Win32-shaped.
#pragma once

#include "platform/win/WinUser.h"

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_LONGNAMES = 0x00200000;
constexpr DWORD OFN_ENABLESIZING = 0x00800000;

struct OPENFILENAMEW
{
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCWSTR lpstrFilter; // pairs of "description\0pattern\0", ended by an empty string
    LPWSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPWSTR lpstrFile; // in: initial name; out: the chosen full path
    DWORD nMaxFile;
    LPWSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCWSTR lpstrInitialDir;
    LPCWSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCWSTR lpstrDefExt;
    LPARAM lCustData;
    void* lpfnHook;
    LPCWSTR lpTemplateName;
};
using OPENFILENAME = OPENFILENAMEW;
using LPOPENFILENAMEW = OPENFILENAMEW*;

// Runs the dialog modally (on the user-interface thread); FALSE when the user cancels.
BOOL GetSaveFileNameW(LPOPENFILENAMEW lpofn);
BOOL GetOpenFileNameW(LPOPENFILENAMEW lpofn);
#define GetSaveFileName GetSaveFileNameW
#define GetOpenFileName GetOpenFileNameW
