#include "controls/LinkTarget.h"

namespace
{

// The default value of a key under HKEY_CLASSES_ROOT; false when it cannot be read whole.
bool ReadDefaultValue(LPCTSTR keyName, CString& value, int maxChars)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    LONG size = static_cast<LONG>(maxChars * sizeof(WCHAR));
    LPWSTR buffer = value.GetBuffer(maxChars);
    buffer[0] = 0;
    const LSTATUS status = RegQueryValue(key, nullptr, buffer, &size);
    value.ReleaseBuffer();
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

} // namespace

int OpenLinkTarget(LPCTSTR url)
{
    const auto shellResult = reinterpret_cast<ULONG_PTR>(
        ShellExecute(nullptr, _T("open"), url, nullptr, nullptr, SW_SHOW));
    const int code = static_cast<int>(shellResult);
    if (shellResult > 32)
        return code;

    // The program that opens web pages, from the ".htm" file type's open command.
    CString command;
    if (!ReadDefaultValue(_T(".htm"), command, MAX_PATH))
        return code;
    command += _T("\\shell\\open\\command");
    CString openCommand;
    if (!ReadDefaultValue(command, openCommand, 2 * MAX_PATH))
        return code;

    int cut = openCommand.Find(_T("\"%1\""));
    if (cut < 0)
        cut = openCommand.Find(_T("%1"));
    if (cut >= 0)
        openCommand = openCommand.Left(cut);
    openCommand += _T(" ");
    openCommand += url;

    CW2A line(openCommand, CP_THREAD_ACP);
    return static_cast<int>(WinExec(line, SW_SHOW));
}
