// SPDX-License-Identifier: MIT
#include "app/window_rules.h"

#include <gtest/gtest.h>

namespace tavrel::app {
namespace {

TEST(LayoutRule, FollowsTheClientArea) {
  struct row {
    const char* name;
    int width;
    int height;
    BoxLayout layout;
  };
  const row rows[] = {
      {"at_start", kClientWidth, kClientHeight, {392, 392, 152}},
      {"wider_and_taller", 800, 600, {796, 796, 380}},
      // A minimised window has a client area of 0 x 0: -4 and -220 are applied as 0.
      {"minimised", 0, 0, {0, 0, 0}},
      {"shorter_than_the_result_box", 100, 200, {96, 96, 0}},
      {"beyond_the_largest", 40000, 40000, {kMaxExtent, kMaxExtent, kMaxExtent}},
  };
  for (const row& r : rows) {
    const BoxLayout got = layout_rule(r.width, r.height, form::kResult.rect.top);
    EXPECT_EQ(got.input_width, r.layout.input_width) << r.name;
    EXPECT_EQ(got.result_width, r.layout.result_width) << r.name;
    EXPECT_EQ(got.result_height, r.layout.result_height) << r.name;
  }
}

TEST(WindowRules, CopyOnlyWhenTheResultIsNotEmpty) {
  EXPECT_EQ(text_to_copy(""), std::nullopt);
  EXPECT_EQ(text_to_copy("1=1\r\n"), "1=1\r\n");
}

TEST(WindowRules, AboutTextIsFourLines) {
  EXPECT_EQ(text::split_lines(kAboutText, "\r\n").size(), 4u);
  EXPECT_TRUE(kAboutText.ends_with("\r\n"));
  EXPECT_EQ(kAboutText.substr(0, 9 + sizeof TAVREL_VERSION), " Tavrel v" TAVREL_VERSION "\r");
}

TEST(WindowRules, CentresByTheOuterSize) {
  EXPECT_EQ(centred(1024, kOuterWidth), 309);
  EXPECT_EQ(centred(768, kOuterHeight), 185);
  EXPECT_EQ(centred(300, kOuterWidth), -53);
}

}  // namespace
}  // namespace tavrel::app
