cmake_minimum_required(VERSION 3.25)
# Runs as a script: makes the three Debian packages of the build with CPack, checks what each holds and
# what it depends on, unpacks them into a temporary folder (never into the machine running the suite),
# runs the unpacked zav-admin, builds the README's host example against the unpacked -dev package, and
# has lintian look at the packages when it is installed.
file(REMOVE_RECURSE ${WORK_DIR})
include(${CMAKE_CURRENT_LIST_DIR}/InstallChecks.cmake)

run(cpack --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}/packages)
file(GLOB debs ${WORK_DIR}/packages/*.deb)
set(root ${WORK_DIR}/root)
set(lib usr/lib/${ARCH})
set(runtime_files usr/bin/zav-admin usr/bin/zav-dbinfo ${lib}/libZAV_PrjLogin.so.1 ${lib}/libZAV_PrjLoginScript.so.1
  ${lib}/qt6/qml/ZAV/PrjLogin/qmldir ${lib}/qt6/qml/ZAV/PrjLogin/libzav_prjlogin_qml.so
  usr/share/man/man1/zav-admin.1.gz usr/share/doc/zav-prjlogin/copyright)
set(dev_files usr/include/ZAV_PrjLogin/ZAV_Login.h usr/include/ZAV_PrjLogin/ZAV_PrjLogin.idl
  usr/include/ZAV_PrjLoginScript/ScriptHost.h ${lib}/libZAV_PrjLogin.so ${lib}/libZAV_PrjLoginScript.so
  ${lib}/cmake/ZAV_PrjLogin/ZAV_PrjLoginConfig.cmake ${lib}/cmake/ZAV_PrjLoginScript/ZAV_PrjLoginScriptConfig.cmake
  usr/share/doc/zav-prjlogin-dev/copyright)
set(panel_files usr/bin/zav-panel usr/lib/systemd/system/zav-panel-kiosk.service usr/lib/sysusers.d/zav-panel.conf
  usr/share/doc/zav-panel/copyright)
# What each package must depend on: the other package at this very version, and what its binaries link.
set(runtime_depends "libsqlcipher0 " "libpq5 " "libsodium23 " "libqt6widgets6 ")
set(dev_depends "zav-prjlogin (= ${VERSION})" "qt6-base-dev")
set(panel_depends "zav-prjlogin (= ${VERSION})" "libqt6widgets6 ")
set(all_files)
foreach(package runtime:zav-prjlogin dev:zav-prjlogin-dev panel:zav-panel)
  string(REPLACE ":" ";" package ${package})
  list(GET package 0 part)
  list(GET package 1 name)
  set(deb ${WORK_DIR}/packages/${name}_${VERSION}_${DEB_ARCH}.deb)
  if(NOT EXISTS ${deb})
    message(FATAL_ERROR "no package ${name}: ${debs}")
  endif()
  # Every file in one package only (dpkg refuses to install two packages that share one).
  run(dpkg-deb -c ${deb})
  string(REGEX MATCHALL "\\./[^\n]*[^/]\n" files "${output}")
  foreach(file IN LISTS files)
    string(REGEX REPLACE " -> .*|\n" "" file "${file}")
    if(file IN_LIST all_files)
      message(FATAL_ERROR "${file} is in two packages")
    endif()
    list(APPEND all_files ${file})
  endforeach()
  run(dpkg-deb -x ${deb} ${root})
  foreach(file IN LISTS ${part}_files)
    if(NOT EXISTS ${root}/${file} AND NOT IS_SYMLINK ${root}/${file})
      message(FATAL_ERROR "${name} lacks ${file}")
    endif()
  endforeach()
  run(dpkg-deb -f ${deb} Depends)
  foreach(depend IN LISTS ${part}_depends)
    string(FIND "${output}" "${depend}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${name} does not depend on ${depend}: ${output}")
    endif()
  endforeach()
endforeach()

# The unpacked programs run: zav-admin makes and reads a database, and its page names where it is.
run(${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${root}/usr/bin/zav-admin --db ${WORK_DIR}/check.db init)
run(${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${root}/usr/bin/zav-admin --db ${WORK_DIR}/check.db levels)
if(NOT output MATCHES "Operator")
  message(FATAL_ERROR "the unpacked zav-admin did not list the built-in levels:\n${output}")
endif()
run(${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${root}/usr/bin/zav-panel --help)
expect_manual_page(${root}/usr/share/man/man1/zav-admin.1.gz /usr/bin/zav-admin)

build_and_run_readme_host(${root}/usr)

find_program(LINTIAN lintian)
if(LINTIAN)
  execute_process(COMMAND ${LINTIAN} ${debs} OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(out MATCHES "(^|\n)E: ")
    message(FATAL_ERROR "lintian reports errors:\n${out}")
  endif()
  message(STATUS "lintian:\n${out}")
endif()
