#include "core/base/os_build.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(OsBuild, JoinsNameKernelAndOpenCV) {
  EXPECT_EQ(osBuild("Debian GNU/Linux 12 (bookworm)", "6.1.0-18-amd64", "4.6.0"),
            "Debian GNU/Linux 12 (bookworm) \u00b7 kernel 6.1.0-18-amd64 \u00b7 OpenCV 4.6.0");
}

TEST(OsBuild, PrettyNameOfOsRelease) {
  struct Case {
    const char* what;
    std::string text;
    std::optional<std::string> name;
  };
  const Case cases[] = {
      {"Debian's file",
       "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\nID=debian\n",
       "Debian GNU/Linux 12 (bookworm)"},
      {"not on the first line", "NAME=Fedora\nPRETTY_NAME='Fedora Linux 39 (Workstation Edition)'\n",
       "Fedora Linux 39 (Workstation Edition)"},
      {"a bare word", "PRETTY_NAME=Arch", "Arch"},
      {"escapes in double quotes", R"(PRETTY_NAME="A \"quoted\" \\ \$name")", R"(A "quoted" \ $name)"},
      {"single quotes keep backslashes", R"(PRETTY_NAME='C:\x')", R"(C:\x)"},
      {"quoted pieces of one word", R"(PRETTY_NAME=Void" "'Linux')", "Void Linux"},
      {"carriage returns and blanks around the line", "  PRETTY_NAME=\"Alpine Linux v3.19\"\r\n", "Alpine Linux v3.19"},
      {"the later assignment wins", "PRETTY_NAME=\"Old\"\nPRETTY_NAME=\"New\"\n", "New"},
      {"no final line feed", "ID=x\nPRETTY_NAME=\"Last\"", "Last"},
      {"an unterminated quote takes the rest", "PRETTY_NAME=\"Open ended", "Open ended"},
      {"an empty value", "PRETTY_NAME=\"\"\n", std::nullopt},
      {"absent", "NAME=\"Debian GNU/Linux\"\n", std::nullopt},
      {"a longer key is another key", "PRETTY_NAME_EXTRA=\"x\"\n", std::nullopt},
      {"a comment", "# PRETTY_NAME=\"x\"\n", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(osReleasePrettyName(c.text), c.name);
  }
}

}  // namespace
}  // namespace kestrel
