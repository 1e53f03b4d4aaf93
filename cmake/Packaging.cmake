# Installing and packaging: the two programs, the systemd unit and the documentation in
# their usual places, and two Debian packages (cpack -G DEB from the build folder):
#   ferrolin-cli  the headless station: ferrolin-cli, the unit, the guide; no Qt
#   ferrolin      the desktop window, over the same station (depends on ferrolin-cli)
include(GNUInstallDirs)

install(TARGETS ferrolin-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
if(TARGET ferrolin)
  install(TARGETS ferrolin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT gui)
endif()

# The unit finds ferrolin-cli on systemd's own search path, so it serves /usr and
# /usr/local alike. lib/systemd/system is where systemd looks below either prefix.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ferrolin.service
        DESTINATION lib/systemd/system COMPONENT cli)

# Each package has its own documentation folder with its copyright file; the README and
# the guide go with the station, the pictures keep their folder so the links resolve.
set(FERROLIN_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/ferrolin-cli)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
        DESTINATION ${FERROLIN_DOC_DIR} COMPONENT cli)
file(GLOB FERROLIN_DOC_PAGES ${PROJECT_SOURCE_DIR}/docs/*.md ${PROJECT_SOURCE_DIR}/docs/*.png)
install(FILES ${FERROLIN_DOC_PAGES} DESTINATION ${FERROLIN_DOC_DIR}/docs COMPONENT cli)
if(TARGET ferrolin)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/ferrolin COMPONENT gui)
endif()

set(FERROLIN_PACKAGE_MAINTAINER "Ferrolin maintainers <maintainers@ferrolin.invalid>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ferrolin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${FERROLIN_PACKAGE_MAINTAINER})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENTS_ALL cli)
if(TARGET ferrolin)
  list(APPEND CPACK_COMPONENTS_ALL gui)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${FERROLIN_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# The libraries the programs link come from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_CLI_PACKAGE_NAME ferrolin-cli)
set(CPACK_COMPONENT_CLI_DESCRIPTION "unattended file-transfer station (headless)
Ferrolin runs a list of file-transfer jobs without an operator: on a weekly
schedule, when files arrive, or on demand. It copies carefully (temporary
names, free-space guard, rate limit, time stamps kept) and logs every step.
.
This package holds ferrolin-cli, the headless station, and a systemd unit that
runs it in automatic mode as the system user ferrolin (installed, not enabled).")
# useradd comes from passwd; the scripts create the user and /var/lib/ferrolin. libcurl,
# GMime and libsmbclient are loaded when a job first needs them rather than linked, so
# dpkg-shlibdeps cannot see them: they are named here.
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "passwd, libcurl4, libgmime-3.0-0, libsmbclient")
set(CPACK_DEBIAN_CLI_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/debian/postinst ${PROJECT_SOURCE_DIR}/packaging/debian/prerm
    ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_CLI_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_GUI_PACKAGE_NAME ferrolin)
set(CPACK_COMPONENT_GUI_DESCRIPTION "unattended file-transfer station (desktop window)
Ferrolin runs a list of file-transfer jobs without an operator. This package
holds ferrolin, the Qt 6 window over the station of ferrolin-cli.")
set(CPACK_COMPONENT_GUI_DEPENDS cli)
# The window's "Open Logfile" uses xdg-open, and the window needs Qt's platform plugins.
set(CPACK_DEBIAN_GUI_PACKAGE_RECOMMENDS "xdg-utils, qt6-qpa-plugins")
include(CPack)
