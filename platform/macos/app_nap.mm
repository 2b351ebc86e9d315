#include "platform/app_nap.h"

#ifdef QUILLMERE_APP_NAP_CONTROL

// The Mac job's control build: App Nap does to the ticks what it does.
void KeepTicksOnTimeInBackground() {}

#else

#import <Foundation/Foundation.h>

namespace {
// User-initiated work keeps App Nap off the timers. Idle sleep stays allowed,
// and so does sudden termination: there is nothing to save, and without it
// logout and shutdown would have to ask the app to quit, which FLTK's
// application delegate answers with Cancel.
const NSActivityOptions kTickActivityOptions =
    NSActivityUserInitiatedAllowingIdleSystemSleep & ~NSActivitySuddenTerminationDisabled;

// Never ended: the activity lasts as long as the process.
id<NSObject> s_TickActivity = nil;
}  // namespace

void KeepTicksOnTimeInBackground() {
  if (s_TickActivity != nil) {
    return;
  }
  @autoreleasepool {
    s_TickActivity = [[[NSProcessInfo processInfo]
        beginActivityWithOptions:kTickActivityOptions
                          reason:@"Checks every five seconds that the Quillmere agent runs"]
        retain];
  }
}

#endif
