// Whether the subsystem has been started in this process.
#pragma once

namespace winplat::mapi
{
bool IsInitialized() noexcept;
}
