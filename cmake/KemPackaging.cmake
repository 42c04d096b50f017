# Release packages through CPack (scripts/package.sh makes them):
#   Windows: kem-VERSION-win64-setup.exe (NSIS) and kem-VERSION-win64.zip
#   Linux:   kem_VERSION_amd64.deb
# Every package holds the stripped programs, the help book and the sample
# data; the Debian package adds the desktop entry and the icons.
set(CPACK_PACKAGE_NAME kem)
set(CPACK_PACKAGE_VENDOR "Kem")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Terrain generator: colour-coded height maps to .gnd layout files, DEMs to height maps")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Kem)
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/KemPackageNames.cmake)

if(WIN32)
  set(CPACK_GENERATOR "NSIS;ZIP")
  set(CPACK_PACKAGE_FILE_NAME kem-${PROJECT_VERSION}-win64)
  # A 64-bit, Unicode installer that installs under "Program Files".
  set(CPACK_NSIS_DEFINES "Target amd64-unicode")
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_PACKAGE_NAME "Kem ${PROJECT_VERSION}")
  set(CPACK_NSIS_DISPLAY_NAME "Kem")
  set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/app/res/kem.ico)
  set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/app/res/kem.ico)
  set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\kem.exe")
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
  # The Start-menu shortcut: bin\kem.exe as "Kem".
  set(CPACK_PACKAGE_EXECUTABLES kem Kem)
  set(CPACK_ZIP_COMPONENT_INSTALL OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kem maintainers <maintainers@kem.invalid>")
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kem.invalid")
  # The libraries the programs link, as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
