#include <FL/Fl_Menu_Item.H>

#include "app/status_menu.h"
#include "platform/application_menu.h"
#include "probe_fixture.h"

namespace {

using StatusMenuTest = ProbeTest;

void ExpectOnlyTextAndFlags(const Fl_Menu_Item &item) {
  EXPECT_EQ(item.shortcut_, 0);
  EXPECT_EQ(item.callback_, nullptr);
  EXPECT_EQ(item.user_data_, nullptr);
  EXPECT_EQ(item.labeltype_, 0);
  EXPECT_EQ(item.labelfont_, 0);
  EXPECT_EQ(item.labelsize_, 0);
  EXPECT_EQ(item.labelcolor_, 0U);
}

TEST_F(StatusMenuTest, ShowsTheVersionAndTheStateAtStartUp) {
  harness::Capture("mkdir -p " + BundlePath() + "/Contents/MacOS");
  ShowApplicationMenuItems();

  // What the application menu got is the array that lives for the run.
  const Fl_Menu_Item *menu = KeptApplicationMenuItems();
  ASSERT_EQ(menu, s_StatusMenuItems);
  EXPECT_EQ(menu[0].text, s_VersionText);
  EXPECT_EQ(menu[0].flags, 0x80);
  EXPECT_EQ(menu[1].text, s_HasMenuItemsArray[0]);
  EXPECT_EQ(menu[1].flags, 12);
  EXPECT_EQ(menu[2].text, nullptr);
  EXPECT_EQ(menu[2].flags, 0);
  for (int i = 0; i < 3; ++i) {
    ExpectOnlyTextAndFlags(menu[i]);
  }

  harness::RemoveTree(BundlePath());
  ShowApplicationMenuItems();
  EXPECT_EQ(menu[0].text, s_VersionText);
  EXPECT_EQ(menu[0].flags, 0x80);
  EXPECT_EQ(menu[1].text, s_NotHasMenuItemsArray[0]);
  EXPECT_EQ(menu[1].flags, 5);
  EXPECT_EQ(menu[2].text, nullptr);
  for (int i = 0; i < 3; ++i) {
    ExpectOnlyTextAndFlags(menu[i]);
  }
}

}  // namespace
