# A Debian package of both programs, the desktop entry and the icon: `cpack -G DEB` in a
# build folder (scripts/package.sh does all of it).
set(CPACK_PACKAGE_NAME lodra05)
set(CPACK_PACKAGE_VENDOR "Lodra05")
set(CPACK_PACKAGE_CONTACT "Lodra05 <lodra05@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Beståndskalkyl: avverkning, kassaflöde och nuvärde för ett skogsbestånd")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop calculator for a forest stand with a Swedish user interface, and the batch\n\
tool lodra05-batch that calculates whole stand registers.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries the programs link (Qt PrintSupport among them) come from dpkg-shlibdeps;
# what Qt loads at run time is named here: the window system plugins, the SVG icon engine
# that draws the program's icon, and Qt's own Swedish texts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, qt6-translations-l10n")
include(CPack)
