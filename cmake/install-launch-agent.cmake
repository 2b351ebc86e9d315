# Runs at install time, when CMAKE_INSTALL_PREFIX is the prefix really
# installed to: writes the LaunchAgent QUILLMERE_LABEL that starts the bundle
# installed under that same prefix (QUILLMERE_PROGRAM_IN_PREFIX), and the
# hold's daemon that runs the administrator's command installed there
# (QUILLMERE_ADMIN_IN_PREFIX), each mode 0644 (launchd refuses a plist that
# others can write).
#
# The generated install script strips a trailing "/" from the prefix, so the
# prefix / arrives empty: that is the root, not the working directory.
if(CMAKE_INSTALL_PREFIX STREQUAL "")
  set(_prefix "")
else()
  get_filename_component(_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
  string(REGEX REPLACE "/$" "" _prefix "${_prefix}")
endif()
# The paths go into XML.
foreach(name PROGRAM ADMIN)
  set(QUILLMERE_${name} "${_prefix}/${QUILLMERE_${name}_IN_PREFIX}")
  string(REPLACE "&" "&amp;" QUILLMERE_${name} "${QUILLMERE_${name}}")
  string(REPLACE "<" "&lt;" QUILLMERE_${name} "${QUILLMERE_${name}}")
endforeach()

foreach(plist "LaunchAgents/${QUILLMERE_LABEL}.plist;${QUILLMERE_LAUNCH_AGENT_TEMPLATE}"
              "LaunchDaemons/${QUILLMERE_LABEL}.hold.plist;${QUILLMERE_HOLD_DAEMON_TEMPLATE}")
  list(GET plist 0 _path)
  list(GET plist 1 _template)
  set(_file "$ENV{DESTDIR}${_prefix}/Library/${_path}")
  message(STATUS "Installing: ${_file}")
  configure_file("${_template}" "${_file}" @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
