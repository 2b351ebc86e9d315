#include "platform/activation.h"

#import <AppKit/AppKit.h>

namespace {
// FLTK asks for the app's activation while it opens the display. Up to
// macOS 13 it then runs the app until it has launched, which first turns
// the run loop, and asks again if the app is no longer active; from macOS
// 14 it asks once, and the run loop first turns at the top of the event
// loop. Either way its requests come within moments of that first turn. An
// activation later than this after it is the user's own (the Dock,
// Command-Tab, opening the app) and stays.
const NSTimeInterval kStartUpActivationWindow = 3.0;
}  // namespace

// Hides the app whenever it becomes active during start-up. Hiding
// deactivates it, and macOS activates the next app in line: the one it took
// the keyboard from. It watches until the window has passed, not just until
// the first hide, which FLTK's second request may follow. The status
// entries stay in the application menu, which shows again when the user
// brings the supervisor forward.
@interface QMStartUpActivationWatch : NSObject
- (void)startClock;
- (void)appDidBecomeActive:(NSNotification *)notification;
- (void)stopWatching;
@end

@implementation QMStartUpActivationWatch
- (void)startClock {
  [self performSelector:@selector(stopWatching) withObject:nil afterDelay:kStartUpActivationWindow];
}

- (void)appDidBecomeActive:(NSNotification *)notification {
  (void)notification;
  // At the next turn of the run loop, once AppKit has finished activating.
  [NSApp performSelector:@selector(hide:) withObject:nil afterDelay:0];
}

- (void)stopWatching {
  [[NSNotificationCenter defaultCenter] removeObserver:self];
}
@end

void LeaveKeyboardWithFrontApp() {
  @autoreleasepool {
    NSRunningApplication *front = [[NSWorkspace sharedWorkspace] frontmostApplication];
    if (front == nil || [front isEqual:[NSRunningApplication currentApplication]]) {
      return;
    }
    // Never released: one small object for the life of the process.
    QMStartUpActivationWatch *watch = [[QMStartUpActivationWatch alloc] init];
    [[NSNotificationCenter defaultCenter] addObserver:watch
                                             selector:@selector(appDidBecomeActive:)
                                                 name:NSApplicationDidBecomeActiveNotification
                                               object:nil];
    // The window is counted from the run loop's first turn, not from now:
    // the install listing and FLTK's start-up come in between, and may be
    // slow at login or on a busy Mac.
    [watch performSelector:@selector(startClock) withObject:nil afterDelay:0];
  }
}
