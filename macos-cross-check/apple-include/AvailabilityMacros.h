/* Stands in, in the macOS cross-check, for the SDK's <AvailabilityMacros.h>,
 * which GoogleTest's headers include and FLTK's build compiles its SDK test
 * against: the deployment target, as the compiler gives it, and the newest
 * macOS whose API the SDK offers, as macOS SDK 15.5 declares it. That is the
 * SDK of Xcode 16.4, the default Xcode on the macos-15-intel runner; the
 * macos-26 runner's default, Xcode 26.5, brings SDK 26.5. FLTK 1.4.5 asks
 * for SDK 15.0 at the most, so both runners answer it as this does.
 *
 * Of the version constants (the real header takes them from
 * <AvailabilityVersions.h>), only the SDK's own and the two that FLTK tests
 * for are here. As in the real header, a build may ask for an older SDK's
 * API by defining MAC_OS_X_VERSION_MAX_ALLOWED itself. */
#ifndef __AVAILABILITYMACROS__
#define __AVAILABILITYMACROS__

#define MAC_OS_VERSION_11_0 110000
#define MAC_OS_VERSION_15_0 150000
#define MAC_OS_VERSION_15_5 150500

#ifndef MAC_OS_X_VERSION_MIN_REQUIRED
#define MAC_OS_X_VERSION_MIN_REQUIRED __ENVIRONMENT_MAC_OS_X_VERSION_MIN_REQUIRED__
#endif

/* The later of the SDK's macOS and the deployment target. */
#ifndef MAC_OS_X_VERSION_MAX_ALLOWED
#if MAC_OS_X_VERSION_MIN_REQUIRED > MAC_OS_VERSION_15_5
#define MAC_OS_X_VERSION_MAX_ALLOWED MAC_OS_X_VERSION_MIN_REQUIRED
#else
#define MAC_OS_X_VERSION_MAX_ALLOWED MAC_OS_VERSION_15_5
#endif
#endif

#endif
