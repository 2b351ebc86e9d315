// Stand-in for the macOS application menu on hosts whose toolkit build has
// none (X11, Wayland).
#pragma once

#include <FL/Fl_Menu_Item.H>

// Keeps the terminated array that macOS would show in the application menu.
// Nothing displays it and no entry can be chosen, so choosing does nothing,
// as on macOS.
void KeepInPlaceOfApplicationMenu(const Fl_Menu_Item *items);

// What was last kept, or null before the first call.
const Fl_Menu_Item *KeptApplicationMenuItems();
