// What an organisation to generate looks like: how many mailboxes, and which share of them
// (in percent) falls into each kind.
#pragma once

#include <cstdint>
#include <string>

namespace orggen
{

struct OrgSpec
{
    std::uint64_t mailboxes = 1000; // person objects with a mail nickname, the admin included
    std::uint64_t seed = 1;

    // Kinds of mailbox; the shares add up to at most 100, the rest are non-OST users.
    double ost = 30;          // "Top of Information Store" carries PR_OST_OSTID
    double manyOst = 1;       // ... with a value too large for a table row
    double emptyOstId = 0.5;  // ... with an empty value
    double hidden = 2;        // msExchHideFromAddressLists TRUE: not listed
    double noDn = 1;          // no legacyExchangeDN: not listed
    double contacts = 0;      // mail contacts: listed, but no mailbox behind them
    double cannotOpen = 1;    // the store cannot be opened
    double noRoot = 0.5;      // the root folder cannot be opened
    double noHierarchy = 0.5; // the root folder gives no hierarchy table
    double noTop = 0.5;       // no "Top of Information Store" row at all
    double nearCase = 0.2;    // only a row differing in letter case
    double nearSpace = 0.2;   // only a row with a trailing space

    // Of the mailboxes with a sought row, the share whose row is not the first.
    double topNotFirst = 20;

    std::string org = "Corp";
    std::string suffix = "dc=corp,dc=example,dc=test";
    std::string admin = "Administrator";
    std::string password = "Secret1!";
    // Bytes of one offline store's identifier within PR_OST_OSTID.
    unsigned ostIdBytes = 16;
    // Offline stores of a mailbox whose identifier is too large for a table row.
    unsigned manyOstCount = 64;
};

} // namespace orggen
