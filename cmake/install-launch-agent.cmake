# Runs at install time, when CMAKE_INSTALL_PREFIX is the prefix really
# installed to: writes the LaunchAgent QUILLMERE_LABEL that starts the bundle
# installed under that same prefix (QUILLMERE_PROGRAM_IN_PREFIX), mode 0644
# (launchd refuses an agent that others can write).
#
# The generated install script strips a trailing "/" from the prefix, so the
# prefix / arrives empty: that is the root, not the working directory.
if(CMAKE_INSTALL_PREFIX STREQUAL "")
  set(_prefix "")
else()
  get_filename_component(_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
  string(REGEX REPLACE "/$" "" _prefix "${_prefix}")
endif()
set(QUILLMERE_PROGRAM "${_prefix}/${QUILLMERE_PROGRAM_IN_PREFIX}")
# The path goes into XML.
string(REPLACE "&" "&amp;" QUILLMERE_PROGRAM "${QUILLMERE_PROGRAM}")
string(REPLACE "<" "&lt;" QUILLMERE_PROGRAM "${QUILLMERE_PROGRAM}")

set(_agent "$ENV{DESTDIR}${_prefix}/Library/LaunchAgents/${QUILLMERE_LABEL}.plist")
message(STATUS "Installing: ${_agent}")
configure_file("${QUILLMERE_LAUNCH_AGENT_TEMPLATE}" "${_agent}" @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
