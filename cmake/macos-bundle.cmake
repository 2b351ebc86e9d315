# macOS: the application bundle, signed once linked; the LaunchAgent that
# `cmake --install` writes beside it; the installer package (CPack's
# productbuild generator) and the profile that makes the LaunchAgent a
# managed login item. Everything that ships lies in platform/macos/.

# The bundle's identifier (also the LaunchAgent's label, the installer
# package's identifier and the profile's rules), the agent's and the app's
# paths, and the package's scripts.
include(cmake/macos-package-scripts.cmake)

# macOS reads at most three integers of a bundle's version.
set(QUILLMERE_RELEASE_VERSION
    ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})

# Developer ID identities, given on the command line (-D) or in the
# environment; never written into the repository. Without them the app is
# signed ad hoc and the package is left unsigned. The environment only seeds
# a new cache (set(CACHE) keeps a value the cache has), so an environment
# that disagrees with the cache stops the configure instead of being ignored.
set(QUILLMERE_CODESIGN_IDENTITY "$ENV{QUILLMERE_CODESIGN_IDENTITY}" CACHE STRING
    "Developer ID Application identity that signs the app; empty: ad hoc")
set(QUILLMERE_INSTALLER_IDENTITY "$ENV{QUILLMERE_INSTALLER_IDENTITY}" CACHE STRING
    "Developer ID Installer identity that signs the package; empty: unsigned")
set(QUILLMERE_TEAM_ID "$ENV{QUILLMERE_TEAM_ID}" CACHE STRING
    "Team identifier of the Developer ID; read from the identity's name when it has one")
foreach(_name QUILLMERE_CODESIGN_IDENTITY QUILLMERE_INSTALLER_IDENTITY QUILLMERE_TEAM_ID)
  if(DEFINED ENV{${_name}} AND NOT "$ENV{${_name}}" STREQUAL "${${_name}}")
    message(FATAL_ERROR "${_name} in the environment is not the one in this build folder's cache. "
                        "Give it on the command line as well (-D${_name}=...), which replaces the "
                        "cache's, as macos-release/release does, or configure a fresh build folder.")
  endif()
endforeach()

set(_macos ${CMAKE_BINARY_DIR}/macos)
quillmere_generate_package_scripts(${_macos})
configure_file(platform/macos/package/component.plist.in ${_macos}/component.plist @ONLY)

# An application bundle, with App Nap held off for the whole run.
add_executable(quillmere-watchdog MACOSX_BUNDLE
  app/main.cpp platform/macos/activation.mm platform/macos/app_nap.mm)
set_target_properties(quillmere-watchdog PROPERTIES
  MACOSX_BUNDLE_INFO_PLIST ${CMAKE_SOURCE_DIR}/platform/macos/Info.plist.in
  # The application menu's name (About, Hide and Quit it): macOS takes at
  # most 15 characters of it. The executable keeps its name.
  MACOSX_BUNDLE_BUNDLE_NAME "Quillmere Watch"
  MACOSX_BUNDLE_GUI_IDENTIFIER ${QUILLMERE_BUNDLE_ID}
  MACOSX_BUNDLE_BUNDLE_VERSION ${QUILLMERE_RELEASE_VERSION}
  MACOSX_BUNDLE_SHORT_VERSION_STRING ${QUILLMERE_RELEASE_VERSION})
target_link_libraries(quillmere-watchdog PRIVATE quillmere_app "-framework AppKit" "-framework Foundation")
# Only for the Mac job's tick measurement, never shipped: a control app
# without either of the two things that keep App Nap off its timers (the
# activity and LSAppNapIsDisabled), which shows whether App Nap is at work
# on the Mac that measures.
option(QUILLMERE_APP_NAP_CONTROL
       "Build the Mac job's App Nap control: no App Nap opt-out at all (never ship it)" OFF)
if(QUILLMERE_APP_NAP_CONTROL)
  target_compile_definitions(quillmere-watchdog PRIVATE QUILLMERE_APP_NAP_CONTROL)
  set(QUILLMERE_APP_NAP_KEY "")
else()
  set(QUILLMERE_APP_NAP_KEY "<key>LSAppNapIsDisabled</key>\n  <true/>")
