# Debian package of both programs: cpack -G DEB in the build folder.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "quillbrook")
set(CPACK_PACKAGE_VENDOR "QuillbrookSoft")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop video converter with a Chinese user interface")
set(CPACK_PACKAGE_DESCRIPTION
  "Converts video, audio and picture files into the formats of players, phones,\n\
consoles and discs (AVI, MP4, Matroska, DVD, VCD, DV, 3GP, MP3 and more), with\n\
trimming and video filters such as watermarks, subtitles and rotation.\n\
Includes quillbrook-convert, a command-line converter over the same profiles.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "QuillbrookSoft <support@quillbrooksoft.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION "video")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.quillbrooksoft.example/")
# Libraries come from dpkg-shlibdeps; the interface is Chinese, so a CJK font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The device library is dlopen'ed, so dpkg-shlibdeps can't see it.
string(REGEX MATCH "^[0-9]+" QB_AVDEVICE_MAJOR "${AVDEVICE_VERSION}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libavdevice${QB_AVDEVICE_MAJOR}, fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)
