# The Debian package: `cpack` in a build folder makes zepo_VERSION_amd64.deb, installing to /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zepo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "ZEPO developers <zepo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop player for FLV files with a Japanese user interface")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6widgets6, libqt6network6, libavcodec59, libavutil57, libswscale6, libswresample4, libsdl2-2.0-0, libx11-6, libxrandr2, libxcb1, libxcb-shm0, fonts-ipafont-gothic, shared-mime-info, desktop-file-utils")
include(CPack)
