# cmake-lint: disable=C0103
# (the arguments are named as FLTK names them)
# fl_add_library(LIBNAME STATIC SOURCES), as FLTK 1.4.5 defines it, reduced to
# what the core static library gets: the target LIBNAME, its alias
# fltk::LIBNAME, and for the core library its public include directories
# (the build tree's and the source tree's top), its public link directory in
# the build tree, which reaches every consumer's link line, and the Cocoa
# frameworks.
function(fl_add_library LIBNAME LIBTYPE SOURCES)
  if(NOT LIBTYPE STREQUAL "STATIC" OR NOT LIBNAME STREQUAL "fltk")
    message(FATAL_ERROR "FLTK stand-in: only the static core library is modelled")
  endif()
  add_library(${LIBNAME} ${LIBTYPE} ${SOURCES})
  add_library(fltk::${LIBNAME} ALIAS ${LIBNAME})
  target_compile_definitions(${LIBNAME} PRIVATE "FL_LIBRARY")
  target_include_directories(${LIBNAME} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_BINARY_DIR}/..>
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/..>
    $<INSTALL_INTERFACE:include>)
  target_link_directories(${LIBNAME} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_BINARY_DIR}/../lib>
    $<INSTALL_INTERFACE:lib>)
  foreach(item ${FLTK_COCOA_FRAMEWORKS})
    target_link_libraries(${LIBNAME} PUBLIC "${item}")
  endforeach()
  set_target_properties(${LIBNAME} PROPERTIES OUTPUT_NAME ${LIBNAME} EXPORT_NAME ${LIBNAME})
  # Installed with no component, as FLTK installs it.
  install(TARGETS ${LIBNAME} ARCHIVE DESTINATION lib)
endfunction()
