# Run by `cmake --install` and by CPack: writes zav-admin.1.gz into the installation's manual pages,
# naming the folder the program is installed in. ZAV_README, ZAV_VERSION, ZAV_BINDIR and ZAV_MANDIR come
# from the install rule before this script.
if(IS_ABSOLUTE "${ZAV_BINDIR}")
  set(bindir "${ZAV_BINDIR}")
else()
  set(bindir "${CMAKE_INSTALL_PREFIX}/${ZAV_BINDIR}")
endif()
set(man "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${ZAV_MANDIR}/man1")
file(MAKE_DIRECTORY "${man}")
set(README "${ZAV_README}")
set(OUTPUT "${man}/zav-admin.1")
set(VERSION "${ZAV_VERSION}")
set(BINDIR "${bindir}")
include(${CMAKE_CURRENT_LIST_DIR}/ManPage.cmake)
# Compressed, as manual pages are installed; -n keeps no name or time in it, so the file is reproducible.
file(REMOVE "${man}/zav-admin.1.gz")
execute_process(COMMAND gzip -9n "${man}/zav-admin.1" COMMAND_ERROR_IS_FATAL ANY)
file(CHMOD "${man}/zav-admin.1.gz" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
message(STATUS "Installing: ${man}/zav-admin.1.gz")
