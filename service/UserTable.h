#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::service {

// The accounts the stand-in login service knows, read from a small text file:
//   # comment
//   <name> <password> <state>
// state is "active", "disabled" (the account is not in use), "inactive" (not activated yet) or
// "code:<N>" (the service answers N for this user, whatever the password). A name listed twice is
// ambiguous.
class UserTable {
public:
    // Reply codes of the login service.
    static constexpr int kAccepted = 0;
    static constexpr int kUnknownUser = -101;
    static constexpr int kWrongPassword = -102;
    static constexpr int kAmbiguous = -103;
    static constexpr int kNotInUse = -104;
    static constexpr int kNotActive = -105;

    // nullopt and a reason in `error` when the text has a malformed line.
    static std::optional<UserTable> Parse(std::string_view text, std::string& error);
    static std::optional<UserTable> Load(const std::string& path, std::string& error);

    int Check(std::string_view user, std::string_view password) const;
    std::size_t size() const { return m_users.size(); }

private:
    struct User {
        std::string name;
        std::string password;
        int stateCode;
    };
    std::vector<User> m_users;
};

}  // namespace tessaly::service
