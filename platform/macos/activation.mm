#include "platform/activation.h"

#import <AppKit/AppKit.h>

namespace {
// FLTK asks for the app's activation once, while it opens the display, and
// the run loop first turns there too (or, where FLTK does not turn it while
// starting, at the top of the event loop, when the activation arrives). An
// activation later than this after that first turn is the user's own (the
// Dock, Command-Tab, opening the app) and stays.
const NSTimeInterval kStartUpActivationWindow = 3.0;
}  // namespace

// Hides the app when it becomes active during start-up. Hiding deactivates
// it, and macOS activates the next app in line: the one it took the keyboard
// from. Once that has happened, or once the window has passed, it watches no
// more. The status entries stay in the application menu, which shows again
// when the user brings the supervisor forward.
@interface QMStartUpActivationWatch : NSObject
- (void)startClock;
- (void)appDidBecomeActive:(NSNotification *)notification;
- (void)appDidHide:(NSNotification *)notification;
- (void)stopWatching;
@end

@implementation QMStartUpActivationWatch
- (void)startClock {
  [self performSelector:@selector(stopWatching) withObject:nil afterDelay:kStartUpActivationWindow];
}

- (void)appDidBecomeActive:(NSNotification *)notification {
  (void)notification;
  // At the next turn of the event loop: outside FLTK's own start-up of the
  // application.
  [NSApp performSelector:@selector(hide:) withObject:nil afterDelay:0];
}

// Given back: the start-up's activation is over.
- (void)appDidHide:(NSNotification *)notification {
  (void)notification;
  [self stopWatching];
}

- (void)stopWatching {
  [NSObject cancelPreviousPerformRequestsWithTarget:self];
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
    NSNotificationCenter *center = [NSNotificationCenter defaultCenter];
    [center addObserver:watch
               selector:@selector(appDidBecomeActive:)
                   name:NSApplicationDidBecomeActiveNotification
                 object:nil];
    [center addObserver:watch
               selector:@selector(appDidHide:)
                   name:NSApplicationDidHideNotification
                 object:nil];
    // The window is counted from the run loop's first turn, not from now:
    // the install listing and FLTK's start-up come in between, and may be
    // slow at login or on a busy Mac.
    [watch performSelector:@selector(startClock) withObject:nil afterDelay:0];
  }
}
