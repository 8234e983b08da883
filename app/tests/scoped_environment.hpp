#pragma once

#include <QString>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace kestrel::testing {

// Sets environment variables for one test and puts the old values back after it.
class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

  void set(const char* name, const QString& value) {
    remember(name);
    setenv(name, value.toLocal8Bit().constData(), 1);
  }
  void unset(const char* name) {
    remember(name);
    unsetenv(name);
  }

 private:
  void remember(const char* name) {
    if (saved_.contains(name)) return;
    const char* old = std::getenv(name);
    saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
  }

  std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace kestrel::testing
