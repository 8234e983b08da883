#include "core/login_item_status.hpp"

#include <gtest/gtest.h>

#include "core/camera_permission.hpp"

namespace kestrel {
namespace {

TEST(LoginItemStatus, TextFormsRoundTripAndRejectOtherSpellings) {
  for (LoginItemStatus s : allCases<LoginItemStatus>()) EXPECT_EQ(fromText<LoginItemStatus>(toText(s)), s);
  EXPECT_EQ(toText(LoginItemStatus::notRegistered), "notRegistered");
  EXPECT_EQ(toText(LoginItemStatus::requiresApproval), "requiresApproval");
  EXPECT_EQ(fromText<LoginItemStatus>("not_registered"), std::nullopt);
  EXPECT_EQ(fromText<LoginItemStatus>("Enabled"), std::nullopt);
}

TEST(LoginItemStatus, OnlyAWaitingApprovalNamesWhereToApprove) {
  struct Case {
    LoginItemStatus status;
    const char* title;
  };
  const Case cases[] = {
      {LoginItemStatus::enabled, "Start at login"},
      {LoginItemStatus::notRegistered, "Start at login"},
      {LoginItemStatus::notFound, "Start at login"},
      {LoginItemStatus::requiresApproval, "Start at login (needs approval in your desktop's autostart settings)"},
  };
  for (const auto& c : cases) EXPECT_EQ(menuTitle(c.status), c.title) << toText(c.status);
}

TEST(CameraPermission, TextFormsAreTheCaseNamesInOrder) {
  const auto cases = allCases<CameraPermission>();
  ASSERT_EQ(cases.size(), 4u);
  EXPECT_EQ(toText(cases[0]), "notDetermined");
  EXPECT_EQ(toText(cases[1]), "denied");
  EXPECT_EQ(toText(cases[2]), "restricted");
  EXPECT_EQ(toText(cases[3]), "authorized");
  EXPECT_EQ(fromText<CameraPermission>("not_determined"), std::nullopt);
}

}  // namespace
}  // namespace kestrel
