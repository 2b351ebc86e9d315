// The smoke test's look at the keyboard.
//   front-app        prints the bundle identifier of the frontmost app, the
//                    one that receives what the user types;
//   front-app watch  until it is ended, prints a line for each app that is
//                    activated, deactivated, hidden or shown again, as
//                    NSWorkspace posts it: "SECONDS EVENT BUNDLE PID", SECONDS
//                    since 1970, after a first line for the frontmost app.
#import <AppKit/AppKit.h>
#include <stdio.h>
#include <string.h>

static void Print(const char *event, NSRunningApplication *app) {
  const char *bundle = app.bundleIdentifier != nil ? app.bundleIdentifier.UTF8String : "none";
  printf("%.3f %s %s %d\n", [[NSDate date] timeIntervalSince1970], event, bundle,
         app != nil ? (int)app.processIdentifier : 0);
  fflush(stdout);
}

// Each workspace notification that the watch observes, and its event's name.
static NSDictionary<NSString *, NSString *> *Events(void) {
  return @{
    NSWorkspaceDidActivateApplicationNotification : @"activated",
    NSWorkspaceDidDeactivateApplicationNotification : @"deactivated",
    NSWorkspaceDidHideApplicationNotification : @"hidden",
    NSWorkspaceDidUnhideApplicationNotification : @"unhidden",
  };
}

@interface QMWorkspaceWatch : NSObject
- (void)observed:(NSNotification *)notification;
@end

@implementation QMWorkspaceWatch
- (void)observed:(NSNotification *)notification {
  Print([[Events() objectForKey:notification.name] UTF8String],
        [notification.userInfo objectForKey:NSWorkspaceApplicationKey]);
}
@end

int main(int argc, char **argv) {
  @autoreleasepool {
    NSWorkspace *workspace = [NSWorkspace sharedWorkspace];
    if (argc < 2) {
      NSRunningApplication *front = workspace.frontmostApplication;
      printf("%s\n", front.bundleIdentifier != nil ? front.bundleIdentifier.UTF8String : "none");
      return 0;
    }
    if (argc != 2 || strcmp(argv[1], "watch") != 0) {
      fprintf(stderr, "usage: front-app [watch]\n");
      return 64;
    }
    // A connection to the window server, as an app without a Dock icon.
    [NSApplication sharedApplication];
    // Static: the notification center does not keep its observers alive.
    static QMWorkspaceWatch *watch = nil;
    watch = [[QMWorkspaceWatch alloc] init];
    for (NSString *name in Events()) {
      [workspace.notificationCenter addObserver:watch
                                       selector:@selector(observed:)
                                           name:name
                                         object:nil];
    }
    Print("front", workspace.frontmostApplication);
    [[NSRunLoop mainRunLoop] run];
  }
  return 0;
}
