#pragma once

#include <string>

namespace qmtest
{

// How a private slapd is set up; see tools/slapd/slapd-instance.
struct SlapdOptions
{
    std::string suffix = "dc=corp,dc=example,dc=test";
    int sizeLimit = 500; // for everyone but the root DN; 0 or less: unlimited
    std::string limits = "size.pr=1000 size.prtotal=unlimited"; // after "limits *"; empty: none
    std::string adNetbios; // non-empty: AD-style root DSE naming this domain controller
    bool referral = false; // cn=Configuration,<suffix> answers subtree searches with a reference
    bool tlsBindsOnly = false; // simple binds need StartTLS or ldaps, as AD's default
};

} // namespace qmtest
