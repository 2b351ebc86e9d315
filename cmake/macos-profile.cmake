# macOS: the profile that makes the LaunchAgent a managed login item.

# The managed login-item profile, unsigned: the MDM that pushes it signs it.
# Its identifiers are derived from the bundle's, so every build makes the
# same ones and a new profile replaces the old.
string(UUID QUILLMERE_PROFILE_UUID NAMESPACE 6ba7b811-9dad-11d1-80b4-00c04fd430c8
       NAME "${QUILLMERE_BUNDLE_ID}.profile" TYPE SHA1 UPPER)
string(UUID QUILLMERE_LOGIN_ITEM_UUID NAMESPACE 6ba7b811-9dad-11d1-80b4-00c04fd430c8
       NAME "${QUILLMERE_BUNDLE_ID}.profile.login-item" TYPE SHA1 UPPER)
set(QUILLMERE_RULE_TEAM "")
if(QUILLMERE_SIGNING_TEAM)
  set(QUILLMERE_RULE_TEAM "
          <key>TeamIdentifier</key>
          <string>${QUILLMERE_SIGNING_TEAM}</string>")
endif()
configure_file(macos-package/managed-login-item.mobileconfig.in
               ${CMAKE_BINARY_DIR}/quillmere-watchdog.mobileconfig @ONLY)
