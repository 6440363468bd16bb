#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessaly::host {

// Command-line words of one command, taken out as they are recognised; what is left over is an
// error the caller reports.
class ArgList {
public:
    explicit ArgList(std::vector<std::string> words) : m_words(std::move(words)) {}

    bool TakeFlag(const std::string& name);
    // The value after `name`; `missing` is set when the option is there without a value.
    std::optional<std::string> TakeOption(const std::string& name, bool& missing);
    std::optional<std::string> TakePositional();
    const std::vector<std::string>& Rest() const { return m_words; }

private:
    std::vector<std::string> m_words;
};

}  // namespace tessaly::host
