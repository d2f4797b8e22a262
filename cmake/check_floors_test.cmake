# Runs the floor check on this tree (must pass) and on small trees with one
# planted include each (each must fail). Run as:
#   cmake -DSRC=<tree> -DWORK=<scratch folder> -P this
function(run_check tree expect_pass what)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSRC=${tree} -P ${SRC}/cmake/check_floors.cmake
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(expect_pass AND NOT rc EQUAL 0)
    message(FATAL_ERROR "the check rejects ${what}:\n${err}")
  elseif(NOT expect_pass AND rc EQUAL 0)
    message(FATAL_ERROR "the check lets through ${what}")
  endif()
endfunction()

run_check(${SRC} TRUE "this tree")

# One planted file per case: path, then the include it makes.
set(cases
  "sequence/planted.cpp|app/application.h|a mode including the composition root"
  "platform/planted.h|settings/ini_document.h|the ground floor leaning on the settings"
  "base/planted.cpp|platform/ports.h|base including a port"
  "desktop/planted.cpp|setup/setup_window.h|a subsystem including one above it"
  "sequence/planted.cpp|maintenance/partition.h|sideways between subsystems"
  "context/planted.cpp|sequence/reboot_step.h|the context including a mode"
  "sequence/planted.cpp|platform/fake/fake_clock.h|product code including a test double")
foreach(c IN LISTS cases)
  string(REPLACE "|" ";" parts "${c}")
  list(GET parts 0 file)
  list(GET parts 1 inc)
  list(GET parts 2 what)
  file(REMOVE_RECURSE ${WORK})
  file(WRITE ${WORK}/${file} "#include \"${inc}\"\n")
  run_check(${WORK} FALSE "${what}")
  # The same include from a test of that folder is allowed.
  string(REGEX REPLACE "\\.(cpp|h)$" "_test.cpp" test_file "${file}")
  file(REMOVE_RECURSE ${WORK})
  file(WRITE ${WORK}/${test_file} "#include \"${inc}\"\n")
  run_check(${WORK} TRUE "a test including ${inc}")
endforeach()
file(REMOVE_RECURSE ${WORK})
