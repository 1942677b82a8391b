#include "platform/win/Module.h"

#include "platform/base/CString.h"

#include <filesystem>
#include <system_error>

namespace winplat
{

std::u16string ModulePath()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::u16string() : FromUtf8(exe.string());
}

std::u16string ModuleTitle()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::u16string() : FromUtf8(exe.stem().string());
}

} // namespace winplat
