// What the program knows about its own executable.
#pragma once

#include <string>

namespace winplat
{

// Full path of the running executable, UTF-16.
std::u16string ModulePath();
// The executable's file name without its extension: the program's title.
std::u16string ModuleTitle();

} // namespace winplat
