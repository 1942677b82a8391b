#include "platform/win/AutomationInternal.h"

#include <mutex>
#include <utility>

namespace winplat::automation
{

namespace
{

struct Hooks
{
    std::mutex mutex;
    std::function<int(const MessageBoxRecord&)> messageBox;
};

Hooks& TheHooks()
{
    static Hooks hooks;
    return hooks;
}

} // namespace

void SetMessageBoxHandler(std::function<int(const MessageBoxRecord&)> handler)
{
    Hooks& h = TheHooks();
    std::function<int(const MessageBoxRecord&)> old;
    {
        std::lock_guard lock(h.mutex);
        old = std::exchange(h.messageBox, std::move(handler));
    }
}

namespace detail
{

std::function<int(const MessageBoxRecord&)> MessageBoxHandler()
{
    Hooks& h = TheHooks();
    std::lock_guard lock(h.mutex);
    return h.messageBox;
}

} // namespace detail

} // namespace winplat::automation
