#include "platform/activation.h"

#import <AppKit/AppKit.h>

namespace {
// FLTK activates the app while it opens the display and shows the window; an
// activation later than this is the user's own (the Dock, Command-Tab) and
// stays.
const NSTimeInterval kStartUpActivationWindow = 3.0;
}  // namespace

// Hides the app whenever it becomes active during start-up. Hiding deactivates
// it, and macOS activates the next app in line: the one it took the keyboard
// from. The status entries stay in the application menu, which shows again
// when the user brings the supervisor forward.
@interface QMStartUpActivationWatch : NSObject
- (void)appDidBecomeActive:(NSNotification *)notification;
- (void)stopWatching;
@end

@implementation QMStartUpActivationWatch
- (void)appDidBecomeActive:(NSNotification *)notification {
  (void)notification;
  // At the next turn of the event loop: after the window is shown and shrunk,
  // outside FLTK's own start-up of the application.
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
    [watch performSelector:@selector(stopWatching)
                withObject:nil
                afterDelay:kStartUpActivationWindow];
  }
}
