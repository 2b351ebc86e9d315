# macOS: what `cmake --install` lays out, and so what the package installs:
# the app, the administrator's command and its uninstall, the LaunchAgent
# and the hold's daemon (cmake/install-launch-agent.cmake writes both). The
# package's scripts are generated into the build's macos/ folder.

set(macos_generated ${CMAKE_BINARY_DIR}/macos)
quillmere_generate_package_scripts(${macos_generated})

# PREFIX/Applications and PREFIX/Library/LaunchAgents: where macOS looks
# with the prefix / (for every user) or ~ (for one).
install(TARGETS quillmere-watchdog BUNDLE DESTINATION Applications COMPONENT app)
# The administrator's command and its uninstall name, never inside the app:
# launchd and the MDMs run them as root, and /Applications is the admin
# group's. PREFIX/Library/Application Support is root's alone on a Mac.
string(REGEX REPLACE "^/" "" admin_folder "${QUILLMERE_ADMIN_FOLDER}")
install(PROGRAMS ${macos_generated}/quillmere-admin ${macos_generated}/uninstall
        DESTINATION "${admin_folder}" COMPONENT app)
string(CONCAT program_in_prefix "Applications/$<TARGET_BUNDLE_DIR_NAME:quillmere-watchdog>"
       "/Contents/MacOS/$<TARGET_FILE_NAME:quillmere-watchdog>")
install(CODE "
  set(QUILLMERE_LAUNCH_AGENT_TEMPLATE \"${CMAKE_SOURCE_DIR}/macos-package/launch-agent.plist.in\")
  set(QUILLMERE_HOLD_DAEMON_TEMPLATE \"${CMAKE_SOURCE_DIR}/macos-package/hold-daemon.plist.in\")
  set(QUILLMERE_ADMIN_IN_PREFIX \"${admin_folder}/quillmere-admin\")
  set(QUILLMERE_LABEL ${QUILLMERE_BUNDLE_ID})
  set(QUILLMERE_APP_BUNDLE_ID ${QUILLMERE_BUNDLE_ID})
  set(QUILLMERE_AGENT_FOLDER \"${QUILLMERE_AGENT_FOLDER}\")
  set(QUILLMERE_AGENT_BUNDLE \"${QUILLMERE_AGENT_BUNDLE}\")
  set(QUILLMERE_PROGRAM_IN_PREFIX \"${program_in_prefix}\")"
  COMPONENT app)
install(SCRIPT cmake/install-launch-agent.cmake COMPONENT app)
