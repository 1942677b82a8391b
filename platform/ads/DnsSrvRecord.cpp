#include "platform/ads/DnsSrvRecord.h"

#include "platform/base/PlatformConfig.h"

#include <algorithm>
#include <arpa/nameser.h>
#include <iterator>
#include <numeric>
#include <resolv.h>

namespace winplat::ads
{

namespace
{

SrvAnswer Failure(std::string detail)
{
    SrvAnswer answer;
    answer.outcome = SrvAnswer::Outcome::Failed;
    answer.detail = std::move(detail);
    return answer;
}

const char* RcodeName(int rcode)
{
    switch (rcode)
    {
    case ns_r_formerr:
        return "FORMERR";
    case ns_r_servfail:
        return "SERVFAIL";
    case ns_r_notimpl:
        return "NOTIMP";
    case ns_r_refused:
        return "REFUSED";
    default:
        return "an error code";
    }
}

} // namespace

bool IsDnsName(std::string_view name) noexcept
{
    if (!name.empty() && name.back() == '.')
        name.remove_suffix(1);
    if (name.empty() || name.size() > 253)
        return false;
    size_t label = 0;
    for (char c : name)
    {
        if (c == '.')
        {
            if (label == 0)
                return false;
            label = 0;
            continue;
        }
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '-' || c == '_';
        if (!ok || ++label > 63)
            return false;
    }
    return label > 0;
}

std::string CanonicalDnsName(std::string_view name)
{
    if (!name.empty() && name.back() == '.')
        name.remove_suffix(1);
    return ToLowerAscii(name);
}

SrvAnswer ParseSrvResponse(const unsigned char* message, std::size_t length,
                           std::string_view queryName)
{
    ns_msg msg{};
    if (message == nullptr || length > 65535 ||
        ns_initparse(message, static_cast<int>(length), &msg) < 0)
        return Failure("malformed reply");
    if (!ns_msg_getflag(msg, ns_f_qr))
        return Failure("malformed reply");

    // A reply must repeat the question; anything else answers someone else.
    ns_rr question{};
    if (ns_msg_count(msg, ns_s_qd) != 1 || ns_parserr(&msg, ns_s_qd, 0, &question) < 0 ||
        CanonicalDnsName(ns_rr_name(question)) != CanonicalDnsName(queryName) ||
        ns_rr_type(question) != ns_t_srv || ns_rr_class(question) != ns_c_in)
        return Failure("reply to another question");

    int rcode = ns_msg_getflag(msg, ns_f_rcode);
    if (rcode == ns_r_nxdomain)
    {
        SrvAnswer answer;
        answer.outcome = SrvAnswer::Outcome::NoSuchName;
        return answer;
    }
    if (rcode != ns_r_noerror)
        return Failure(std::string("server answered ") + RcodeName(rcode) + " (" +
                       std::to_string(rcode) + ")");

    SrvAnswer answer;
    int count = ns_msg_count(msg, ns_s_an);
    for (int i = 0; i < count; ++i)
    {
        ns_rr rr{};
        if (ns_parserr(&msg, ns_s_an, i, &rr) < 0)
            return Failure("malformed reply");
        // CNAMEs on the way to the records are skipped; the SRV records follow them.
        if (ns_rr_type(rr) != ns_t_srv || ns_rr_class(rr) != ns_c_in)
            continue;
        const unsigned char* rdata = ns_rr_rdata(rr);
        if (ns_rr_rdlen(rr) < 7)
            return Failure("malformed SRV record");
        SrvRecord record;
        record.priority = static_cast<std::uint16_t>(ns_get16(rdata));
        record.weight = static_cast<std::uint16_t>(ns_get16(rdata + 2));
        record.port = static_cast<std::uint16_t>(ns_get16(rdata + 4));
        char target[NS_MAXDNAME];
        int used = dn_expand(ns_msg_base(msg), ns_msg_end(msg), rdata + 6, target, sizeof target);
        if (used < 0 || used != ns_rr_rdlen(rr) - 6)
            return Failure("malformed SRV record");
        record.target = target;
        if (record.target == ".")
            record.target.clear();
        answer.records.push_back(std::move(record));
    }
    answer.outcome =
        answer.records.empty() ? SrvAnswer::Outcome::NoRecords : SrvAnswer::Outcome::Records;
    return answer;
}

std::vector<SrvRecord> OrderSrvRecords(std::vector<SrvRecord> records, std::mt19937& random)
{
    std::erase_if(records, [](const SrvRecord& r) { return r.target.empty(); });
    std::stable_sort(records.begin(), records.end(),
                     [](const SrvRecord& a, const SrvRecord& b)
                     { return a.priority < b.priority; });

    std::vector<SrvRecord> ordered;
    ordered.reserve(records.size());
    auto begin = records.begin();
    while (begin != records.end())
    {
        auto end = std::find_if(begin, records.end(),
                                [&](const SrvRecord& r) { return r.priority != begin->priority; });
        std::vector<SrvRecord> group(std::make_move_iterator(begin), std::make_move_iterator(end));
        // Zero weights go first, so that they are picked only when the draw is 0.
        std::stable_partition(group.begin(), group.end(),
                              [](const SrvRecord& r) { return r.weight == 0; });
        while (!group.empty())
        {
            std::uint32_t total = std::accumulate(group.begin(), group.end(), std::uint32_t{0},
                                                  [](std::uint32_t sum, const SrvRecord& r)
                                                  { return sum + r.weight; });
            std::uint32_t draw = std::uniform_int_distribution<std::uint32_t>(0, total)(random);
            std::uint32_t running = 0;
            size_t chosen = group.size() - 1;
            for (size_t i = 0; i < group.size(); ++i)
            {
                running += group[i].weight;
                if (running >= draw)
                {
                    chosen = i;
                    break;
                }
            }
            ordered.push_back(std::move(group[chosen]));
            group.erase(group.begin() + static_cast<std::ptrdiff_t>(chosen));
        }
        begin = end;
    }
    return ordered;
}

} // namespace winplat::ads
