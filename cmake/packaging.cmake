# `make package`: the Debian package of the app, the command-line client and
# their desktop files, installed under /usr. The sandbox stays out of it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvan)
set(CPACK_PACKAGE_VENDOR Tolvan)
set(CPACK_PACKAGE_CONTACT "Tolvan <support@tolvan.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Translates text between languages and improves the \
wording of drafts\nwith the Tolvan service, from a desktop app with a tray icon and a \
double-copy\nshortcut, or from the command-line client tolvan-cli.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries do not say: the QML modules the windows import, the SVG
# icon engine, the icon font and a Secret Service for the session.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qml6-module-qtquick, qml6-module-qtquick-controls, qml6-module-qtquick-templates, \
qml6-module-qtquick-layouts, qml6-module-qtquick-window, qml6-module-qtqml, \
qml6-module-qtqml-models, qml6-module-qtqml-workerscript, libqt6svg6, \
fonts-material-design-icons-iconfont, gnome-keyring | org.freedesktop.secrets")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, xdg-desktop-portal")
include(CPack)
