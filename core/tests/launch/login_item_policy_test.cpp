#include "core/launch/login_item_policy.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using namespace LoginItemPolicy;

TEST(LoginItemPolicy, TemporaryMountComesBeforeReadOnlyVolume) {
  struct Case {
    const char* path;
    bool readOnly;
    Decision expected;
  };
  const Case cases[] = {
      {"/usr/bin/kestrel", false, Register{}},
      {"/usr/bin/kestrel", true, Skip{"read_only"}},
      {"/tmp/.mount_KestrAbc123/usr/bin/kestrel", false, Skip{"translocated"}},
      {"/tmp/.mount_KestrAbc123/usr/bin/kestrel", true, Skip{"translocated"}},
      {"/run/user/1000/.mount_x/usr/bin/kestrel", false, Skip{"translocated"}},  // another TMPDIR
      {"/home/ann/.mount_notes.txt", false, Register{}},                         // a file, not a folder
      {"/home/ann/x.mount_y/kestrel", false, Register{}},
      {"/tmp/mount_x/kestrel", false, Register{}},
      {"", false, Register{}},
  };
  for (const auto& c : cases) EXPECT_EQ(shouldRegister(c.path, c.readOnly), c.expected) << c.path;
}

TEST(LoginItemPolicy, DecisionLogLines) {
  EXPECT_EQ(logLine(Skip{"translocated"}), "login item skipped reason=translocated");
  EXPECT_EQ(logLine(Register{}), "login item register");
}

TEST(LoginItemPolicy, RegistersOnlyWhatIsMissingAndCountsApprovalAsOffered) {
  struct Case {
    LoginItemStatus status;
    bool callRegister;
    bool offered;
  };
  const Case cases[] = {
      {LoginItemStatus::enabled, false, true},
      {LoginItemStatus::notRegistered, true, false},
      {LoginItemStatus::requiresApproval, false, true},
      {LoginItemStatus::notFound, true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(shouldCallRegister(c.status), c.callRegister) << toText(c.status);
    EXPECT_EQ(isOffered(c.status), c.offered) << toText(c.status);
  }
}

TEST(LoginItemPolicy, RegisterLogLineNamesBothStatusesAndAnyError) {
  EXPECT_EQ(registerLogLine(LoginItemStatus::notRegistered, LoginItemStatus::enabled, std::nullopt),
            "login item register before=notRegistered after=enabled");
  EXPECT_EQ(registerLogLine(LoginItemStatus::notFound, LoginItemStatus::notFound, errorDescription("errno", 13)),
            "login item register before=notFound after=notFound error=errno:13");
  EXPECT_EQ(registerLogLine(LoginItemStatus::requiresApproval, LoginItemStatus::requiresApproval, ""),
            "login item register before=requiresApproval after=requiresApproval error=");
}

}  // namespace
}  // namespace kestrel
