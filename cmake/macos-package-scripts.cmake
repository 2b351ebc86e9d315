# The scripts that act on the users' sessions on a Mac, generated from their
# templates in macos-package/: the package's preinstall and postinstall,
# the administrator's command and its uninstall name. The Mac
# build ships them; the Linux build generates the same ones for their suite
# (tests/package-scripts). Sets the names the templates use.
set(QUILLMERE_BUNDLE_ID com.ravelstow.quillmere-watchdog)
# The agent the supervisor watches: a change of its folder (an upgrade puts a
# new bundle there) starts the supervisor again.
set(QUILLMERE_AGENT_FOLDER /Applications/Ravelstow)
set(QUILLMERE_AGENT_BUNDLE ${QUILLMERE_AGENT_FOLDER}/Quillmere.app)
set(QUILLMERE_APP_NAME quillmere-watchdog.app)
set(QUILLMERE_INSTALLED_APP /Applications/${QUILLMERE_APP_NAME})
# Where the administrator's command and its uninstall name are installed:
# root's alone all the way up, since launchd and the MDMs run them as root
# (the postinstall checks it).
set(QUILLMERE_ADMIN_FOLDER "/Library/Application Support/${QUILLMERE_BUNDLE_ID}")
# The receipt of the installer package: its one component's.
set(QUILLMERE_PACKAGE_ID ${QUILLMERE_BUNDLE_ID}.app)

# quillmere_generate_package_scripts(OUTPUT): the four scripts, generated
# into OUTPUT.
function(quillmere_generate_package_scripts output)
  set(package ${CMAKE_SOURCE_DIR}/macos-package)
  # The preinstall and the command find the sessions, and stop the
  # supervisor in them, the same way; the installer runs each package script
  # alone, so each carries the functions.
  file(READ ${package}/gui-sessions.sh QUILLMERE_GUI_SESSIONS)
  # Its first lines tell shellcheck, which also checks it alone, its shell
  # and what the scripts that carry it define.
  string(REGEX REPLACE "^(# shellcheck [^\n]*\n)+" "" QUILLMERE_GUI_SESSIONS "${QUILLMERE_GUI_SESSIONS}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${package}/gui-sessions.sh)
  foreach(script preinstall postinstall quillmere-admin uninstall)
    configure_file(${package}/${script}.in ${output}/${script} @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE)
  endforeach()
endfunction()
