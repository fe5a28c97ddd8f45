# Runs as a script: installs the component's libraries (the src part of the build) into a temporary
# prefix, checks the installed IDL and QML module, then builds and runs a host against the package.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

# Every step must succeed; its own output says why when it does not.
function(run)
  execute_process(COMMAND ${ARGN} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

run(${CMAKE_COMMAND} -DCMAKE_INSTALL_PREFIX=${prefix} -P ${BUILD_DIR}/src/cmake_install.cmake)
foreach(installed
    include/ZAV_PrjLogin/ZAV_PrjLogin.idl
    include/ZAV_PrjLoginScript/ScriptHost.h)
  if(NOT EXISTS ${prefix}/${installed})
    message(FATAL_ERROR "${installed} was not installed")
  endif()
endforeach()
file(GLOB_RECURSE qmldir ${prefix}/qmldir)
list(FILTER qmldir INCLUDE REGEX "/qt6/qml/ZAV/PrjLogin/qmldir$")
if(NOT qmldir)
  message(FATAL_ERROR "the QML module was not installed")
endif()
get_filename_component(module_dir ${qmldir} DIRECTORY)
get_filename_component(import_dir ${module_dir}/../.. ABSOLUTE)
file(READ ${prefix}/include/ZAV_PrjLogin/ZAV_PrjLogin.idl idl)
if(NOT idl MATCHES "library ZAV_PrjLogin" OR NOT idl MATCHES "coclass ZAV_Login")
  message(FATAL_ERROR "the installed IDL is not the type library")
endif()
run(${CMAKE_COMMAND} -S ${HOST_SOURCE} -B ${WORK_DIR}/host -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix}
    "-DCMAKE_CXX_FLAGS=${HOST_CXX_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/host)
run(${WORK_DIR}/host/script_host ${WORK_DIR}/host.db ${import_dir})
