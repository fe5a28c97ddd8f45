# Debian packages (scripts/package, or `cpack` in a build folder):
#   zav-prjlogin      the library, the script library and QML module, zav-admin, zav-dbinfo, the manual page
#   zav-prjlogin-dev  the headers, the type library's IDL, the CMake packages
#   zav-panel         the demo panel and its kiosk session under cage
# Dependencies on Debian's packages are computed from the binaries (dpkg-shlibdeps).

set(ZAV_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(ZAV_PACKAGING_BUILD_DIR ${CMAKE_BINARY_DIR}/packaging)

# Each package's copyright and changelog, as Debian keeps them: the changelog compressed without a name or
# a time in it, so that two builds of one version make the same file.
file(MAKE_DIRECTORY ${ZAV_PACKAGING_BUILD_DIR})
execute_process(COMMAND gzip -9nc ${ZAV_PACKAGING_DIR}/changelog
  OUTPUT_FILE ${ZAV_PACKAGING_BUILD_DIR}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZAV_PACKAGING_DIR}/changelog)
foreach(component_package runtime:zav-prjlogin dev:zav-prjlogin-dev panel:zav-panel)
  string(REPLACE ":" ";" pair ${component_package})
  list(GET pair 0 component)
  list(GET pair 1 package)
  install(FILES ${ZAV_PACKAGING_DIR}/copyright ${ZAV_PACKAGING_BUILD_DIR}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()

# The kiosk session: the systemd unit, the user it runs as, and the script that makes that user.
set(CAGE /usr/bin/cage)
configure_file(${ZAV_PACKAGING_DIR}/zav-panel-kiosk.service.in ${ZAV_PACKAGING_BUILD_DIR}/zav-panel-kiosk.service
  @ONLY)
install(FILES ${ZAV_PACKAGING_BUILD_DIR}/zav-panel-kiosk.service DESTINATION lib/systemd/system COMPONENT panel)
install(FILES ${ZAV_PACKAGING_DIR}/zav-panel.sysusers DESTINATION lib/sysusers.d RENAME zav-panel.conf
  COMPONENT panel)
file(MAKE_DIRECTORY ${ZAV_PACKAGING_BUILD_DIR}/panel)
file(COPY_FILE ${ZAV_PACKAGING_DIR}/zav-panel.postinst ${ZAV_PACKAGING_BUILD_DIR}/panel/postinst)
file(CHMOD ${ZAV_PACKAGING_BUILD_DIR}/panel/postinst
  PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZAV_PACKAGING_DIR}/zav-panel.postinst)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zav-prjlogin)
set(CPACK_PACKAGE_VENDOR "ZAV_PrjLogin developers")
set(CPACK_PACKAGE_CONTACT "ZAV_PrjLogin developers <zav-prjlogin@zav-automation.com>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_THREADS 0)
set(CPACK_COMPONENTS_ALL runtime dev panel)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zav-automation.com/prjlogin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries of the other packages of this build, for the dependencies of the programs that link them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/src ${CMAKE_BINARY_DIR}/src/automation/script)

set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "operator login for machine operator panels
ZAV_PrjLogin logs machine operators in by name, by level, by badge or PIN,
keeps levels, operators and their rights in an encrypted file or on a
PostgreSQL server, and hides the desktop by right. This package holds the
shared library, the library and QML module for scripts, zav-admin
(provisioning without a screen, with its manual page) and zav-dbinfo.")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME zav-prjlogin)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The shlibs file for programs built on the libraries, and the trigger that runs ldconfig once per
# installation instead of a maintainer script.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
file(WRITE ${ZAV_PACKAGING_BUILD_DIR}/runtime/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${ZAV_PACKAGING_BUILD_DIR}/runtime/triggers)

set(CPACK_COMPONENT_DEV_DESCRIPTION "operator login for machine operator panels - development files
The headers of ZAV_PrjLogin and its script library, the type library's IDL
and the CMake packages ZAV_PrjLogin and ZAV_PrjLoginScript, for host
programs that link the operator-login component.")
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME zav-prjlogin-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "qt6-base-dev, qt6-declarative-dev")

set(CPACK_COMPONENT_PANEL_DESCRIPTION "operator login for machine operator panels - demo panel
zav-panel, a host laid out like a machine's operator panel, and a kiosk
session that runs it full screen under the cage Wayland compositor as its
own unprivileged user (systemctl enable --now zav-panel-kiosk).")
set(CPACK_COMPONENT_PANEL_DEPENDS runtime)
set(CPACK_DEBIAN_PANEL_PACKAGE_NAME zav-panel)
set(CPACK_DEBIAN_PANEL_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PANEL_PACKAGE_RECOMMENDS "cage, qt6-wayland")
set(CPACK_DEBIAN_PANEL_PACKAGE_CONTROL_EXTRA ${ZAV_PACKAGING_BUILD_DIR}/panel/postinst)

include(CPack)
