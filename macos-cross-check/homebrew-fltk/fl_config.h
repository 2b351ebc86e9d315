/* Read on Linux, by the macOS cross-check (check-macos), which lays it over
 * Debian's FLTK headers: FLTK 1.4.3's build configuration as Homebrew's macOS
 * build has it: Cocoa and Quartz, neither X11 nor Wayland nor Cairo. */
#ifndef _FL_fl_config_h_
#define _FL_fl_config_h_

/* #undef FL_ABI_VERSION */
/* #undef FLTK_HAVE_CAIRO */
/* #undef FLTK_HAVE_CAIROEXT */
#define FLTK_HAVE_FORMS 1
/* #undef FLTK_USE_X11 */
/* #undef FLTK_USE_CAIRO */
/* #undef FLTK_USE_WAYLAND */
#define FLTK_USE_STD 0
#define FLTK_USE_SVG 1

#endif /* _FL_fl_config_h_ */
