# Shared by the checks of an installation and of the packages (included by both scripts).

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(output "${out}${err}" PARENT_SCOPE)
endfunction()

# Writes the first ```FENCE block of the README's section SECTION (in the caller's `readme`) to FILE.
function(example section fence file)
  string(FIND "${readme}" "\n## ${section}\n" at)
  string(SUBSTRING "${readme}" ${at} -1 text)
  string(FIND "${text}" "\n```${fence}\n" at)
  string(LENGTH "\n```${fence}\n" length)
  math(EXPR at "${at} + ${length}")
  string(SUBSTRING "${text}" ${at} -1 text)
  string(FIND "${text}" "\n```" at)
  string(SUBSTRING "${text}" 0 ${at} text)
  file(WRITE ${WORK_DIR}/readme/${file} "${text}\n")
endfunction()

# zav-admin's manual page: a synopsis, and the program's installed path, never the build folder.
function(expect_manual_page page program)
  run(gzip -dc ${page})
  if(NOT output MATCHES "\n\\.SH SYNOPSIS\n.*import FILE")
    message(FATAL_ERROR "zav-admin.1 has no synopsis:\n${output}")
  endif()
  string(REPLACE "-" "\\-" escaped "${program}")
  string(FIND "${output}" "\\fB${escaped}\\fR" at)
  if(at EQUAL -1 OR output MATCHES "build/apps")
    message(FATAL_ERROR "zav-admin.1 does not name ${program} as the installed program:\n${output}")
  endif()
endfunction()

# Builds the README's host examples as printed against the component installed under PREFIX, and runs
# the first with the stand-in operator that cancels every dialog on a new database: it must open the
# management window, then the login dialog.
function(build_and_run_readme_host prefix)
  file(READ ${README} readme)
  example("A host in a few lines" cpp main.cpp)
  example("Signatures and password aging" cpp sign.cpp)
  run(${CMAKE_COMMAND} -S ${README_HOST_SOURCE} -B ${WORK_DIR}/readme/build -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DREADME_SOURCE=${WORK_DIR}/readme/main.cpp
    -DREADME_SIGN_SOURCE=${WORK_DIR}/readme/sign.cpp "-DCMAKE_CXX_FLAGS=${HOST_CXX_FLAGS}")
  run(${CMAKE_COMMAND} --build ${WORK_DIR}/readme/build)
  run(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=${WORK_DIR}/readme/build/plugins
    QT_QPA_GENERIC_PLUGINS=zavanswer ${WORK_DIR}/readme/build/readme_host ${WORK_DIR}/readme/host.db)
  if(NOT output MATCHES "answered zav::manage::Frm_Manage\n(.*\n)?answered zav::Frm_Login\n")
    message(FATAL_ERROR "the README host did not offer the management window and then the login:\n${output}")
  endif()
endfunction()
