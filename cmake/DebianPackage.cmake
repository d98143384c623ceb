# A Debian package of what `cmake --install` puts in place: the program, its
# menu entry, icons, help and metainfo (`cpack -G DEB` in the build folder,
# or scripts/build-deb.sh). dpkg-shlibdeps works out the library packages.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mirado RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirado)
set(CPACK_PACKAGE_VENDOR "The Mirado developers")
set(CPACK_PACKAGE_CONTACT "The Mirado developers <mirado@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Copies many files under new names into a _rename folder")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Japanese text needs a Japanese font; Qt's own dialogs speak Japanese with
# its translations; the help opens through the desktop's handler.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Pick one of nine conversion types (upper, lower or capitalised case,\nhalf-width and full-width characters, hiragana and katakana, the\nlast-modified date and time, find and replace) and drop files onto the\nwindow: each is copied under its new name into a _rename folder beside\nit. Sources are never written, names that are taken get a number in\nfull-width parentheses. The interface is Japanese.")
include(CPack)
