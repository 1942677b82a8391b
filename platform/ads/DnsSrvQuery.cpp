#include "platform/ads/DnsSrvQuery.h"

#include <algorithm>
#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <resolv.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace winplat::ads
{

namespace
{

using Clock = std::chrono::steady_clock;

SrvAnswer Failure(std::string detail)
{
    SrvAnswer answer;
    answer.outcome = SrvAnswer::Outcome::Failed;
    answer.detail = std::move(detail);
    return answer;
}

class UniqueFd final
{
public:
    explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
    ~UniqueFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int Get() const noexcept { return m_fd; }

private:
    int m_fd;
};

class ResolverState final
{
public:
    ResolverState() noexcept { m_ok = res_ninit(&m_state) == 0; }
    ~ResolverState() { res_nclose(&m_state); }
    ResolverState(const ResolverState&) = delete;
    ResolverState& operator=(const ResolverState&) = delete;
    bool Ok() const noexcept { return m_ok; }
    res_state Get() noexcept { return &m_state; }

private:
    struct __res_state m_state
    {
    };
    bool m_ok = false;
};

// The longest the system resolver can wait in all: it gives server n (from 0) retrans << n
// seconds, divided by the number of servers after the first, and at least one second.
long WorstCaseSeconds(int retrans, int retry, int servers)
{
    long perTry = 0;
    for (int ns = 0; ns < servers; ++ns)
    {
        long seconds = static_cast<long>(retrans) << ns;
        if (ns > 0)
            seconds /= servers;
        perTry += std::max(1L, seconds);
    }
    return perTry * retry;
}

int Remaining(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

// Waits for `events` on fd until the deadline; false on timeout or error.
bool WaitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;)
    {
        pollfd p{fd, events, 0};
        int r = ::poll(&p, 1, Remaining(deadline));
        if (r > 0)
            return true;
        if (r == 0 || errno != EINTR)
            return false;
    }
}

std::vector<unsigned char> BuildQuery(std::uint16_t id, const std::string& name)
{
    std::vector<unsigned char> q = {static_cast<unsigned char>(id >> 8),
                                    static_cast<unsigned char>(id & 0xFF),
                                    0x01, // recursion desired
                                    0x00,
                                    0,
                                    1,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0};
    std::string_view rest = name;
    if (!rest.empty() && rest.back() == '.')
        rest.remove_suffix(1);
    while (!rest.empty())
    {
        size_t dot = rest.find('.');
        std::string_view label = rest.substr(0, dot);
        q.push_back(static_cast<unsigned char>(label.size()));
        q.insert(q.end(), label.begin(), label.end());
        rest = dot == std::string_view::npos ? std::string_view{} : rest.substr(dot + 1);
    }
    q.push_back(0);
    q.insert(q.end(), {0, ns_t_srv, 0, ns_c_in});
    return q;
}

std::uint16_t ReplyId(const std::vector<unsigned char>& reply, size_t length)
{
    return length >= 2 ? static_cast<std::uint16_t>((reply[0] << 8) | reply[1]) : 0;
}

bool Truncated(const std::vector<unsigned char>& reply, size_t length)
{
    return length >= 3 && (reply[2] & 0x02) != 0;
}

bool SendAll(int fd, const unsigned char* data, size_t size, Clock::time_point deadline)
{
    while (size > 0)
    {
        ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n > 0)
        {
            data += n;
            size -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(fd, POLLOUT, deadline))
            continue;
        return false;
    }
    return true;
}

bool ReceiveAll(int fd, unsigned char* data, size_t size, Clock::time_point deadline)
{
    while (size > 0)
    {
        ssize_t n = ::recv(fd, data, size, 0);
        if (n > 0)
        {
            data += n;
            size -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(fd, POLLIN, deadline))
            continue;
        return false; // closed early, error, or out of time
    }
    return true;
}

