#include "tests/util/SlapdServer.h"

#include "tests/util/ProcessRunner.h"
#include "tests/util/TempDir.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace qmtest
{
namespace
{

constexpr int kInitTimeoutMs = 300000; // loading a benchmark-sized LDIF takes seconds
constexpr int kStartTimeoutMs = 30000;
constexpr int kStopTimeoutMs = 30000;
constexpr auto kSignalWait = std::chrono::seconds(5);

std::string SourceDir()
{
    const char* fromEnv = std::getenv("QM_SOURCE_DIR");
    if (fromEnv != nullptr && *fromEnv != '\0')
        return fromEnv;
    return QM_FIXTURE_SOURCE_DIR;
}

int ReadNumber(const std::string& path)
{
    std::ifstream in(path);
    int value = 0;
    if (!(in >> value))
        return 0;
    return value;
}

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// The state letter of /proc/<pid>/stat; '\0' when there is no such process.
char ProcessState(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line))
        return '\0';
    // The command name is in parentheses and may itself contain spaces.
    auto close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size())
        return '\0';
    return line[close + 2];
}

// Gone means no thread left: the leader of a multi-threaded process turns
// zombie while other threads still exit, and they keep its sockets open.
bool IsGone(int pid)
{
    char state = ProcessState(pid);
    if (state == '\0')
        return true;
    if (state != 'Z' && state != 'X')
        return false;
    std::error_code error;
    auto threads =
        std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error);
    if (error)
        return true;
    return std::distance(threads, std::filesystem::directory_iterator()) <= 1;
}

