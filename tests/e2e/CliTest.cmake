# What the nivora-cli test scripts share: a fresh WORK folder, run() to call a
# command into rc / out / err, and the checks of its exit status.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# execute_process may turn CR LF into LF: line ends are checked by the core
# tests, and dropped here.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r" "" out "${out}")
  set(rc "${rc}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_rc code what)
  if(NOT rc EQUAL ${code})
    message(FATAL_ERROR "${what}: exit ${rc}, expected ${code}\n${out}\n${err}")
  endif()
endfunction()

function(expect_ok what)
  expect_rc(0 "${what}")
endfunction()
