# The Debian package: `cpack -G DEB` in the build folder (scripts/package runs
# it and lintian). Dependencies come from dpkg-shlibdeps on the binaries, not
# from a hand-kept list; the version is the project's.
set(CPACK_PACKAGE_NAME nivora)
set(CPACK_PACKAGE_VENDOR "The Nivora developers")
set(CPACK_PACKAGE_CONTACT "Nivora developers <nivora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "land levelling design (Sistematização de Terrenos)")
set(CPACK_PACKAGE_INSTALL_DIRECTORY nivora)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs speak Portuguese with these; the program runs without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION
"Nivora takes the elevations a surveyor measured on a regular grid of
stakes, fits the least-squares plane and gives each stake its design
elevation and its cut or fill, the cut and fill volumes and their ratio.
It adjusts the plane to a requested cut/fill ratio, compares up to ten
plans, draws a cut-and-fill map and a contour map, and lists X Y Z for
plotting programs. The interface is in Brazilian Portuguese.

The package holds the desktop program nivora and the batch front end
nivora-cli.")

include(CPack)
