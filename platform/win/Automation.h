// What tests use to drive the user interface through the layer. Not for the program itself.
#pragma once

#include <functional>
#include <string>

namespace winplat::automation
{

struct MessageBoxRecord
{
    std::u16string text;
    std::u16string caption;
    unsigned type = 0;         // the MB_* style bits as asked for
    bool fromUiThread = false; // the caller was the user-interface thread
};

// While set, every message box is still shown as the real dialog, handed to the handler on the
// user-interface thread while it is up, and answered with the button id the handler returns.
// With no application object, the handler is called directly on the caller's thread.
// An empty function clears the handler.
void SetMessageBoxHandler(std::function<int(const MessageBoxRecord&)> handler);

} // namespace winplat::automation
