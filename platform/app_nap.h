// macOS's App Nap throttles the timers of an app that is in the background
// and has no visible window, which this supervisor is for its whole run: its
// five-second tick would come seconds or a minute late. (The bundle's
// Info.plist also sets LSAppNapIsDisabled, a key Apple does not document;
// the Mac job measures whether either is needed.)
#pragma once

// Tells the system, for the rest of the run, that timely ticks matter to the
// user, so App Nap leaves our timers alone; the Mac may still sleep when idle.
void KeepTicksOnTimeInBackground();
