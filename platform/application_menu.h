// Stand-in for the macOS application menu on hosts whose toolkit build has
// none (X11, Wayland).
#pragma once

#include <FL/Fl_Menu_Item.H>
#include <FL/fl_config.h>  // how FLTK was built

// FLTK's Cocoa build, the one with an application menu (Fl_Mac_App_Menu):
// FLTK declares it where <FL/platform.H> takes macOS's header, that is on
// Apple when built for neither X11 nor Wayland.
#if defined(__APPLE__) && !defined(FLTK_USE_X11) && !defined(FLTK_USE_WAYLAND)
#define QUILLMERE_HAS_APPLICATION_MENU 1
#else
#define QUILLMERE_HAS_APPLICATION_MENU 0
#endif

// Keeps the terminated array that macOS would show in the application menu.
// Nothing displays it and no entry can be chosen, so choosing does nothing,
// as on macOS.
void KeepInPlaceOfApplicationMenu(const Fl_Menu_Item *items);

// What was last kept, or null before the first call.
const Fl_Menu_Item *KeptApplicationMenuItems();
