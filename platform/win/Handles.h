// One generic table from handle values to the layer objects they name. Values are never
// reused, so a stale handle finds nothing instead of someone else's object.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace winplat
{

template <class T> class HandleTable
{
public:
    explicit HandleTable(std::uintptr_t first) : m_next(first) {}

    template <class H> H Add(std::shared_ptr<T> object)
    {
        std::lock_guard lock(m_mutex);
        const std::uintptr_t value = m_next;
        m_next += 4;
        m_items.emplace(value, std::move(object));
        return reinterpret_cast<H>(value);
    }
    template <class H> std::shared_ptr<T> Find(H handle) const
    {
        if (handle == nullptr)
            return nullptr;
        std::lock_guard lock(m_mutex);
        auto it = m_items.find(reinterpret_cast<std::uintptr_t>(handle));
        return it == m_items.end() ? nullptr : it->second;
    }
    template <class H> bool Remove(H handle)
    {
        std::shared_ptr<T> last; // released after the lock
        std::lock_guard lock(m_mutex);
        auto it = m_items.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == m_items.end())
            return false;
        last = std::move(it->second);
        m_items.erase(it);
        return true;
    }
    // Drops every object (the end of the user interface).
    void Clear()
    {
        std::map<std::uintptr_t, std::shared_ptr<T>> all;
        {
            std::lock_guard lock(m_mutex);
            all.swap(m_items);
        }
    }

private:
    mutable std::mutex m_mutex;
    std::map<std::uintptr_t, std::shared_ptr<T>> m_items;
    std::uintptr_t m_next;
};

} // namespace winplat