endif()
# Linked as it is installed: FLTK's library folder in the build tree would
# otherwise become a run path, which installing removes with
# install_name_tool after the bundle was signed, breaking the signature. The
# app needs no run path: it links nothing outside macOS.
set_target_properties(quillmere-watchdog PROPERTIES BUILD_WITH_INSTALL_RPATH ON)

# Signed as a whole, so the signature covers the Info.plist and the
# resources, once all of the bundle is in place, and on every build: a step
# after linking would not run when only a resource changed, and could run
# before the resources were copied. A Developer ID signature takes the
# hardened runtime and a secure timestamp, as notarization requires.
if(QUILLMERE_CODESIGN_IDENTITY)
  set(_signing --sign "${QUILLMERE_CODESIGN_IDENTITY}" --options runtime --timestamp)
else()
  set(_signing --sign -)
endif()
add_custom_target(sign-app ALL
  COMMAND codesign --force ${_signing} "$<TARGET_BUNDLE_DIR:quillmere-watchdog>"
  COMMENT "Signing quillmere-watchdog.app"
  VERBATIM)
add_dependencies(sign-app quillmere-watchdog)

# PREFIX/Applications and PREFIX/Library/LaunchAgents: where macOS looks
# with the prefix / (for every user) or ~ (for one).
install(TARGETS quillmere-watchdog BUNDLE DESTINATION Applications COMPONENT app)
# The administrator's command and its uninstall name, never inside the app:
# launchd and the MDMs run them as root, and /Applications is the admin
# group's. PREFIX/Library/Application Support is root's alone on a Mac.
string(REGEX REPLACE "^/" "" _admin_folder "${QUILLMERE_ADMIN_FOLDER}")
install(PROGRAMS ${_macos}/quillmere-admin ${_macos}/uninstall DESTINATION "${_admin_folder}"
        COMPONENT app)
