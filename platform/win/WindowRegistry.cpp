#include "platform/win/WindowRegistry.h"

#include "platform/win/Window.h"

#include <QApplication>

#include <map>
#include <mutex>

namespace winplat
{

namespace
{

struct Registry
{
    std::mutex mutex;
    std::map<std::uintptr_t, std::shared_ptr<Window>> windows;
    std::uintptr_t next = 0x10000;
};

Registry& TheRegistry()
{
    static Registry* registry = new Registry; // windows may be looked up during static teardown
    return *registry;
}

} // namespace

HWND WindowRegistry::Add(const std::shared_ptr<Window>& window)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const std::uintptr_t value = r.next;
    r.next += 4;
    r.windows.emplace(value, window);
    return reinterpret_cast<HWND>(value);
}

void WindowRegistry::Remove(HWND hwnd) noexcept
{
    std::shared_ptr<Window> last;
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    auto it = r.windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
    if (it != r.windows.end())
    {
        last = std::move(it->second); // released after the lock, see below
        r.windows.erase(it);
    }
    // The lock guard is destroyed before `last`, in reverse order of declaration.
}

std::shared_ptr<Window> WindowRegistry::Find(HWND hwnd) noexcept
{
    if (hwnd == nullptr)
        return nullptr;
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    auto it = r.windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
    return it == r.windows.end() ? nullptr : it->second;
}

bool WindowRegistry::IsWindow(HWND hwnd) noexcept
{
    return Find(hwnd) != nullptr;
}

std::vector<std::shared_ptr<Window>> WindowRegistry::All()
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    std::vector<std::shared_ptr<Window>> all;
    all.reserve(r.windows.size());
    for (auto& [key, w] : r.windows)
        all.push_back(w);
    return all;
}

QWidget* OwnerWidgetFor(HWND owner)
{
    if (auto w = WindowRegistry::Find(owner))
        if (QWidget* widget = w->Widget())
            return widget->window();
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

} // namespace winplat
