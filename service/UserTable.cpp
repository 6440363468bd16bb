#include "UserTable.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace tessaly::service {
namespace {

std::optional<int> StateCode(const std::string& state)
{
    if (state == "active")
        return UserTable::kAccepted;
    if (state == "disabled")
        return UserTable::kNotInUse;
    if (state == "inactive")
        return UserTable::kNotActive;
    if (state.rfind("code:", 0) == 0) {
        int value = 0;
        const char* first = state.data() + 5;
        const char* last = state.data() + state.size();
        const auto [end, ec] = std::from_chars(first, last, value);
        if (ec == std::errc() && end == last && first != last)
            return value;
    }
    return std::nullopt;
}

}  // namespace

std::optional<UserTable> UserTable::Parse(std::string_view text, std::string& error)
{
    UserTable table;
    std::istringstream lines{std::string(text)};
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::istringstream words(line);
        std::string name, password, state, extra;
        if (!(words >> name) || name.front() == '#')
            continue;
        const bool complete = static_cast<bool>(words >> password >> state);
        const auto code = complete ? StateCode(state) : std::nullopt;
        if (!code || (words >> extra)) {
            error = "line " + std::to_string(number) + ": expected <name> <password> <active|disabled|inactive|code:N>";
            return std::nullopt;
        }
        table.m_users.push_back({name, password, *code});
    }
    return table;
}

std::optional<UserTable> UserTable::Load(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read users file " + path;
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    auto table = Parse(text.str(), error);
    if (!table)
        error = path + ": " + error;
    return table;
}

int UserTable::Check(std::string_view user, std::string_view password) const
{
    const User* match = nullptr;
    for (const User& candidate : m_users) {
        if (candidate.name != user)
            continue;
        if (match)
            return kAmbiguous;
        match = &candidate;
    }
    if (!match)
        return kUnknownUser;
    if (match->stateCode != kAccepted && match->stateCode != kNotInUse && match->stateCode != kNotActive)
        return match->stateCode;
    if (match->password != password)
        return kWrongPassword;
    return match->stateCode;
}

}  // namespace tessaly::service
