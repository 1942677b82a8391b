#pragma once

#include <string>

namespace qmtest
{

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it when
// the owner goes away.
class TempDir final
{
public:
    explicit TempDir(const std::string& prefix);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] bool Valid() const { return !m_path.empty(); }
    [[nodiscard]] const std::string& Path() const { return m_path; }
    [[nodiscard]] const std::string& Error() const { return m_error; }

private:
    std::string m_path;
    std::string m_error;
};

// The whole content of a file, byte for byte; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

} // namespace qmtest
