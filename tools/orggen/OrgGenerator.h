// Writes one organisation three ways: directory entries as LDIF, the matching mail store
// database, and the lists a correct scan of it gives.
#pragma once

#include "tools/orggen/OrgSpec.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orggen
{

struct ExpectedLists
{
    std::vector<std::string> ost;
    std::vector<std::string> nonOst;
    std::vector<std::string> errors; // DN followed by the reason text
};

class OrgGenerator
{
public:
    explicit OrgGenerator(OrgSpec spec) : m_spec(std::move(spec)) {}

    // An empty string on success, else what went wrong. Each file is written under a
    // temporary name and renamed when complete, so that no half-written file is left.
    std::string Write(const std::string& ldifPath, const std::string& storePath,
                      const std::string& expectedPath);

    // The lists of the last Write, in directory order.
    const ExpectedLists& Expected() const noexcept { return m_expected; }

    static std::string CheckSpec(const OrgSpec& spec);
    static void WriteExpected(const ExpectedLists& lists, std::string& out);
    // Reads a file written by WriteExpected; false when it is not one.
    static bool ReadExpected(const std::string& text, ExpectedLists* lists);

private:
    std::string WriteFiles(const std::string& ldifPath, const std::string& storePath,
                           const std::string& expectedPath);

    OrgSpec m_spec;
    ExpectedLists m_expected;
};

} // namespace orggen