template <typename Predicate> bool WaitFor(Predicate done)
{
    const auto deadline = std::chrono::steady_clock::now() + kSignalWait;
    while (!done())
    {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace

std::string FixtureScript()
{
    return SourceDir() + "/tools/slapd/slapd-instance";
}

std::string MakeUsersLdifScript()
{
    return SourceDir() + "/tools/slapd/make-users-ldif";
}

SlapdServer::SlapdServer(SlapdOptions options) : m_options(std::move(options)) {}

SlapdServer::~SlapdServer()
{
    Stop();
    m_dir.reset();
}

std::string SlapdServer::Dir() const
{
    return m_dir ? m_dir->Path() : std::string();
}

std::string SlapdServer::CaFile() const
{
    return m_dir ? m_dir->Path() + "/ca.pem" : std::string();
}

std::string SlapdServer::LdapUri() const
{
    return "ldap://" + Host() + ":" + std::to_string(m_port);
}

std::string SlapdServer::LdapsUri() const
{
    return "ldaps://" + Host() + ":" + std::to_string(m_ldapsPort);
}

std::vector<std::string> SlapdServer::ClientEnvironment() const
{
    // LDAPNOINIT would make the tools ignore the TLS settings below.
    return {"LDAPNOINIT", "LDAPCONF=" + Dir() + "/ldap.conf", "LDAPTLS_CACERT=" + CaFile(),
            "LDAPTLS_REQCERT=demand"};
}

bool SlapdServer::RunScript(const std::vector<std::string>& args, const std::string& input,
                            int timeoutMs)
{
    std::vector<std::string> argv{FixtureScript()};
    argv.insert(argv.end(), args.begin(), args.end());
    ProcessOptions options;
    options.input = input;
    options.timeout = std::chrono::milliseconds(timeoutMs);
    ProcessResult result = RunProcess(argv, options);
    if (result.Succeeded())
        return true;
    m_lastError = "slapd-instance " + args.front() + ": " + Trimmed(result.Describe());
    return false;
}

bool SlapdServer::Start(const std::vector<std::string>& ldifTexts)
{
    if (m_dir)
    {
        m_lastError = "already started";
        return false;
    }
    auto dir = std::make_unique<TempDir>("qm-slapd-");
    if (!dir->Valid())
    {
        m_lastError = "cannot make a temporary directory: " + dir->Error();
        return false;
    }
    m_dir = std::move(dir);

    std::vector<std::string> args{
        "init",        Dir(),
        "--suffix",    m_options.suffix,
        "--sizelimit", m_options.sizeLimit > 0 ? std::to_string(m_options.sizeLimit) : "unlimited",
        "--limits",    m_options.limits};
    if (!m_options.adNetbios.empty())
        args.insert(args.end(), {"--ad-rootdse", m_options.adNetbios});
    if (m_options.referral)
        args.push_back("--referral");
    if (m_options.tlsBindsOnly)
        args.push_back("--tls-binds-only");
    std::string input;
    if (!ldifTexts.empty())
    {
        args.insert(args.end(), {"--ldif", "-"});
        // A blank line between texts, so one text's last entry never runs
        // into the next one's first.
        for (const auto& text : ldifTexts)
            input += text + "\n\n";
    }
    if (!RunScript(args, input, kInitTimeoutMs) || !StartInstance({}))
    {
        m_dir.reset();
        return false;
    }
    return true;
}

bool SlapdServer::Restart()
{
    if (!m_dir)
    {
        m_lastError = "not started";
        return false;
    }
    if (m_pid != 0)
    {
        m_lastError = "still running";
        return false;
    }
    return StartInstance(
        {"--port", std::to_string(m_port), "--ldaps-port", std::to_string(m_ldapsPort)});
}

bool SlapdServer::StartInstance(const std::vector<std::string>& extraArgs)
{
    // The watchdog (--owner) stops slapd and removes the directory should this
    // process end without running our destructor.
    std::vector<std::string> args{"start", Dir(), "--owner", std::to_string(::getpid()),
                                  "--cleanup"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    if (!RunScript(args, {}, kStartTimeoutMs))
        return false;
    return ReadRuntimeFiles();
}

bool SlapdServer::ReadRuntimeFiles()
{
    const std::string dir = Dir();
    m_port = ReadNumber(dir + "/port");
    m_ldapsPort = ReadNumber(dir + "/ldaps_port");
    m_pid = ReadNumber(dir + "/pid");
    m_rootPassword = ReadWholeFile(dir + "/rootpw");
    if (m_port > 0 && m_ldapsPort > 0 && m_pid > 0 && !m_rootPassword.empty())
        return true;
    m_lastError = "slapd-instance start left incomplete files in " + dir;
    if (m_pid > 0)
        Kill();
    return false;
}

void SlapdServer::Stop()
{
    if (!m_dir || m_pid == 0)
        return;
    if (!RunScript({"stop", Dir()}, {}, kStopTimeoutMs))
    {
        ::kill(m_pid, SIGKILL);
        WaitUntilGone(m_pid);
    }
    m_pid = 0;
}

void SlapdServer::Pause()
{
    if (m_pid == 0)
        return;
    ::kill(m_pid, SIGSTOP);
    const int pid = m_pid;
    WaitFor([pid] { return ProcessState(pid) == 'T' || IsGone(pid); });
}

void SlapdServer::Resume()
{
    if (m_pid == 0)
        return;
    ::kill(m_pid, SIGCONT);
    const int pid = m_pid;
    WaitFor([pid] { return ProcessState(pid) != 'T'; });
}

void SlapdServer::Kill()
{
    if (m_pid == 0)
        return;
    ::kill(m_pid, SIGKILL);
    WaitUntilGone(m_pid);
    m_pid = 0;
}

void SlapdServer::WaitUntilGone(int pid)
{
    if (!WaitFor([pid] { return IsGone(pid); }))
        m_lastError = "slapd (pid " + std::to_string(pid) + ") did not go away";
}

bool SlapdServer::Modify(const std::string& ldif)
{
    if (m_pid == 0)
    {
        m_lastError = "not running";
        return false;
    }
    ProcessOptions options;
    options.input = ldif;
    options.environment = ClientEnvironment();
    ProcessResult result = RunProcess(
        {"ldapmodify", "-x", "-a", "-ZZ", "-H", LdapUri(), "-D", RootDn(), "-y", Dir() + "/rootpw"},
        options);
    if (result.Succeeded())
        return true;
    m_lastError = "ldapmodify: " + Trimmed(result.Describe());
    return false;
}

} // namespace qmtest
