// The smoke test's look at the keyboard: prints the bundle identifier of the
// frontmost app, the one that receives what the user types.
#import <AppKit/AppKit.h>
#include <stdio.h>

int main(void) {
  @autoreleasepool {
    NSRunningApplication *front = [[NSWorkspace sharedWorkspace] frontmostApplication];
    printf("%s\n", front.bundleIdentifier != nil ? front.bundleIdentifier.UTF8String : "none");
  }
  return 0;
}
