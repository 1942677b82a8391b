// The layer's side of the test hooks: where the layer asks whether a test wants to answer.
#pragma once

#include "platform/win/Automation.h"

namespace winplat::automation::detail
{

// A copy of the handler set now (empty when none).
std::function<int(const MessageBoxRecord&)> MessageBoxHandler();

} // namespace winplat::automation::detail
