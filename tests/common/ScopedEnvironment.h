// Sets an environment variable (or removes it: nullopt) for one scope and puts the old one
// back; a change of TZ is re-read.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace testing_support {

class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value)
        : FName(std::move(name)) {
        if (const char* old = getenv(FName.c_str())) FOld = old;
        Set(value);
    }
    ~ScopedEnvironment() { Set(FOld); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    void Set(const std::optional<std::string>& value) {
        if (value)
            setenv(FName.c_str(), value->c_str(), 1);
        else
            unsetenv(FName.c_str());
        if (FName == "TZ") tzset();
    }
    std::string FName;
    std::optional<std::string> FOld;
};

} // namespace testing_support
