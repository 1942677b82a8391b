#pragma once

#include "tests/util/SlapdOptions.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qmtest
{

// One user account in the test directory, with the mailbox attributes the
// directory client reads. Values are stored exactly as given (case, spacing,
// non-ASCII); an absent optional leaves the attribute off the entry.
struct DirectoryUser
{
    // Positional with defaults, so {cn, sam, nickname} compiles cleanly with
    // -Wextra (which rejects a partial aggregate list, designated or not).
    DirectoryUser(std::string cn = {}, std::string sam = {},
                  std::optional<std::string> nickname = {},
                  std::optional<std::string> legacyDN = {}, std::optional<std::string> hidden = {},
                  std::string password = "Secret1!", std::string objectCategory = "person")
        : cn(std::move(cn)), sam(std::move(sam)), nickname(std::move(nickname)),
          legacyDN(std::move(legacyDN)), hidden(std::move(hidden)), password(std::move(password)),
          objectCategory(std::move(objectCategory))
    {
    }

    std::string cn;
    std::string sam;                     // sAMAccountName; empty: none
    std::optional<std::string> nickname; // mailNickname
    std::optional<std::string> legacyDN; // legacyExchangeDN
    std::optional<std::string> hidden;   // msExchHideFromAddressLists: "TRUE" / "FALSE"
    std::string password;                // userPassword; empty: none
    std::string objectCategory;          // empty: none
};

// LDIF for the users, each as cn=<cn>,ou=Users,<suffix>. Loaded at start-up the
// values are not syntax-checked by the server (slapadd does not); loaded with
// SlapdServer::Modify they are.
[[nodiscard]] std::string UsersLdif(const SlapdOptions& options,
                                    const std::vector<DirectoryUser>& users);

// DN of a user as UsersLdif writes it.
[[nodiscard]] std::string UserDn(const SlapdOptions& options, const std::string& cn);

// "name: value\n", or "name:: <base64>\n" when LDIF cannot carry the value as it is.
[[nodiscard]] std::string LdifLine(const std::string& name, const std::string& value);

// An attribute value escaped for use inside a DN string.
[[nodiscard]] std::string EscapeDnValue(const std::string& value);

} // namespace qmtest
