# The Debian package, built by `make deb` (cpack -G DEB in the build folder).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dendrova)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Dendrova project")
set(CPACK_PACKAGE_CONTACT ${DENDROVA_CONTACT})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "grow a tree by recursive branching and watch it live")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${DENDROVA_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${DENDROVA_HOMEPAGE})
# The summary above is the first line; this is the extended description under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Dendrova grows a tree by recursive branching and shows it live in 3-D with
OpenGL. A trunk of short hexagonal tube segments, each bent, twisted and
shrunk against the one below it, sprouts side branches grown by the same rule
and carries leaves at the tips of every chain.

Thirteen parameters decide the shape and the shadows: the tree regrows under
the slider of a small control panel, you fly around it with the mouse and the
arrow keys, and the settings are kept from one run to the next.")
# The libraries come from dpkg-shlibdeps; Qt's window-system plugins are loaded at run
# time, so no library dependency names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Qt's Wayland plugin lets the viewer run natively on a Wayland desktop, with its title
# bar drawn by Qt. Without it the program still runs there through XWayland, and X11
# desktops never need it, so it is recommended (installed by default), not required.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
