# What `cmake --install` puts in place besides the programs (which their own folders install), and
# the Debian package that CPack builds from the same install tree:
#   cpack --config <build>/CPackConfig.cmake -G DEB  ->  quandrelle_<version>_<arch>.deb

install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${QUANDRELLE_PROGRAM_NAME})

set(CPACK_PACKAGE_NAME ${QUANDRELLE_PROGRAM_NAME})
set(CPACK_PACKAGE_VENDOR "Quandrelle developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "Quandrelle developers <quandrelle@localhost>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)

set(CPACK_DEBIAN_PACKAGE_NAME ${QUANDRELLE_PROGRAM_NAME})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The run-time libraries the programs link against, as dpkg-shlibdeps finds them, and the toolkit's
# display plugins, which no program links against but without which the desktop program cannot open
# a window (Debian's toolkit packages only recommend them).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "${PROJECT_DESCRIPTION}
Quandrelle estimates how long an organic-vapor air-purifying respirator cartridge
lasts against one vapor or a mixture of up to five, at any humidity, from the
carbon's data, the vapors' physical properties and the use conditions.
.
The package holds the desktop program quandrelle, the command-line calculator
quandrelle-calc, the record-file tool quandrelle-db and a starter vapor library.")

include(CPack)
