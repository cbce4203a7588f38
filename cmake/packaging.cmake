# `make package`: one Debian package, "quelmar", with both programs and everything the
# install rules put under the prefix, installed under /usr. Its dependencies come from
# dpkg-shlibdeps; maintainer scripts exist only to reload udev when it carries udev rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quelmar)
set(CPACK_PACKAGE_VENDOR Quelmar)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quelmar developers <developers@quelmar.invalid>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop software for Quelmar digital microscopes")
# Debian wants the long description in lines of at most 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "ScopeDesk (scopedesk) is the desktop station for a USB microscope camera:"
  "live view, stills, videos, time-lapse series and measurement on the live"
  "picture and on stored photos, in a workspace of named folders."
  ""
  "Orbilux (orbilux) is the viewer for USB microscope cameras and the Wi-Fi"
  "microscope, with stills, MP4 videos, albums, measurement and an FTP share"
  "of its workspace.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialog texts in the user's language, and the mail hand-over (xdg-email).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

if(QUELMAR_UDEV_RULES)
  foreach(script postinst postrm)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/${script}.in
                   ${CMAKE_BINARY_DIR}/debian/${script} @ONLY)
    list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/${script})
  endforeach()
endif()

include(CPack)
