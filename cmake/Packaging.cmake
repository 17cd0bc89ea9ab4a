# A Debian package of the installed tree (scripts/package). Its dependencies are worked out by
# dpkg-shlibdeps from the libraries the programs actually link, plus the plug-ins Qt loads at run
# time (the platform plug-ins and the image formats), which no link line shows.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME reelwright)
set(CPACK_PACKAGE_VENDOR "GIF Reelwright")
set(CPACK_PACKAGE_CONTACT "GIF Reelwright developers <developers@reelwright.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for animated GIF images")
set(CPACK_PACKAGE_DESCRIPTION
    "Open or create animated GIF images in tabbed document windows, edit them frame by frame,\n"
    "preview, optimise for size and save them; export frames, AVI movies and HTML pages.\n"
    "Includes reelwright-cli, the GIF engine on the command line.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://reelwright.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-image-formats-plugins")
set(CPACK_STRIP_FILES ON)
include(CPack)
