// The layer's side of the test hooks: where the layer asks whether a test wants to answer.
#pragma once

#include "platform/win/Automation.h"

namespace winplat::automation::detail
{

// Copies of the handlers set now (empty when none).
std::function<int(const MessageBoxRecord&)> MessageBoxHandler();
std::function<unsigned(const std::vector<MenuItemRecord>&)> PopupMenuHandler();
std::function<void(HWND, unsigned)> DialogHandler();
std::function<std::u16string(const FileDialogRecord&)> FileDialogHandler();
void CountBeep();

} // namespace winplat::automation::detail
