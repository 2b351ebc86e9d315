#include "platform/application_menu.h"

namespace {
const Fl_Menu_Item *s_KeptItems = nullptr;
}

void KeepInPlaceOfApplicationMenu(const Fl_Menu_Item *items) { s_KeptItems = items; }

const Fl_Menu_Item *KeptApplicationMenuItems() { return s_KeptItems; }
