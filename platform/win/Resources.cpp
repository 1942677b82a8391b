#include "platform/win/Resources.h"

#include "platform/win/Module.h"
#include "platform/win/WinUser.h"

#include <algorithm>
#include <atomic>

namespace winplat
{

namespace
{
std::atomic<const ResourceTable*> g_table{nullptr};

template <class T> const T* FindById(const std::vector<T>& items, UINT id) noexcept
{
    auto it = std::find_if(items.begin(), items.end(), [id](const T& t) { return t.id == id; });
    return it == items.end() ? nullptr : &*it;
}
} // namespace

void RegisterResources(const ResourceTable* table) noexcept
{
    g_table = table;
}
const ResourceTable* Resources() noexcept
{
    return g_table.load();
}

const DialogTemplate* FindDialogTemplate(UINT id) noexcept
{
    const ResourceTable* t = Resources();
    return t ? FindById(t->dialogs, id) : nullptr;
}
const MenuTemplate* FindMenuTemplate(UINT id) noexcept
{
    const ResourceTable* t = Resources();
    return t ? FindById(t->menus, id) : nullptr;
}
const BitmapResource* FindBitmap(UINT id) noexcept
{
    const ResourceTable* t = Resources();
    return t ? FindById(t->bitmaps, id) : nullptr;
}
const IconResource* FindIcon(UINT id) noexcept
{
    const ResourceTable* t = Resources();
    return t ? FindById(t->icons, id) : nullptr;
}

} // namespace winplat

using namespace winplat;

int LoadStringW(HINSTANCE, UINT uID, LPWSTR lpBuffer, int cchBufferMax)
{
    const ResourceTable* t = Resources();
    const StringEntry* entry = t ? FindById(t->strings, uID) : nullptr;
    if (lpBuffer == nullptr)
        return 0;
    if (cchBufferMax == 0)
    {
        // The string itself, read-only, and its length.
        if (entry == nullptr)
            return 0;
        *reinterpret_cast<LPCWSTR*>(lpBuffer) = entry->text.data();
        return static_cast<int>(entry->text.size());
    }
    if (entry == nullptr)
    {
        lpBuffer[0] = 0;
        return 0;
    }
    const size_t n = std::min<size_t>(entry->text.size(), static_cast<size_t>(cchBufferMax - 1));
    std::copy_n(entry->text.data(), n, lpBuffer);
    lpBuffer[n] = 0;
    return static_cast<int>(n);
}

HMODULE GetModuleHandleW(LPCWSTR lpModuleName)
{
    // One module: the program, whose resources are the registered table.
    static int module;
    return lpModuleName == nullptr ? reinterpret_cast<HMODULE>(&module) : nullptr;
}

DWORD GetModuleFileNameW(HMODULE, LPWSTR lpFilename, DWORD nSize)
{
    if (lpFilename == nullptr || nSize == 0)
        return 0;
    const std::u16string path = ModulePath();
    const size_t n = std::min<size_t>(path.size(), nSize - 1);
    std::copy_n(path.data(), n, lpFilename);
    lpFilename[n] = 0;
    return static_cast<DWORD>(n);
}
