# Finds an installed FLTK through its fltk-config script and refuses anything
# older than FLTK 1.4 (API version 10400), naming the version found; on macOS
# it also refuses a build for X11 or Wayland, which has no application menu.
#
# fltk-config is used rather than FLTK's CMake package because Debian 13's
# package of FLTK 1.4.3 defines its imported targets twice and cannot be
# loaded; the script works the same on Debian and with Homebrew on macOS.
# Defines the imported target fltk::fltk.

find_program(FLTK_CONFIG_EXECUTABLE fltk-config)
if(NOT FLTK_CONFIG_EXECUTABLE)
  message(FATAL_ERROR "FLTK 1.4 or newer is needed, and no fltk-config was found "
                      "(Debian 13: apt-get install libfltk1.4-dev; macOS: brew install fltk).")
endif()

execute_process(COMMAND ${FLTK_CONFIG_EXECUTABLE} --version
                OUTPUT_VARIABLE FLTK_VERSION OUTPUT_STRIP_TRAILING_WHITESPACE)
if(FLTK_VERSION VERSION_LESS 1.4)
  message(FATAL_ERROR "FLTK 1.4 or newer is needed; found FLTK ${FLTK_VERSION} "
                      "(${FLTK_CONFIG_EXECUTABLE}).")
endif()
message(STATUS "Using FLTK ${FLTK_VERSION} (${FLTK_CONFIG_EXECUTABLE})")

execute_process(COMMAND ${FLTK_CONFIG_EXECUTABLE} --cxxflags
                OUTPUT_VARIABLE _fltk_cxxflags OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${FLTK_CONFIG_EXECUTABLE} --ldflags
                OUTPUT_VARIABLE _fltk_ldflags OUTPUT_STRIP_TRAILING_WHITESPACE)
separate_arguments(_fltk_cxxflags UNIX_COMMAND "${_fltk_cxxflags}")
separate_arguments(_fltk_words UNIX_COMMAND "${_fltk_ldflags}")

# macOS names frameworks in pairs (-framework Cocoa, -weak_framework
# UniformTypeIdentifiers): each pair stays one link item, or CMake would take
# the name for a library (-lCocoa) and drop a repeated -weak_framework.
set(_fltk_ldflags "")
set(_fltk_pair "")
foreach(word IN LISTS _fltk_words)
  if(_fltk_pair)
    list(APPEND _fltk_ldflags "${_fltk_pair} ${word}")
    set(_fltk_pair "")
  elseif(word STREQUAL "-framework" OR word STREQUAL "-weak_framework")
    set(_fltk_pair "${word}")
  else()
    list(APPEND _fltk_ldflags "${word}")
  endif()
endforeach()
if(_fltk_pair)
  list(APPEND _fltk_ldflags "${_fltk_pair}")
endif()

# Include folders become system folders (FLTK's headers are not ours to warn
# about); /usr/include is the compiler's own and is left out.
set(_fltk_includes "")
set(_fltk_options "")
foreach(flag IN LISTS _fltk_cxxflags)
  if(flag MATCHES "^-I(.+)$")
    if(NOT CMAKE_MATCH_1 STREQUAL "/usr/include")
      list(APPEND _fltk_includes "${CMAKE_MATCH_1}")
    endif()
  else()
    list(APPEND _fltk_options "${flag}")
  endif()
endforeach()

if(APPLE)
  # The status entries go into the application menu, which only FLTK's
  # Cocoa build has; its build configuration says which one this is.
  set(_fltk_backends "")
  foreach(dir IN LISTS _fltk_includes)
    if(EXISTS "${dir}/FL/fl_config.h")
      file(STRINGS "${dir}/FL/fl_config.h" _fltk_backends
           REGEX "^#define FLTK_USE_(X11|WAYLAND)")
      break()
    endif()
  endforeach()
  if(_fltk_backends)
    string(REGEX REPLACE "#define FLTK_USE_([A-Z0-9]+)[^;]*" "\\1" _fltk_backends "${_fltk_backends}")
    string(REPLACE ";" " and " _fltk_backends "${_fltk_backends}")
    message(FATAL_ERROR "On macOS the supervisor needs FLTK's Cocoa build, whose application menu "
                        "shows its status entries; ${FLTK_CONFIG_EXECUTABLE} is FLTK ${FLTK_VERSION} "
                        "built for ${_fltk_backends}.")
  endif()
endif()

add_library(fltk::fltk INTERFACE IMPORTED)
set_target_properties(fltk::fltk PROPERTIES
  INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${_fltk_includes}"
  INTERFACE_INCLUDE_DIRECTORIES "${_fltk_includes}"
  INTERFACE_COMPILE_OPTIONS "${_fltk_options}"
  INTERFACE_LINK_LIBRARIES "${_fltk_ldflags}")
