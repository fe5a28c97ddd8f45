# Runs as a script: install, configure and build the host, then run it.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

include(${CMAKE_CURRENT_LIST_DIR}/InstallChecks.cmake)

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
if(NOT EXISTS ${prefix}/include/ZAV_PrjLogin/Class_Level.h)
  message(FATAL_ERROR "public header Class_Level.h was not installed")
endif()
# The programs beside the library (the panel finds it there), and the manual page of zav-admin.
foreach(file bin/zav-admin bin/zav-dbinfo bin/zav-panel share/man/man1/zav-admin.1.gz)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "${file} was not installed")
  endif()
endforeach()
run(${prefix}/bin/zav-admin --help)
run(${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${prefix}/bin/zav-panel --help)
expect_manual_page(${prefix}/share/man/man1/zav-admin.1.gz ${prefix}/bin/zav-admin)

# The README's examples, taken out of the README as it stands and run offscreen with a stand-in that
# cancels every dialog: on a new database each must open the management window, then the login dialog.
build_and_run_readme_host(${prefix})
file(READ ${README} readme)
example("Scripts and QML" js example.js)
example("Scripts and QML" qml example.qml)
example("Signatures and password aging" js sign.js)
set(offscreen ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=${WORK_DIR}/readme/build/plugins
  QT_QPA_GENERIC_PLUGINS=zavanswer)
set(manageThenLogin "answered zav::manage::Frm_Manage\n(.*\n)?answered zav::Frm_Login\n")
file(GLOB_RECURSE qmldir ${prefix}/qmldir)
list(FILTER qmldir INCLUDE REGEX "/qt6/qml/ZAV/PrjLogin/qmldir$")
get_filename_component(import_dir ${qmldir} DIRECTORY)
get_filename_component(import_dir ${import_dir}/../.. ABSOLUTE)
run(${offscreen} ${WORK_DIR}/readme/build/readme_script ${WORK_DIR}/readme/example.js
  ${WORK_DIR}/readme/example.qml ${WORK_DIR}/readme/script.db ${import_dir})
if(NOT output MATCHES "${manageThenLogin}(.*\n)?answered zav::Frm_Login\n")
  message(FATAL_ERROR "the README's script and QML did not run to their logins:\n${output}")
endif()
# The signature examples: the login is cancelled, so nothing is signed.
run(${offscreen} ${WORK_DIR}/readme/build/readme_sign ${WORK_DIR}/readme/sign.db)
set(signed ${output})
run(${offscreen} ${WORK_DIR}/readme/build/readme_script ${WORK_DIR}/readme/sign.js
  ${WORK_DIR}/readme/example.qml ${WORK_DIR}/readme/sign-script.db ${import_dir})
if(NOT signed MATCHES "answered zav::Frm_Login\n" OR signed MATCHES "batch 42" OR
   NOT output MATCHES "answered zav::Frm_Login\n")
  message(FATAL_ERROR "the README's signature examples did not run to their logins:\n${signed}\n${output}")
endif()

run(${CMAKE_COMMAND} -S ${HOST_SOURCE} -B ${WORK_DIR}/host -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix}
    "-DCMAKE_CXX_FLAGS=${HOST_CXX_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/host)
run(${WORK_DIR}/host/tiny_host ${WORK_DIR}/host.db)
