// A private messaging environment per test: a temporary folder holding the platform
// configuration, the profile database and mail store databases built from a few rows.
#pragma once

#include "platform/mapi/Mapi.h"
#include "platform/mapi/MapiFaults.h"
#include "tests/util/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mapitest
{

struct FolderSpec
{
    std::string name;
    std::optional<std::vector<unsigned char>> ostId; // absent: the folder has none
};

struct MailboxSpec
{
    std::string dn;
    std::string alias;
    std::string displayName;
    std::vector<FolderSpec> folders;
    HRESULT openResult = S_OK;
    HRESULT rootResult = S_OK;
    HRESULT hierarchyResult = S_OK;
};

// A mail store database with exactly these mailboxes.
void WriteMailStore(const std::string& path, const std::vector<MailboxSpec>& mailboxes);

// The usual mailbox: "Top of Information Store" first, PR_OST_OSTID as given.
MailboxSpec Mailbox(const std::string& alias,
                    std::optional<std::vector<unsigned char>> ostId = std::nullopt);
std::string DnOf(const std::string& alias);

class MapiEnvironment
{
public:
    MapiEnvironment();
    ~MapiEnvironment();

    const std::string& Dir() const { return m_dir.Path(); }
    std::string ProfileStorePath() const { return Dir() + "/data/profiles.db"; }
    // Replaces the configuration: the profile database of this environment plus `extra`.
    void Configure(const std::string& extra);
    // Replaces the configuration with exactly this text.
    void ConfigureRaw(const std::string& text);
    std::string ConfigPath() const { return m_configPath; }

private:
    qmtest::TempDir m_dir{"mapitest"};
    std::string m_configPath;
    std::optional<std::string> m_oldConfig;
    int m_generation = 0;
};

// Each test starts the subsystem in its own environment and ends it, and checks that no
// object or allocation of the layer outlived the test.
class MapiTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A profile holding one Exchange service configured for the server and account.
    void CreateExchangeProfile(const std::string& profile, const std::string& server,
                               const std::string& account);
    // Server EXCH01 with the given mailboxes; `settings` are more lines of its section.
    void ConfigureServer(const std::vector<MailboxSpec>& mailboxes,
                         const std::string& settings = "");
    // Logs on with the profile, wide name and the flags a scan uses.
    HRESULT Logon(const std::string& profile, LPMAPISESSION* session);

    std::unique_ptr<MapiEnvironment> m_env;
    long m_allocationsBefore = 0;
};

// Owns a row set or a buffer for the length of a test.
struct RowsHolder
{
    LPSRowSet rows = nullptr;
    ~RowsHolder() { FreeProws(rows); }
};
struct BufferHolder
{
    void* p = nullptr;
    ~BufferHolder() { MAPIFreeBuffer(p); }
};

std::string Narrow(const char16_t* s);

} // namespace mapitest
