#include "app/status_menu.h"

#include <cstring>

#include "agent/agent_table.h"
#include "agent/check_app_exists.h"

#ifdef __APPLE__
#include <FL/platform.H>
#else
#include "platform/application_menu.h"
#endif

Fl_Menu_Item s_StatusMenuItems[3];

void ShowApplicationMenuItems() {
  std::memset(static_cast<void *>(s_StatusMenuItems), 0, sizeof s_StatusMenuItems);

  s_StatusMenuItems[0].text = s_VersionText;
  s_StatusMenuItems[0].flags = FL_MENU_DIVIDER;

  if (CheckAppExists(s_AppExeNamesArray[0])) {
    s_StatusMenuItems[1].text = s_HasMenuItemsArray[0];
    s_StatusMenuItems[1].flags = FL_MENU_RADIO | FL_MENU_VALUE;
  } else {
    s_StatusMenuItems[1].text = s_NotHasMenuItemsArray[0];
    s_StatusMenuItems[1].flags = FL_MENU_INACTIVE | FL_MENU_VALUE;
  }
  // Entry 2 stays zero: the array's terminator.

#ifdef __APPLE__
  Fl_Mac_App_Menu::custom_application_menu_items(s_StatusMenuItems);
#else
  KeepInPlaceOfApplicationMenu(s_StatusMenuItems);
#endif
}
