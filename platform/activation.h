// On macOS, FLTK makes the app active when it opens the display, which gives
// it the keyboard. The supervisor starts without anyone asking for it: at
// login, right after its package installs, after a crash and when the
// agent's folder changes. Each start would take the keyboard from the app the
// user is typing into, and a window of 0x0 would swallow what they type.
#pragma once

// Called once, before FLTK opens the display (which installing the status
// menu does): if another app is frontmost now, the activation that start-up
// brings is given back to it. The watch lasts a few seconds from the run
// loop's first turn, which comes as FLTK asks for the activation; later
// activations stay.
void LeaveKeyboardWithFrontApp();
