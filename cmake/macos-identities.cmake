# macOS: the Developer ID identities that sign the app and the package, and
# their team (QUILLMERE_SIGNING_TEAM, empty for an ad-hoc signature).

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
foreach(name QUILLMERE_CODESIGN_IDENTITY QUILLMERE_INSTALLER_IDENTITY QUILLMERE_TEAM_ID)
  if(DEFINED ENV{${name}} AND NOT "$ENV{${name}}" STREQUAL "${${name}}")
    message(FATAL_ERROR "${name} in the environment is not the one in this build folder's cache. "
                        "Give it on the command line as well (-D${name}=...), which replaces the "
                        "cache's, as macos-release/release does, or configure a fresh build folder.")
  endif()
endforeach()

# The team of the Developer ID, which the profile's rules require so that
# they match only what that team signed; an ad-hoc signature has none, and
# rules that required one would match nothing.
set(QUILLMERE_SIGNING_TEAM "")
if(QUILLMERE_CODESIGN_IDENTITY MATCHES "^Developer ID Application: .* \\(([A-Z0-9]+)\\)$")
  set(QUILLMERE_SIGNING_TEAM ${CMAKE_MATCH_1})
endif()
if(QUILLMERE_TEAM_ID)
  if(NOT QUILLMERE_CODESIGN_IDENTITY)
    message(FATAL_ERROR "QUILLMERE_TEAM_ID is ${QUILLMERE_TEAM_ID}, but the app is signed ad hoc, "
                        "without a team: the profile's rules would match nothing. Give "
                        "QUILLMERE_CODESIGN_IDENTITY too, or no team.")
  endif()
  if(QUILLMERE_SIGNING_TEAM AND NOT QUILLMERE_TEAM_ID STREQUAL QUILLMERE_SIGNING_TEAM)
    message(FATAL_ERROR "QUILLMERE_TEAM_ID is ${QUILLMERE_TEAM_ID}, but the app is signed by team "
                        "${QUILLMERE_SIGNING_TEAM} (QUILLMERE_CODESIGN_IDENTITY): the profile's rules would "
                        "match nothing.")
  endif()
  set(QUILLMERE_SIGNING_TEAM ${QUILLMERE_TEAM_ID})
elseif(QUILLMERE_CODESIGN_IDENTITY AND NOT QUILLMERE_SIGNING_TEAM)
  message(FATAL_ERROR "The team of QUILLMERE_CODESIGN_IDENTITY cannot be read from its name; give "
                      "it as QUILLMERE_TEAM_ID, so that the profile's rules require it.")
endif()
