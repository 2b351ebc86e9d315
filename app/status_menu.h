#pragma once

#include <FL/Fl_Menu_Item.H>

// Builds the two status entries (the version, then whether the agent is
// installed, as found by one install probe) and hands them to the
// application menu. The entries show the state at start-up and never change.
void ShowApplicationMenuItems();

// The three-entry array handed to the application menu; it lives for the
// whole run because the toolkit keeps a pointer to it, not a copy.
extern Fl_Menu_Item s_StatusMenuItems[3];
