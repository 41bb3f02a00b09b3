# The Debian package (make deb): the three programs, the desktop files, icons, the
# thumbnailer with its MIME package and the man pages, installed under /usr. The MIME,
# icon and desktop caches are refreshed by the file triggers of shared-mime-info,
# hicolor-icon-theme and desktop-file-utils, which watch those folders.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pictavo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Vantrel)
set(CPACK_PACKAGE_CONTACT "Vantrel <pictavo@vantrel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find, view and extract the icons inside Windows files")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Pictavo lists the files of a folder that hold icons (Windows programs and\n\
libraries of 16, 32 and 64 bits, icon libraries, ICO and CUR files), shows\n\
their icons and images, saves them as ICO, PNG and BMP files and collects\n\
them into icon libraries. The package holds the window (pictavo), the\n\
command line (pictavo-cli) and the thumbnailer file managers use.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vantrel.example/pictavo")
# Qt's own Chinese dialogs, and a font for the Chinese texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-noto-cjk")
set(CPACK_STRIP_FILES ON)
include(CPack)
