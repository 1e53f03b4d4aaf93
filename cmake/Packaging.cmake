# Installing and packaging: the two programs, the systemd unit and the documentation in
# their usual places, and a Debian package of them (cpack -G DEB from the build folder).
include(GNUInstallDirs)

install(TARGETS ferrolin-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET ferrolin)
  install(TARGETS ferrolin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The unit finds ferrolin-cli on systemd's own search path, so it serves /usr and
# /usr/local alike. lib/systemd/system is where systemd looks below either prefix.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ferrolin.service
        DESTINATION lib/systemd/system)

set(FERROLIN_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/ferrolin)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${FERROLIN_DOC_DIR})
# The pictures keep their folder, so the README's links to docs/... still resolve.
file(GLOB FERROLIN_DOC_PICTURES ${PROJECT_SOURCE_DIR}/docs/*.png)
install(FILES ${FERROLIN_DOC_PICTURES} DESTINATION ${FERROLIN_DOC_DIR}/docs)

set(FERROLIN_PACKAGE_MAINTAINER "Ferrolin maintainers <maintainers@ferrolin.invalid>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ferrolin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${FERROLIN_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "unattended file-transfer station")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${FERROLIN_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# The long description; cpack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Ferrolin runs a list of file-transfer jobs without an operator: on a weekly
schedule, when files arrive, or on demand. It copies carefully (temporary
names, free-space guard, rate limit, time stamps kept) and logs every step.
.
ferrolin-cli is the headless station (a systemd unit runs it in automatic
mode); ferrolin is the desktop window over the same station.")
# The libraries the programs link come from dpkg-shlibdeps. The window's "Open Logfile"
# uses xdg-open, and the window needs Qt's platform plugins to open at all.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcurl, GMime and libsmbclient are loaded when a job first needs them rather than
# linked, so dpkg-shlibdeps cannot see them: they are named here.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4, libgmime-3.0-0, libsmbclient")
if(TARGET ferrolin)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-qpa-plugins")
endif()
include(CPack)
