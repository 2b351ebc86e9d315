// Stand-in for the macOS application menu on other hosts, whose toolkit
// builds (X11, Wayland) have none. On macOS the build insists on FLTK's
// Cocoa build, which has one.
#pragma once

#include <FL/Fl_Menu_Item.H>

// Keeps the terminated array that macOS would show in the application menu.
// Nothing displays it and no entry can be chosen, so choosing does nothing,
// as on macOS.
void KeepInPlaceOfApplicationMenu(const Fl_Menu_Item *items);

// What was last kept, or null before the first call.
const Fl_Menu_Item *KeptApplicationMenuItems();
