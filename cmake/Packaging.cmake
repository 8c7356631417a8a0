# The Debian package: `cpack` in a build folder makes zepo_VERSION_amd64.deb, installing to /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zepo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The ZEPO developers")
set(CPACK_PACKAGE_CONTACT "ZEPO developers <zepo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop player for FLV files with a Japanese user interface")
set(CPACK_PACKAGE_DESCRIPTION
  "Plays FLV (Flash Video) files, folders and playlists one after another, in a window or full screen.\n\
License: GPL-3.0-or-later; see /usr/share/doc/zepo/copyright.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # zepo_VERSION_amd64.deb, as Debian names packages

# FFmpeg's Debian packages carry the library's major version in their name (libavcodec59 on
# Debian 12, libavcodec61 on Debian 13): name the ones this build links against.
set(ffmpeg_packages)
foreach(library libavcodec libavutil libswscale libswresample)
  string(REGEX MATCH "^[0-9]+" major "${FFMPEG_${library}_VERSION}")
  list(APPEND ffmpeg_packages "${library}${major}")
endforeach()
list(JOIN ffmpeg_packages ", " ffmpeg_packages)
# Any font that covers Japanese does; IPA Gothic is the small one.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6widgets6, libqt6network6, ${ffmpeg_packages}, libsdl2-2.0-0, libx11-6, libxrandr2, libxcb1, libxcb-shm0, fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic | fonts-takao-gothic, shared-mime-info, desktop-file-utils")
include(CPack)
