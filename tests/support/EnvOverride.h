#pragma once
// Sets or removes one environment variable for the object's life, then puts
// back what was there before.
//
//   testsupport::EnvOverride path("PATH", "/tmp/fake:/usr/bin");
//   testsupport::EnvOverride display("DISPLAY", nullptr);   // unset

#include <cstdlib>
#include <optional>
#include <string>

namespace testsupport {

// The C runtime's own on Windows (an empty value removes the variable there).
inline void setVariable(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
#endif
}

class EnvOverride {
public:
    // A null value removes the variable.
    EnvOverride(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        setVariable(name, value);
    }
    EnvOverride(const char* name, const std::string& value) : EnvOverride(name, value.c_str()) {}
    ~EnvOverride() { setVariable(m_name.c_str(), m_old ? m_old->c_str() : nullptr); }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

}  // namespace testsupport
