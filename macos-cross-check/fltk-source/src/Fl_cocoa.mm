// Stands in for FLTK 1.4.5's Objective-C++ sources in the macOS cross-check.
