# Runs at install time, when CMAKE_INSTALL_PREFIX is the prefix really
# installed to: writes the LaunchAgent that starts the bundle installed
# under that same prefix.
get_filename_component(_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
string(REGEX REPLACE "/$" "" _prefix "${_prefix}")
set(QUILLMERE_PROGRAM
    "${_prefix}/Applications/quillmere-watchdog.app/Contents/MacOS/quillmere-watchdog")
# The path goes into XML.
string(REPLACE "&" "&amp;" QUILLMERE_PROGRAM "${QUILLMERE_PROGRAM}")
string(REPLACE "<" "&lt;" QUILLMERE_PROGRAM "${QUILLMERE_PROGRAM}")

set(_agent "$ENV{DESTDIR}${_prefix}/Library/LaunchAgents/com.ravelstow.quillmere-watchdog.plist")
message(STATUS "Installing: ${_agent}")
configure_file("${QUILLMERE_LAUNCH_AGENT_TEMPLATE}" "${_agent}" @ONLY)
