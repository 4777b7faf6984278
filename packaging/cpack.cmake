# The Debian package. From a Release build, `cpack -G DEB` in the build folder writes
# vantrel_<version>_<arch>.deb, with the library dependencies read from the executable.
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR "The Vantrel developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL ${VANTREL_HOMEPAGE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "code-breaking game with four coloured pegs")
# Debian shows the long description as it stands, so the lines are broken here.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "The computer hides a code of four coloured pegs; you have ten rows to find it."
    "For each guess four key pegs answer, in a scrambled order: red for a peg of"
    "the right colour in the right place, white for a right colour in a wrong"
    "place, grey for neither. The score only counts up, and a winner's score goes"
    "into the high-score list.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(VANTREL_MAINTAINER "Vantrel Developer <dev@vantrel.invalid>" CACHE STRING
    "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VANTREL_MAINTAINER})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Qt libraries only recommend their platform plugins, yet without one no window opens.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# The board's captions are set in Liberation Sans where it is installed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation2)
# The time stamps of what is packed; the compiler builds no folder's name into the program.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/source-date.cmake)
set(CPACK_VANTREL_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_VANTREL_RELEASE_DATE ${VANTREL_RELEASE_DATE})

include(CPack)
