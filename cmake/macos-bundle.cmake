# macOS: quillmere-watchdog as an application bundle, signed once all of it
# is in place. Its Info.plist is in macos-package/.

# macOS reads at most three integers of a bundle's version.
set(QUILLMERE_RELEASE_VERSION
    ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})

# An application bundle, with App Nap held off for the whole run.
target_sources(quillmere-watchdog PRIVATE platform/macos/activation.mm platform/macos/app_nap.mm)
set_target_properties(quillmere-watchdog PROPERTIES
  MACOSX_BUNDLE ON
  MACOSX_BUNDLE_INFO_PLIST ${CMAKE_SOURCE_DIR}/macos-package/Info.plist.in
  # The application menu's name (About, Hide and Quit it): macOS takes at
  # most 15 characters of it. The executable keeps its name.
  MACOSX_BUNDLE_BUNDLE_NAME "Quillmere Watch"
  MACOSX_BUNDLE_GUI_IDENTIFIER ${QUILLMERE_BUNDLE_ID}
  MACOSX_BUNDLE_BUNDLE_VERSION ${QUILLMERE_RELEASE_VERSION}
  MACOSX_BUNDLE_SHORT_VERSION_STRING ${QUILLMERE_RELEASE_VERSION})
target_link_libraries(quillmere-watchdog PRIVATE "-framework AppKit" "-framework Foundation")
# The App Nap control (QUILLMERE_APP_NAP_CONTROL) keeps neither opt-out.
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
