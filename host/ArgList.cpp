#include "ArgList.h"

#include <algorithm>

namespace tessaly::host {

bool ArgList::TakeFlag(const std::string& name)
{
    const auto it = std::find(m_words.begin(), m_words.end(), name);
    if (it == m_words.end())
        return false;
    m_words.erase(it);
    return true;
}

std::optional<std::string> ArgList::TakeOption(const std::string& name, bool& missing)
{
    const auto it = std::find(m_words.begin(), m_words.end(), name);
    if (it == m_words.end())
        return std::nullopt;
    if (it + 1 == m_words.end()) {
        missing = true;
        m_words.erase(it);
        return std::nullopt;
    }
    std::string value = *(it + 1);
    m_words.erase(it, it + 2);
    return value;
}

std::optional<std::string> ArgList::TakePositional()
{
    const auto it = std::find_if(m_words.begin(), m_words.end(), [](const std::string& w) { return w.rfind("--", 0) != 0; });
    if (it == m_words.end())
        return std::nullopt;
    std::string value = *it;
    m_words.erase(it);
    return value;
}

}  // namespace tessaly::host