SrvAnswer AskOverTcp(const addrinfo& address, const std::vector<unsigned char>& query,
                     const std::string& name, Clock::time_point deadline)
{
    UniqueFd fd(::socket(address.ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.Get() < 0)
        return Failure(std::string("socket: ") + std::strerror(errno));
    if (::connect(fd.Get(), address.ai_addr, address.ai_addrlen) != 0)
    {
        if (errno != EINPROGRESS)
            return Failure(std::string("TCP connect: ") + std::strerror(errno));
        if (!WaitFor(fd.Get(), POLLOUT, deadline))
            return Failure("TCP connect: no answer in time");
        int error = 0;
        socklen_t len = sizeof error;
        ::getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &error, &len);
        if (error != 0)
            return Failure(std::string("TCP connect: ") + std::strerror(error));
    }
    std::vector<unsigned char> framed = {static_cast<unsigned char>(query.size() >> 8),
                                         static_cast<unsigned char>(query.size() & 0xFF)};
    framed.insert(framed.end(), query.begin(), query.end());
    if (!SendAll(fd.Get(), framed.data(), framed.size(), deadline))
        return Failure("TCP send failed");
    unsigned char prefix[2];
    if (!ReceiveAll(fd.Get(), prefix, sizeof prefix, deadline))
        return Failure("no answer over TCP in time");
    size_t length = (static_cast<size_t>(prefix[0]) << 8) | prefix[1];
    std::vector<unsigned char> reply(length);
    if (!ReceiveAll(fd.Get(), reply.data(), length, deadline))
        return Failure("no whole answer over TCP in time");
    if (ReplyId(reply, length) != ReplyId(query, query.size()))
        return Failure("reply to another question");
    return ParseSrvResponse(reply.data(), length, name);
}

SrvAnswer AskOverUdp(const addrinfo& address, const std::vector<unsigned char>& query,
                     const std::string& name, Clock::time_point deadline)
{
    UniqueFd fd(::socket(address.ai_family, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.Get() < 0)
        return Failure(std::string("socket: ") + std::strerror(errno));
    // A connected socket hears only from the server it asked.
    if (::connect(fd.Get(), address.ai_addr, address.ai_addrlen) != 0)
        return Failure(std::strerror(errno));

    const std::uint16_t id = ReplyId(query, query.size());
    std::vector<unsigned char> reply(65535);
    // Ask again every second while the time lasts: one lost datagram is no answer.
    const auto resendEvery = std::chrono::seconds(1);
    Clock::time_point nextSend = Clock::now();
    for (;;)
    {
        Clock::time_point now = Clock::now();
        if (now >= deadline)
            return Failure("no answer in time");
        if (now >= nextSend)
        {
            if (::send(fd.Get(), query.data(), query.size(), MSG_NOSIGNAL) < 0 && errno != EINTR)
                return Failure(std::strerror(errno));
            nextSend = now + resendEvery;
        }
        if (!WaitFor(fd.Get(), POLLIN, std::min(deadline, nextSend)))
            continue;
        ssize_t n = ::recv(fd.Get(), reply.data(), reply.size(), 0);
        if (n < 0)
        {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            // ECONNREFUSED: nothing listens there.
            return Failure(std::strerror(errno));
        }
        auto length = static_cast<size_t>(n);
        if (ReplyId(reply, length) != id)
            continue; // a late answer to an earlier question, or noise
        if (Truncated(reply, length))
            return AskOverTcp(address, query, name, deadline);
        return ParseSrvResponse(reply.data(), length, name);
    }
}

} // namespace