install(CODE "
  set(QUILLMERE_LAUNCH_AGENT_TEMPLATE \"${CMAKE_SOURCE_DIR}/platform/macos/launch-agent.plist.in\")
  set(QUILLMERE_HOLD_DAEMON_TEMPLATE \"${CMAKE_SOURCE_DIR}/platform/macos/hold-daemon.plist.in\")
  set(QUILLMERE_ADMIN_IN_PREFIX \"${_admin_folder}/quillmere-admin\")
  set(QUILLMERE_LABEL ${QUILLMERE_BUNDLE_ID})
  set(QUILLMERE_APP_BUNDLE_ID ${QUILLMERE_BUNDLE_ID})
  set(QUILLMERE_AGENT_FOLDER \"${QUILLMERE_AGENT_FOLDER}\")
  set(QUILLMERE_AGENT_BUNDLE \"${QUILLMERE_AGENT_BUNDLE}\")
  set(QUILLMERE_PROGRAM_IN_PREFIX
      \"Applications/$<TARGET_BUNDLE_DIR_NAME:quillmere-watchdog>/Contents/MacOS/$<TARGET_FILE_NAME:quillmere-watchdog>\")"
  COMPONENT app)
install(SCRIPT cmake/install-launch-agent.cmake COMPONENT app)

# The installer package: the app into /Applications, the LaunchAgent into
# /Library/LaunchAgents, the hold's daemon into /Library/LaunchDaemons and
# the administrator's command into QUILLMERE_ADMIN_FOLDER (root:wheel,
# pkgbuild's recommended ownership), with scripts that stop a running copy
# before and start the new one after.
set(CPACK_GENERATOR productbuild)
set(CPACK_PACKAGE_NAME quillmere-watchdog)
set(CPACK_PACKAGE_VENDOR Ravelstow)
set(CPACK_PACKAGE_VERSION ${QUILLMERE_RELEASE_VERSION})
set(CPACK_PACKAGE_FILE_NAME quillmere-watchdog-${QUILLMERE_RELEASE_VERSION})
set(CPACK_PRODUCTBUILD_IDENTIFIER ${QUILLMERE_BUNDLE_ID})
# Staged under DESTDIR with the prefix /, so that the LaunchAgent names the
# app where the package puts it, not where CPack stages it.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /)
set(CPACK_PACKAGING_INSTALL_PREFIX /)
# One component, named: CPack's productbuild generator lists only named
# components in the product, and a package without one would install
# nothing. Its receipt is QUILLMERE_PACKAGE_ID.
set(CPACK_COMPONENTS_ALL app)
set(CPACK_PREFLIGHT_APP_SCRIPT ${_macos}/preinstall)
set(CPACK_POSTFLIGHT_APP_SCRIPT ${_macos}/postinstall)
# The app is not relocatable, and the product is native on both
# architectures (platform/macos/package/CPack.distribution.dist.in, found
# through the module path).
# With domains on, CPack leaves out the deprecated `auth` attribute. Our
# template writes the same domains element itself, beside its own options:
# CPack's combined content (CPACK_APPLE_PKG_INSTALLER_CONTENT) brings an
# options element of its own, without hostArchitectures, and a distribution
# has one, so the template takes the choices alone (CPACK_PACKAGEMAKER_CHOICES,
# which CPack still sets for templates that write their own options).
set(CPACK_PRODUCTBUILD_DOMAINS ON)
set(CPACK_PRODUCTBUILD_DOMAINS_ANYWHERE OFF)
set(CPACK_PRODUCTBUILD_DOMAINS_USER OFF)
set(CPACK_PRODUCTBUILD_DOMAINS_ROOT ON)
set(CPACK_COMPONENT_APP_PLIST ${_macos}/component.plist)
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_SOURCE_DIR}/platform/macos/package)
if(QUILLMERE_INSTALLER_IDENTITY)
  set(CPACK_PRODUCTBUILD_IDENTITY_NAME "${QUILLMERE_INSTALLER_IDENTITY}")
endif()
include(CPack)

# The managed login-item profile, unsigned: the MDM that pushes it signs it.
# Its identifiers are derived from the bundle's, so every build makes the
# same ones and a new profile replaces the old.
string(UUID QUILLMERE_PROFILE_UUID NAMESPACE 6ba7b811-9dad-11d1-80b4-00c04fd430c8
       NAME "${QUILLMERE_BUNDLE_ID}.profile" TYPE SHA1 UPPER)
string(UUID QUILLMERE_LOGIN_ITEM_UUID NAMESPACE 6ba7b811-9dad-11d1-80b4-00c04fd430c8
       NAME "${QUILLMERE_BUNDLE_ID}.profile.login-item" TYPE SHA1 UPPER)
# With a Developer ID the rules also require its team, so that they match
# only what that team signed; an ad-hoc signature has no team, and rules that
# required one would match nothing.
set(_profile_team "")
if(QUILLMERE_CODESIGN_IDENTITY MATCHES "^Developer ID Application: .* \\(([A-Z0-9]+)\\)$")
  set(_profile_team ${CMAKE_MATCH_1})
endif()
if(QUILLMERE_TEAM_ID)
  if(NOT QUILLMERE_CODESIGN_IDENTITY)
    message(FATAL_ERROR "QUILLMERE_TEAM_ID is ${QUILLMERE_TEAM_ID}, but the app is signed ad hoc, "
                        "without a team: the profile's rules would match nothing. Give "
                        "QUILLMERE_CODESIGN_IDENTITY too, or no team.")
  endif()
  if(_profile_team AND NOT QUILLMERE_TEAM_ID STREQUAL _profile_team)
    message(FATAL_ERROR "QUILLMERE_TEAM_ID is ${QUILLMERE_TEAM_ID}, but the app is signed by team "
                        "${_profile_team} (QUILLMERE_CODESIGN_IDENTITY): the profile's rules would "
                        "match nothing.")
  endif()
  set(_profile_team ${QUILLMERE_TEAM_ID})
elseif(QUILLMERE_CODESIGN_IDENTITY AND NOT _profile_team)
  message(FATAL_ERROR "The team of QUILLMERE_CODESIGN_IDENTITY cannot be read from its name; give "
                      "it as QUILLMERE_TEAM_ID, so that the profile's rules require it.")
endif()
set(QUILLMERE_RULE_TEAM "")
if(_profile_team)
  set(QUILLMERE_RULE_TEAM "
          <key>TeamIdentifier</key>
          <string>${_profile_team}</string>")
endif()
configure_file(platform/macos/managed-login-item.mobileconfig.in
               ${CMAKE_BINARY_DIR}/quillmere-watchdog.mobileconfig @ONLY)
