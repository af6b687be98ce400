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

namespace envdetail {
// Windows' C runtime has no setenv; an empty value there removes the variable.
inline void set(const char* name, const char* value) {
#ifdef _WIN32
    ::_putenv_s(name, value);
#else
    ::setenv(name, value, 1);
#endif
}
inline void unset(const char* name) {
#ifdef _WIN32
    ::_putenv_s(name, "");
#else
    ::unsetenv(name);
#endif
}
}  // namespace envdetail

class EnvOverride {
public:
    // A null value removes the variable.
    EnvOverride(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value) envdetail::set(name, value);
        else envdetail::unset(name);
    }
    EnvOverride(const char* name, const std::string& value) : EnvOverride(name, value.c_str()) {}
    ~EnvOverride() {
        if (m_old) envdetail::set(m_name.c_str(), m_old->c_str());
        else envdetail::unset(m_name.c_str());
    }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

}  // namespace testsupport
