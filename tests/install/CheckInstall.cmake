# Runs as a script: install, configure and build the host, then run it.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
if(NOT EXISTS ${prefix}/include/ZAV_PrjLogin/Class_Level.h)
  message(FATAL_ERROR "public header Class_Level.h was not installed")
endif()
run(${CMAKE_COMMAND} -S ${HOST_SOURCE} -B ${WORK_DIR}/host -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix}
    "-DCMAKE_CXX_FLAGS=${HOST_CXX_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/host)
run(${WORK_DIR}/host/tiny_host ${WORK_DIR}/host.db)
