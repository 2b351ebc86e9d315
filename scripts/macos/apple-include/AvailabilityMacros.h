/* Stands in, in the macOS cross-check, for the SDK's <AvailabilityMacros.h>,
 * which GoogleTest's headers include: the deployment target, as the compiler
 * gives it. */
#ifndef __AVAILABILITYMACROS__
#define __AVAILABILITYMACROS__

#define MAC_OS_X_VERSION_MIN_REQUIRED __ENVIRONMENT_MAC_OS_X_VERSION_MIN_REQUIRED__

#endif
