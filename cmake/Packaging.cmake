# `make package`: a Debian package of what `cmake --install` puts in place, under /usr.
# Its dependencies are the shared libraries the program links (dpkg-shlibdeps), plus the
# pieces Qt loads at run time rather than links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME boardcast)
set(CPACK_PACKAGE_VENDOR Quillfen)
set(CPACK_PACKAGE_CONTACT "Quillfen <support@quillfen.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
# The summary makes the first line of the package's description, this text the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Boardcast converts the web addresses of a message into a forum's link markup,
writes the message into the forum's posting page in its built-in browser, keeps
your saved messages, forums and logins, and watches the threads you posted in for
new replies. The reply check also runs from the command line and can show a
desktop notification.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The display plugins (xcb, wayland) are loaded, not linked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "dbus-user-session, gnome-keyring")
include(CPack)
