/* The stand-in's SDK test, as FLTK 1.4.5's CMake/macOSMaxAllowed.c: it
 * compiles only against an SDK whose MAC_OS_X_VERSION_MAX_ALLOWED is at
 * least SDK_VERSION_CHECK (150000 for macOS 15.0), which CMake/setup.cmake
 * defines. */
#include <AvailabilityMacros.h>

#if !defined(MAC_OS_X_VERSION_MAX_ALLOWED) || MAC_OS_X_VERSION_MAX_ALLOWED < SDK_VERSION_CHECK
#error "the SDK is older than SDK_VERSION_CHECK"
#endif

int main(void) { return 0; }
