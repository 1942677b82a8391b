#include "tests/util/ProcessRunner.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qmtest
{
namespace
{

class Fd final
{
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& other) noexcept : m_fd(other.Release()) {}
    Fd& operator=(Fd&& other) noexcept
    {
        Reset(other.Release());
        return *this;
    }
    ~Fd() { Reset(); }

    int Get() const { return m_fd; }
    int Release()
    {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void Reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

bool MakePipe(Fd& readEnd, Fd& writeEnd)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    readEnd.Reset(fds[0]);
    writeEnd.Reset(fds[1]);
    return true;
}

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& overrides)
{
    std::map<std::string, std::string> vars;
    auto add = [&vars](const std::string& entry)
    {
        auto eq = entry.find('=');
        if (eq != std::string::npos)
            vars[entry.substr(0, eq)] = entry;
    };
    for (char** e = environ; e != nullptr && *e != nullptr; ++e)
        add(*e);
    for (const auto& entry : overrides)
    {
        if (entry.find('=') == std::string::npos)
            vars.erase(entry);
        else
            add(entry);
    }
    std::vector<std::string> merged;
    merged.reserve(vars.size());
    for (auto& [name, entry] : vars)
        merged.push_back(std::move(entry));
    return merged;
}

std::vector<char*> PointerArray(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (auto& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Writes without letting a child that closed its stdin early kill us with
// SIGPIPE: the signal is blocked for this thread and a pending one consumed.
ssize_t WriteNoSigpipe(int fd, const char* data, size_t size)
{
    sigset_t pipeSet, oldSet;
    sigemptyset(&pipeSet);
    sigaddset(&pipeSet, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSet, &oldSet);
    ssize_t n = ::write(fd, data, size);
    int savedErrno = errno;
    if (n < 0 && savedErrno == EPIPE)
    {
        timespec zero{};
        sigtimedwait(&pipeSet, nullptr, &zero);
    }
    pthread_sigmask(SIG_SETMASK, &oldSet, nullptr);
    errno = savedErrno;
    return n;
}

void DrainAvailable(int fd, std::string& sink)
{
    char buffer[65536];
    for (;;)
    {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return;
        sink.append(buffer, static_cast<size_t>(n));
    }
}

} // namespace

std::string ProcessResult::Describe() const
{
    std::string text;
    if (!failure.empty())
        text = "could not start: " + failure;
    else if (timedOut)
        text = "timed out";
    else
        text = "exit code " + std::to_string(exitCode);
    if (!err.empty())
        text += "; stderr: " + err;
    return text;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options)
{
    ProcessResult result;
    if (argv.empty())
    {
        result.failure = "no program given";
        return result;
    }

    Fd inRead, inWrite, outRead, outWrite, errRead, errWrite;
    if (!MakePipe(inRead, inWrite) || !MakePipe(outRead, outWrite) || !MakePipe(errRead, errWrite))
    {
        result.failure = std::string("pipe: ") + std::strerror(errno);
        return result;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inRead.Get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outWrite.Get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errWrite.Get(), STDERR_FILENO);

    // The child starts with default signal handling and nothing blocked, whatever
    // the test process has set up for itself.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> args = argv;
    std::vector<std::string> env = MergedEnvironment(options.environment);
    std::vector<char*> argPointers = PointerArray(args);
    std::vector<char*> envPointers = PointerArray(env);

    pid_t pid = -1;
    int spawnError = posix_spawnp(&pid, args[0].c_str(), &actions, &attr, argPointers.data(),
                                  envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    inRead.Reset();
    outWrite.Reset();
    errWrite.Reset();
    if (spawnError != 0)
    {
        result.failure = args[0] + ": " + std::strerror(spawnError);
        return result;
    }

    for (Fd* fd : {&inWrite, &outRead, &errRead})
        ::fcntl(fd->Get(), F_SETFL, ::fcntl(fd->Get(), F_GETFL) | O_NONBLOCK);
    if (options.input.empty())
        inWrite.Reset();

    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    size_t written = 0;
    int status = 0;
    bool exited = false;
    while (!exited)
    {
        if (::waitpid(pid, &status, WNOHANG) == pid)
        {
            exited = true;
            break;
        }
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
        {
            result.timedOut = true;
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            exited = true;
            break;
        }
        // Wake at least every 50 ms to notice the child's exit even when a
        // grandchild keeps the pipes open.
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        int waitMs = static_cast<int>(std::min<long long>(left.count(), 50));

        pollfd fds[3];
        nfds_t count = 0;
        if (outRead.Get() >= 0)
            fds[count++] = {outRead.Get(), POLLIN, 0};
        if (errRead.Get() >= 0)
            fds[count++] = {errRead.Get(), POLLIN, 0};
        if (inWrite.Get() >= 0)
            fds[count++] = {inWrite.Get(), POLLOUT, 0};
        if (::poll(fds, count, waitMs) < 0 && errno != EINTR)
            break;
        for (nfds_t i = 0; i < count; ++i)
        {
            if (fds[i].revents == 0)
                continue;
            if (fds[i].fd == inWrite.Get())
            {
                ssize_t n = WriteNoSigpipe(inWrite.Get(), options.input.data() + written,
                                           options.input.size() - written);
                if (n > 0)
                    written += static_cast<size_t>(n);
                if ((n < 0 && errno != EAGAIN) || written == options.input.size())
                    inWrite.Reset();
                continue;
            }
            Fd& source = fds[i].fd == outRead.Get() ? outRead : errRead;
            std::string& sink = fds[i].fd == outRead.Get() ? result.out : result.err;
            char buffer[65536];
            ssize_t n = ::read(source.Get(), buffer, sizeof buffer);
            if (n > 0)
                sink.append(buffer, static_cast<size_t>(n));
            else if (n == 0 || errno != EAGAIN)
                source.Reset();
        }
    }
    if (!exited)
    {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    if (outRead.Get() >= 0)
        DrainAvailable(outRead.Get(), result.out);
    if (errRead.Get() >= 0)
        DrainAvailable(errRead.Get(), result.err);
    if (!result.timedOut && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

} // namespace qmtest
