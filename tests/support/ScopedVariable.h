#pragma once
// An environment variable set (or unset, for a null value) for a test's scope, and put back as it
// was at its end.

#include <cstdlib>
#include <optional>
#include <string>

namespace kestrune::test {

class TScopedVariable {
public:
    TScopedVariable(std::string name, const char* value) : FName(std::move(name)) {
        if (const char* saved = std::getenv(FName.c_str()))
            FSaved = saved;
        if (value)
            setenv(FName.c_str(), value, 1);
        else
            unsetenv(FName.c_str());
    }
    ~TScopedVariable() {
        if (FSaved)
            setenv(FName.c_str(), FSaved->c_str(), 1);
        else
            unsetenv(FName.c_str());
    }
    TScopedVariable(const TScopedVariable&) = delete;
    TScopedVariable& operator=(const TScopedVariable&) = delete;

private:
    std::string FName;
    std::optional<std::string> FSaved;
};

} // namespace kestrune::test
