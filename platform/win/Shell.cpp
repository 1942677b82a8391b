#include "platform/win/Shell.h"

#include "platform/base/CString.h"
#include "platform/base/CodePage.h"
#include "platform/win/Handles.h"
#include "platform/win/UiThread.h"
#include "platform/win/Window.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <map>

namespace winplat
{

namespace
{

struct RegistryKey
{
    std::u16string path; // under HKEY_CLASSES_ROOT, lower case
};

HandleTable<RegistryKey>& Keys()
{
    static auto* table = new HandleTable<RegistryKey>(0x700000);
    return *table;
}

std::u16string Lower(std::u16string s)
{
    for (auto& c : s)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return s;
}

// What HKEY_CLASSES_ROOT holds on a desktop: web pages open with the desktop's opener.
std::map<std::u16string, std::u16string> ClassesRoot()
{
    std::map<std::u16string, std::u16string> keys;
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty())
    {
        keys[u".htm"] = u"htmlfile";
        keys[u".html"] = u"htmlfile";
        keys[u"htmlfile\\shell\\open\\command"] = u"\"" + FromQ(opener) + u"\" \"%1\"";
    }
    return keys;
}

} // namespace

} // namespace winplat

using namespace winplat;

HINSTANCE ShellExecuteW(HWND, LPCWSTR, LPCWSTR lpFile, LPCWSTR, LPCWSTR, int)
{
    if (lpFile == nullptr || *lpFile == 0)
        return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(SE_ERR_FNF));
    bool opened = false;
    UiThread::Invoke(
        [&]
        {
            const QString target = ToQ(lpFile);
            const QUrl url = QFileInfo::exists(target) ? QUrl::fromLocalFile(target)
                                                       : QUrl::fromUserInput(target);
            opened = url.isValid() && QDesktopServices::openUrl(url);
        });
    return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(opened ? 42 : SE_ERR_NOASSOC));
}

UINT WinExec(LPCSTR lpCmdLine, UINT)
{
    if (lpCmdLine == nullptr)
        return ERROR_FILE_NOT_FOUND;
    const std::u16string wide = AnsiToWide(lpCmdLine, CP_THREAD_ACP);
    QStringList args = QProcess::splitCommand(ToQ(wide));
    if (args.isEmpty())
        return ERROR_FILE_NOT_FOUND;
    const QString program = args.takeFirst();
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty() && !QFileInfo(program).isExecutable())
        return QFileInfo(program).exists() ? ERROR_BAD_FORMAT : ERROR_FILE_NOT_FOUND;
    return QProcess::startDetached(found.isEmpty() ? program : found, args) ? 33u
                                                                            : ERROR_FILE_NOT_FOUND;
}

UINT GetWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize)
{
    // The system's own programs live here.
    static const std::u16string dir = u"/usr/bin";
    if (lpBuffer == nullptr || uSize <= dir.size())
        return static_cast<UINT>(dir.size() + 1);
    std::copy(dir.begin(), dir.end(), lpBuffer);
    lpBuffer[dir.size()] = 0;
    return static_cast<UINT>(dir.size());
}

LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult)
{
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::u16string base;
    if (hKey != HKEY_CLASSES_ROOT)
    {
        auto key = Keys().Find(hKey);
        if (!key)
            return ERROR_INVALID_PARAMETER;
        base = key->path + u"\\";
    }
    const std::u16string path = Lower(base + (lpSubKey ? lpSubKey : u""));
    const auto root = ClassesRoot();
    const bool exists = std::any_of(
        root.begin(), root.end(),
        [&](const auto& kv) { return kv.first == path || kv.first.rfind(path + u"\\", 0) == 0; });
    if (!exists)
        return static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND);
    *phkResult = Keys().Add<HKEY>(std::make_shared<RegistryKey>(RegistryKey{path}));
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueW(HKEY hKey, LPCWSTR lpSubKey, LPWSTR lpData, LONG* lpcbData)
{
    std::u16string path;
    if (hKey != HKEY_CLASSES_ROOT)
    {
        auto key = Keys().Find(hKey);
        if (!key)
            return ERROR_INVALID_PARAMETER;
        path = key->path;
    }
    if (lpSubKey != nullptr && *lpSubKey != 0)
        path = Lower(path.empty() ? std::u16string(lpSubKey) : path + u"\\" + lpSubKey);
    const auto root = ClassesRoot();
    auto it = root.find(path);
    const std::u16string value = it != root.end() ? it->second : std::u16string();
    const LONG needed = static_cast<LONG>((value.size() + 1) * sizeof(WCHAR));
    if (lpcbData == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (lpData == nullptr)
    {
        *lpcbData = needed;
        return ERROR_SUCCESS;
    }
    if (*lpcbData < needed)
    {
        *lpcbData = needed;
        return static_cast<LSTATUS>(ERROR_MORE_DATA);
    }
    std::copy(value.begin(), value.end(), lpData);
    lpData[value.size()] = 0;
    *lpcbData = needed;
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY hKey)
{
    return Keys().Remove(hKey) ? ERROR_SUCCESS : static_cast<LSTATUS>(ERROR_INVALID_PARAMETER);
}
