# The Debian package: `cpack -G DEB` in a build folder (./build.sh package makes it from a Release build).
set(WAGETROVE_DEBIAN_REVISION 1)
set(WAGETROVE_MAINTAINER "Wagetrove maintainers <maintainers@wagetrove.example>"
    CACHE STRING "The Debian package's maintainer, as Name <address>")

# The changelog's newest entry must be the package being built.
file(STRINGS "${PROJECT_SOURCE_DIR}/packaging/changelog" changelog_top LIMIT_COUNT 1)
string(REPLACE "." "\\." version_pattern "${PROJECT_VERSION}-${WAGETROVE_DEBIAN_REVISION}")
if(NOT changelog_top MATCHES "^wagetrove \\(${version_pattern}\\) ")
    message(FATAL_ERROR "packaging/changelog does not begin with version ${PROJECT_VERSION}-${WAGETROVE_DEBIAN_REVISION}")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME wagetrove)
set(CPACK_PACKAGE_VENDOR "The Wagetrove developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${WAGETROVE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "state unemployment-insurance wage report writer")
# The extended description under the summary; CPack indents its lines and marks the empty one as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Wagetrove turns one quarter's payroll of one company into the state
unemployment-insurance wage report that the state's agency accepts for
upload: fixed-width ICESA-family files, Florida's UCT-6 file, the
Connecticut and Massachusetts Quest files, the Massachusetts paid family and
medical leave workbook, a Washington CSV file and a printable wage listing.
The payroll comes from QuickBooks Desktop, through its Web Connector, or from
a wages workbook.

The package holds the desktop program wagetrove and the command-line program
wagetrove-cli, which files a quarter from scripts.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE "${WAGETROVE_DEBIAN_REVISION}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${WAGETROVE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the programs load at run time and dpkg-shlibdeps cannot see: Qt's SQLite driver holds the wage store.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
# Opening the filled forms, workbooks and web site goes through the desktop's default programs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, xdg-utils")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