std::optional<DnsServer> ParseDnsServer(std::string_view text)
{
    DnsServer server;
    std::string_view host = text;
    std::string_view port;
    if (!text.empty() && text.front() == '[')
    {
        size_t close = text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = text.substr(1, close - 1);
        std::string_view rest = text.substr(close + 1);
        if (!rest.empty())
        {
            if (rest.front() != ':')
                return std::nullopt;
            port = rest.substr(1);
            if (port.empty())
                return std::nullopt;
        }
    }
    else if (std::count(text.begin(), text.end(), ':') == 1)
    {
        size_t colon = text.find(':');
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (port.empty())
            return std::nullopt;
    }
    if (host.empty() || host.find_first_of(" \t") != std::string_view::npos)
        return std::nullopt;
    if (!port.empty())
    {
        if (port.size() > 5 ||
            !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        int value = std::stoi(std::string(port));
        if (value < 1 || value > 65535)
            return std::nullopt;
        server.port = static_cast<std::uint16_t>(value);
    }
    server.host = std::string(host);
    return server;
}

DnsSrvQuery::DnsSrvQuery(std::optional<DnsServer> server, std::chrono::milliseconds timeLimit)
    : m_server(std::move(server)), m_timeLimit(std::max(timeLimit, std::chrono::milliseconds(1000)))
{
}

SrvAnswer DnsSrvQuery::Query(const std::string& name) const
{
    if (!IsDnsName(name))
        return Failure("not a DNS name");
    return m_server ? QueryServer(name) : QuerySystem(name);
}

SrvAnswer DnsSrvQuery::QuerySystem(const std::string& name) const
{
    ResolverState state;
    if (!state.Ok())
        return Failure("the system resolver could not start");
    res_state rs = state.Get();

    // The configured waits (five seconds, two tries by default) would hold the caller far too
    // long when no server answers; keep the worst case within the time limit.
    long limit = std::max<long>(1, static_cast<long>(m_timeLimit.count() / 1000));
    int servers = std::max(1, rs->nscount);
    int retry = std::clamp(rs->retry, 1, 2);
    int retrans = std::clamp(rs->retrans, 1, 2);
    while (WorstCaseSeconds(retrans, retry, servers) > limit && (retrans > 1 || retry > 1))
    {
        if (retrans > 1)
            --retrans;
        else
            --retry;
    }
    rs->retrans = retrans;
    rs->retry = retry;

    std::vector<unsigned char> reply(65535);
    int length = res_nquery(rs, name.c_str(), ns_c_in, ns_t_srv, reply.data(),
                            static_cast<int>(reply.size()));
    if (length < 0)
    {
        switch (rs->res_h_errno)
        {
        case HOST_NOT_FOUND:
        {
            SrvAnswer answer;
            answer.outcome = SrvAnswer::Outcome::NoSuchName;
            return answer;
        }
        case NO_DATA:
        {
            SrvAnswer answer;
            answer.outcome = SrvAnswer::Outcome::NoRecords;
            return answer;
        }
        case TRY_AGAIN:
            return Failure("no DNS server answered in time");
        default:
            return Failure("the DNS server could not answer");
        }
    }
    return ParseSrvResponse(reply.data(), static_cast<size_t>(length), name);
}

SrvAnswer DnsSrvQuery::QueryServer(const std::string& name) const
{
    const Clock::time_point deadline = Clock::now() + m_timeLimit;
    const std::string where =
        "DNS server " + m_server->host + " port " + std::to_string(m_server->port);

    addrinfo hints{};
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    std::string port = std::to_string(m_server->port);
    if (int rc = ::getaddrinfo(m_server->host.c_str(), port.c_str(), &hints, &found); rc != 0)
        return Failure(where + ": " + ::gai_strerror(rc));
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);

    std::random_device entropy;
    const auto id = static_cast<std::uint16_t>(entropy());
    const std::vector<unsigned char> query = BuildQuery(id, name);

    // A name such as localhost may stand for several addresses, not all of them served.
    SrvAnswer answer = Failure(where + ": no address");
    for (const addrinfo* a = addresses.get(); a != nullptr && Clock::now() < deadline;
         a = a->ai_next)
    {
        answer = AskOverUdp(*a, query, name, deadline);
        if (answer.outcome != SrvAnswer::Outcome::Failed)
            return answer;
        answer.detail = where + ": " + answer.detail;
    }
    return answer;
}

} // namespace winplat::ads
