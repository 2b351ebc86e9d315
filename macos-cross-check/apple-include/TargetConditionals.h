/* Stands in, in the macOS cross-check, for the SDK's <TargetConditionals.h>,
 * which GoogleTest's headers include: the target is a Mac, no other Apple
 * platform. */
#ifndef __TARGETCONDITIONALS__
#define __TARGETCONDITIONALS__

#define TARGET_OS_MAC 1
#define TARGET_OS_OSX 1
#define TARGET_OS_IPHONE 0
#define TARGET_OS_IOS 0
#define TARGET_OS_TV 0
#define TARGET_OS_WATCH 0
#define TARGET_OS_VISION 0
#define TARGET_OS_SIMULATOR 0

#endif
