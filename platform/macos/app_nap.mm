#include "platform/app_nap.h"

#import <Foundation/Foundation.h>

namespace {
// Never ended: the activity lasts as long as the process.
id<NSObject> s_TickActivity = nil;
}  // namespace

void KeepTicksOnTimeInBackground() {
  if (s_TickActivity != nil) {
    return;
  }
  @autoreleasepool {
    s_TickActivity = [[[NSProcessInfo processInfo]
        beginActivityWithOptions:NSActivityUserInitiatedAllowingIdleSystemSleep
                          reason:@"Checks every five seconds that the Quillmere agent runs"]
        retain];
  }
}
