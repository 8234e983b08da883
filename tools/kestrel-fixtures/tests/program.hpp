#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/base/file_io.hpp"
#include "core/tests/support/temp_folder.hpp"

// Running the built kestrel-fixtures program from the tests.
namespace kestrel::testing {

struct Finished {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string quoted(const std::string& text) {
  std::string result = "'";
  for (const char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

// Runs the program with the arguments, and with `environment` added to its environment; its
// standard output and error are kept in `temp`.
inline Finished run(const TempFolder& temp, const std::vector<std::string>& arguments,
                    const std::map<std::string, std::string>& environment = {}) {
  std::string command;
  for (const auto& [name, value] : environment) command += name + "=" + quoted(value) + " ";
  command += quoted(KESTREL_FIXTURES_PROGRAM);
  for (const auto& argument : arguments) command += " " + quoted(argument);
  const std::filesystem::path out = temp / "stdout.txt";
  const std::filesystem::path err = temp / "stderr.txt";
  command += " >" + quoted(out.string()) + " 2>" + quoted(err.string());
  const int status = std::system(command.c_str());
  return Finished{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out).value_or(""), readFile(err).value_or("")};
}

}  // namespace kestrel::testing
