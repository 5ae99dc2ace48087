// An environment variable set for a scope, for tests of settings read from the environment.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace tavi::test {

// Sets `name` to `value`; the destructor puts back the old value, or removes the variable when it had none.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace tavi::test
