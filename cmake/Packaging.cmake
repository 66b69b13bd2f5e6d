# `make package`: a Debian package of everything `make install` installs, built by CPack under
# the prefix /usr. Its runtime dependencies come from the binaries (dpkg-shlibdeps).
install(FILES ${PROJECT_SOURCE_DIR}/docs/copyright DESTINATION share/doc/lumenfold)
# The package is its own upstream (a version without a Debian revision): its changelog is
# changelog.gz, the newest entry first, naming the project's version.
lumenfold_install_compressed(${PROJECT_SOURCE_DIR}/docs/changelog changelog share/doc/lumenfold)
# A release names its version in the changelog's newest entry and the metainfo's newest release.
file(STRINGS ${PROJECT_SOURCE_DIR}/docs/changelog changelog LIMIT_COUNT 1)
file(STRINGS ${PROJECT_SOURCE_DIR}/app/install/${LUMENFOLD_APP_ID}.metainfo.xml release
     REGEX "<release " LIMIT_COUNT 1)
if(NOT changelog MATCHES "^lumenfold \\(${PROJECT_VERSION}\\) "
   OR NOT release MATCHES "version=\"${PROJECT_VERSION}\"")
    message(FATAL_ERROR "docs/changelog and the metainfo's releases must begin with version ${PROJECT_VERSION}")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumenfold)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Lumenfold developers")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://lumenfold.org/")
set(CPACK_PACKAGE_CONTACT "Lumenfold developers <developers@lumenfold.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "live viewer for network cameras that serve Motion-JPEG")
set(CPACK_PACKAGE_DESCRIPTION
"Lumenfold shows the live pictures of network cameras that serve Motion-JPEG over
HTTP: a collection of cameras in folders, camera switches that step through several
cameras, live view sites for any stream URL, pan, tilt and zoom, and identification
of a camera's model and firmware from the camera itself.

The package holds the viewer zelppc with its desktop entry, the command-line
companion zelctl (settings files, camera identification, stream checks) and the
camera simulator lumenfold-camsim.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
