/* Stands in, in the macOS cross-check, for what Apple's AppKit declares in
 * <AppKit/NSWorkspace.h> and GNUstep's does not (macOS 10.6 and later): the
 * notifications of an app activated, deactivated, hidden or shown again,
 * and the key of the app they concern. front-app.m uses them. */
#import <AppKit/NSWorkspace.h>

APPKIT_EXPORT NSString *const NSWorkspaceDidActivateApplicationNotification;
APPKIT_EXPORT NSString *const NSWorkspaceDidDeactivateApplicationNotification;
APPKIT_EXPORT NSString *const NSWorkspaceDidHideApplicationNotification;
APPKIT_EXPORT NSString *const NSWorkspaceDidUnhideApplicationNotification;
APPKIT_EXPORT NSString *const NSWorkspaceApplicationKey;
