// One count of a live object of the layer, held for as long as the object lives.
#pragma once

#include "platform/mapi/MapiFaults.h"

namespace winplat::mapi
{

class LiveObject final
{
public:
    explicit LiveObject(MapiObject kind) noexcept : m_kind(kind)
    {
        MapiFaults::ObjectCreated(kind);
    }
    ~LiveObject() { MapiFaults::ObjectDestroyed(m_kind); }
    LiveObject(const LiveObject&) = delete;
    LiveObject& operator=(const LiveObject&) = delete;

private:
    MapiObject m_kind;
};

} // namespace winplat::mapi
