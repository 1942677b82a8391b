// Shared by the window-system tests: the application object and bounded waits.
#pragma once

#include <chrono>
#include <functional>

namespace guitest
{

// Serves the user-interface thread's event loop until pred() holds or the bound passes.
bool WaitUntil(const std::function<bool()>& pred,
               std::chrono::milliseconds bound = std::chrono::seconds(10));

} // namespace guitest
