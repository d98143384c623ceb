# A Debian package of what `cmake --install` puts in place: the program, its
# menu entry, icons, help and metainfo (`cpack -G DEB` in the build folder,
# or scripts/build-deb.sh). dpkg-shlibdeps works out the library packages.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mirado RENAME copyright)

# Who answers for the package. The default reaches no one (.invalid is
# reserved for that); give a real address when the package is published.
set(MIRADO_PACKAGE_CONTACT "The Mirado developers <mirado@mirado.invalid>" CACHE STRING
    "The maintainer of the Debian package, as \"Name <address>\"")

# A Debian package has a manual page for its program and a change log, both
# compressed as Debian's tools do it (no name or time inside the archive).
set(MIRADO_PACKAGE_DOCS ${CMAKE_CURRENT_BINARY_DIR}/package-docs)
configure_file(${PROJECT_SOURCE_DIR}/resources/mirado.1.in ${MIRADO_PACKAGE_DOCS}/mirado.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/changelog.in ${MIRADO_PACKAGE_DOCS}/changelog @ONLY)
add_custom_command(
    OUTPUT ${MIRADO_PACKAGE_DOCS}/mirado.1.gz ${MIRADO_PACKAGE_DOCS}/changelog.gz
    COMMAND gzip -9nkf mirado.1 changelog
    DEPENDS ${MIRADO_PACKAGE_DOCS}/mirado.1 ${MIRADO_PACKAGE_DOCS}/changelog
    WORKING_DIRECTORY ${MIRADO_PACKAGE_DOCS}
    VERBATIM)
add_custom_target(mirado_package_docs ALL DEPENDS ${MIRADO_PACKAGE_DOCS}/mirado.1.gz ${MIRADO_PACKAGE_DOCS}/changelog.gz)
install(FILES ${MIRADO_PACKAGE_DOCS}/mirado.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${MIRADO_PACKAGE_DOCS}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mirado)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirado)
set(CPACK_PACKAGE_VENDOR "The Mirado developers")
set(CPACK_PACKAGE_CONTACT "${MIRADO_PACKAGE_CONTACT}")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Copies many files under new names into a _rename folder")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Japanese text needs a Japanese font, and Qt's own texts (the text boxes'
# context menu) its Japanese translations. The help opens through the
# desktop's handler (or in the program's own window); on a Wayland desktop
# Qt needs its Wayland plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Pick one of nine conversion types (upper, lower or capitalised case,\nhalf-width and full-width characters, hiragana and katakana, the\nlast-modified date and time, find and replace) and drop files onto the\nwindow: each is copied under its new name into a _rename folder beside\nit. Sources are never written, names that are taken get a number in\nfull-width parentheses. The interface is Japanese.")
include(CPack)
