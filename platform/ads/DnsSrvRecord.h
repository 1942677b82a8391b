// SRV records: reading them out of a DNS response and putting them in the order a client tries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace winplat::ads
{

struct SrvRecord
{
    std::uint16_t priority = 0;
    std::uint16_t weight = 0;
    std::uint16_t port = 0;
    std::string target; // "" for the root, which says the service is not offered
};

struct SrvAnswer
{
    enum class Outcome
    {
        Records,    // the name has SRV records (possibly only "not offered" ones)
        NoSuchName, // the server says the name does not exist
        NoRecords,  // the name exists but has no SRV records
        Failed,     // no usable answer: timeout, refusal, server failure, malformed reply
    };
    Outcome outcome = Outcome::Failed;
    std::vector<SrvRecord> records;
    std::string detail; // why, for a failure
};

// Reads a whole DNS response. A reply to some other question is a failure.
SrvAnswer ParseSrvResponse(const unsigned char* message, std::size_t length,
                           std::string_view queryName);

// RFC 2782: lowest priority first; within one priority, a weighted random draw decides the
// order. Records whose target is the root are dropped: they mean "not offered here".
std::vector<SrvRecord> OrderSrvRecords(std::vector<SrvRecord> records, std::mt19937& random);

// A host or domain name as DNS carries it in text: dot-separated labels of letters, digits,
// hyphens and underscores, 1 to 63 characters each, at most 253 in all; one final dot allowed.
bool IsDnsName(std::string_view name) noexcept;

// The name without a final dot, in lower case, for comparisons.
std::string CanonicalDnsName(std::string_view name);

} // namespace winplat::ads
