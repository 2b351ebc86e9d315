# macOS: the installer package, CPack's productbuild generator over what
# cmake/macos-install.cmake lays out.

configure_file(macos-package/component.plist.in ${macos_generated}/component.plist @ONLY)

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
set(CPACK_PREFLIGHT_APP_SCRIPT ${macos_generated}/preinstall)
set(CPACK_POSTFLIGHT_APP_SCRIPT ${macos_generated}/postinstall)
# The app is not relocatable, and the product is native on both
# architectures (macos-package/CPack.distribution.dist.in, found
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
set(CPACK_COMPONENT_APP_PLIST ${macos_generated}/component.plist)
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_SOURCE_DIR}/macos-package)
if(QUILLMERE_INSTALLER_IDENTITY)
  set(CPACK_PRODUCTBUILD_IDENTITY_NAME "${QUILLMERE_INSTALLER_IDENTITY}")
endif()
include(CPack)
