// Wrapper objects for handles that no framework object owns: one per handle and thread,
// released (without deleting the handle) when the thread ends.
#pragma once

#include <map>
#include <memory>
#include <utility>

template <class T> struct TemporaryObjects
{
    std::map<const void*, T*> map;
    ~TemporaryObjects()
    {
        for (auto& [h, object] : map)
        {
            object->Detach(); // the handle is not the wrapper's to delete
            delete object;
        }
    }
};

template <class T, class H> T* TemporaryFor(H handle)
{
    if (handle == nullptr)
        return nullptr;
    thread_local TemporaryObjects<T> objects;
    auto it = objects.map.find(handle);
    if (it != objects.map.end())
        return it->second;
    auto* object = new T;
    object->Attach(handle);
    objects.map.emplace(handle, object);
    return object;
}
