#pragma once
// Sets (or, given nullopt, removes) an environment variable for one scope and restores what was
// there before at the end.
#include <cstdlib>
#include <optional>
#include <string>

#include "TestSystem.h"

namespace tessaly::test {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            system::SetEnv(name, *value);
        else
            system::UnsetEnv(name);
    }
    ~ScopedEnv()
    {
        if (old_)
            system::SetEnv(name_.c_str(), *old_);
        else
            system::UnsetEnv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace tessaly::test
