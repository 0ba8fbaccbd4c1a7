# A Debian package of the program: `cd build && cpack -G DEB`.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fruitwake)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Fruitwake developers")
set(CPACK_PACKAGE_CONTACT "Fruitwake developers <fruitwake@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reminder for the crops of a browser farming game")
# Debian shows at most 80 columns of each line.
set(CPACK_PACKAGE_DESCRIPTION
    "Fruitwake knows the growing times of every crop of a browser farming game,\n"
    "keeps each planted crop as a row with a live countdown, and warns a few\n"
    "minutes before a crop ripens and again in the second it ripens, with a chime\n"
    "or the user's own music.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binary links are found by dpkg-shlibdeps; the plug-ins it
# loads at run time (platform windows) and Qt's own Chinese texts are named
# here. Sound goes through Qt's FFmpeg back end, part of libqt6multimedia6.
# xcb is the platform it can always fall back to; users who ask Qt for
# Wayland (QT_QPA_PLATFORM=wayland) get its plug-in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk, qt6-wayland")

# The manual page, the copyright file and the changelog take the version, the
# maintainer and the licence from here and from LICENSE, so they cannot drift.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" _ "${license}")
set(FW_COPYRIGHT "${CMAKE_MATCH_1}")
# The licence's body as a DEP-5 text field: each line indented, blank lines as " .".
string(REGEX REPLACE "^.*Copyright \\(c\\) [^\n]*\n" "" license "${license}")
string(STRIP "${license}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " FW_LICENSE_TEXT " ${license}")
set(docs ${PROJECT_BINARY_DIR}/package-docs)
configure_file(${PROJECT_SOURCE_DIR}/res/fruitwake.1.in ${docs}/fruitwake.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/res/deb/changelog.in ${docs}/changelog @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/res/deb/copyright.in ${docs}/copyright @ONLY)
# Compressed at the highest level and without a time stamp, as Debian wants.
foreach(doc fruitwake.1 changelog)
  add_custom_command(OUTPUT ${docs}/${doc}.gz COMMAND gzip -9nkf ${docs}/${doc}
                     DEPENDS ${docs}/${doc} VERBATIM)
endforeach()
add_custom_target(fw_package_docs ALL DEPENDS ${docs}/fruitwake.1.gz ${docs}/changelog.gz)
install(FILES ${docs}/fruitwake.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${docs}/copyright ${docs}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/res/deb/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME fruitwake)
# Stripping leaves the compilers' notes in .comment, which a package does not need.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/fruitwake\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")
include(CPack)
