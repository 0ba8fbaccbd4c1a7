# A Debian package of the program: `cd build && cpack -G DEB`.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fruitwake)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Fruitwake developers")
set(CPACK_PACKAGE_CONTACT "Fruitwake developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reminder for the crops of a browser farming game")
set(CPACK_PACKAGE_DESCRIPTION
    "Fruitwake knows the growing times of every crop of a browser farming game, keeps each\n"
    "planted crop as a row with a live countdown, and warns a few minutes before a crop\n"
    "ripens and again in the second it ripens, with a chime or the user's own music.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Fruitwake developers")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binary links are found by dpkg-shlibdeps; the plug-ins it
# loads at run time (platform windows, sound through GStreamer) and Qt's own
# Chinese texts are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
include(CPack)
