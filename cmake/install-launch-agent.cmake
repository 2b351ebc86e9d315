# Runs at install time, when CMAKE_INSTALL_PREFIX is the prefix really
# installed to: writes the LaunchAgent QUILLMERE_LABEL that starts the bundle
# installed under that same prefix (QUILLMERE_PROGRAM_IN_PREFIX).
get_filename_component(_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
string(REGEX REPLACE "/$" "" _prefix "${_prefix}")
set(QUILLMERE_PROGRAM "${_prefix}/${QUILLMERE_PROGRAM_IN_PREFIX}")
# The path goes into XML.
string(REPLACE "&" "&amp;" QUILLMERE_PROGRAM "${QUILLMERE_PROGRAM}")
string(REPLACE "<" "&lt;" QUILLMERE_PROGRAM "${QUILLMERE_PROGRAM}")

set(_agent "$ENV{DESTDIR}${_prefix}/Library/LaunchAgents/${QUILLMERE_LABEL}.plist")
message(STATUS "Installing: ${_agent}")
configure_file("${QUILLMERE_LAUNCH_AGENT_TEMPLATE}" "${_agent}" @ONLY)
