# Builds FLTK from its pinned 1.4 release, the way FLTK's README.CMake.txt
# describes for FetchContent: static libraries for the architectures and the
# deployment target of the app (CMAKE_OSX_ARCHITECTURES,
# CMAKE_OSX_DEPLOYMENT_TARGET), FLTK's Cocoa build, without its tests,
# programs, documentation or OpenGL, and with its own copies of the image
# libraries rather than the system's. The app then needs nothing beyond
# macOS itself. Defines fltk::fltk.
include(FetchContent)

foreach(option
    FLTK_BUILD_SHARED_LIBS FLTK_BACKEND_X11
    FLTK_BUILD_TEST FLTK_BUILD_EXAMPLES FLTK_BUILD_FLUID FLTK_BUILD_FLTK_OPTIONS
    FLTK_BUILD_FORMS FLTK_BUILD_GL FLTK_BUILD_HTML_DOCS FLTK_BUILD_PDF_DOCS
    FLTK_USE_SYSTEM_LIBJPEG FLTK_USE_SYSTEM_LIBPNG FLTK_USE_SYSTEM_ZLIB)
  set(${option} OFF CACHE BOOL "" FORCE)
endforeach()

FetchContent_Declare(fltk
  URL https://github.com/fltk/fltk/releases/download/release-1.4.5/fltk-1.4.5-source.tar.bz2
  URL_HASH SHA256=b5a52489b7ffae196db2076adb4c1b18170db0d047f5e93539a382603461564b
  DOWNLOAD_EXTRACT_TIMESTAMP TRUE
  # Its headers are not ours to warn about.
  SYSTEM)
FetchContent_MakeAvailable(fltk)
message(STATUS "Using FLTK 1.4.5, built from source for ${CMAKE_OSX_ARCHITECTURES}, "
               "macOS ${CMAKE_OSX_DEPLOYMENT_TARGET} and later")
