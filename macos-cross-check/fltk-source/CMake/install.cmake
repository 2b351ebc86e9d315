# Stands in for FLTK 1.4.5's CMake/install.cmake, which its top
# CMakeLists.txt includes on every platform, last of its targets, reduced to
# the target it defines: uninstall, not built by default, which runs
# cmake_uninstall.cmake, configured from CMake/cmake_uninstall.cmake.in into
# FLTK's build folder. The name is then taken in the whole project that adds
# FLTK. FLTK's headers and its configuration files, which it also installs
# here, are not modelled.
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/CMake/cmake_uninstall.cmake.in
               ${CMAKE_CURRENT_BINARY_DIR}/cmake_uninstall.cmake @ONLY)
# No COMMENT, as in FLTK.
add_custom_target(uninstall # cmake-lint: disable=C0113
                  COMMAND ${CMAKE_COMMAND} -P ${CMAKE_CURRENT_BINARY_DIR}/cmake_uninstall.cmake)
