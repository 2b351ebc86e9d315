// quillmere-watchdog: keeps the Quillmere agent running while it is installed.

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include "app/status_menu.h"
#include "app/tick.h"
#include "app/tick_schedule.h"

#if FL_API_VERSION < 10400
#error "quillmere-watchdog needs FLTK 1.4 or newer"
#endif

#ifdef __APPLE__
#include "platform/activation.h"
#include "platform/app_nap.h"
#else
#include "platform/helper_path.h"
#endif

int main(int argc, char **argv) {
  LetHostCommandDeadlineEndTheProcess();
  // All of start-up runs under the deadline, up to the first tick's arming:
  // the install listing, and on macOS FLTK's opening of the display and
  // AppKit's launch of the app, which the status menu sets off.
  StartHostCommandDeadline();

#ifdef __APPLE__
  // A background app with no visible window: keep App Nap off its tick.
  KeepTicksOnTimeInBackground();
  // FLTK activates the app when it opens the display (for the status menu,
  // then the window): the keyboard goes back to the app that had it.
  LeaveKeyboardWithFrontApp();
#else
  // Lets the relaunch's `open -g` find our stand-in for macOS's launcher.
  PutHelperDirectoryFirstOnPath();
#endif

  // Never destroyed: the window lives until the process ends.
  Fl_Window *window = new Fl_Window(200, 200, 240, 180, "12345");
  ShowApplicationMenuItems();
  window->end();
  window->show(argc, argv);
  // Shrunk at once, whatever size the command line asked for.
  window->resize(200, 200, 0, 0);

  Fl::add_timeout(kTickPeriod, Timer_CB, nullptr);
  NoteTickArmed(kTickPeriod);
  StopHostCommandDeadline();

  return Fl::run();
}
