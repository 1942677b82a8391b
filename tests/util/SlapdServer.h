#pragma once

#include "tests/util/SlapdOptions.h"
#include "tests/util/TempDir.h"
#include "tests/util/UsersLdif.h"

#include <memory>
#include <string>
#include <vector>

namespace qmtest
{

// One private slapd in a fresh temporary directory, run through
// tools/slapd/slapd-instance. The destructor stops it and removes the
// directory; should the test process die first, the script's watchdog does both.
// Not thread-safe: drive it from one thread.
class SlapdServer final
{
public:
    explicit SlapdServer(SlapdOptions options = {});
    ~SlapdServer();
    SlapdServer(const SlapdServer&) = delete;
    SlapdServer& operator=(const SlapdServer&) = delete;

    // Creates the instance, loads the LDIF texts (after the suffix entry and
    // ou=Users) and starts it. False with a readable reason in LastError().
    [[nodiscard]] bool Start(const std::vector<std::string>& ldifTexts = {});
    // Starts the instance again on the same ports with the same data, after
    // Stop() or Kill().
    [[nodiscard]] bool Restart();
    void Stop();

    [[nodiscard]] int Port() const { return m_port; }
    [[nodiscard]] int LdapsPort() const { return m_ldapsPort; }
    [[nodiscard]] std::string Host() const { return "127.0.0.1"; }
    [[nodiscard]] std::string LdapUri() const;  // ldap://127.0.0.1:<port>
    [[nodiscard]] std::string LdapsUri() const; // ldaps://127.0.0.1:<ldaps port>
    [[nodiscard]] std::string CaFile() const;
    [[nodiscard]] std::string Dir() const;
    [[nodiscard]] std::string Suffix() const { return m_options.suffix; }
    [[nodiscard]] std::string RootDn() const { return "cn=admin," + m_options.suffix; }
    [[nodiscard]] std::string RootPassword() const { return m_rootPassword; }
    [[nodiscard]] int Pid() const { return m_pid; } // 0 when not running
    [[nodiscard]] const SlapdOptions& Options() const { return m_options; }

    // Environment for the OpenLDAP command-line tools: trust this server's CA,
    // and an ldap.conf whose URI and BASE point at it.
    [[nodiscard]] std::vector<std::string> ClientEnvironment() const;

    // ldapmodify as the root DN over StartTLS; the LDIF may use changetype
    // add/modify/delete (plain entries are added).
    [[nodiscard]] bool Modify(const std::string& ldif);

    // "Server stops answering": connections are accepted by the kernel but
    // nothing replies until Resume().
    void Pause();
    void Resume();
    // "Dropped connection": slapd dies at once; open connections are reset.
    void Kill();

    [[nodiscard]] std::string LastError() const { return m_lastError; }

private:
    bool RunScript(const std::vector<std::string>& args, const std::string& input, int timeoutMs);
    bool StartInstance(const std::vector<std::string>& extraArgs);
    bool ReadRuntimeFiles();
    void WaitUntilGone(int pid);

    SlapdOptions m_options;
    std::unique_ptr<TempDir> m_dir;
    int m_port = 0;
    int m_ldapsPort = 0;
    int m_pid = 0;
    std::string m_rootPassword;
    std::string m_lastError;
};

// Path of tools/slapd/slapd-instance: from the QM_SOURCE_DIR environment
// variable, else the source tree this was built from.
[[nodiscard]] std::string FixtureScript();
// Path of tools/slapd/make-users-ldif, found the same way.
[[nodiscard]] std::string MakeUsersLdifScript();

} // namespace qmtest
