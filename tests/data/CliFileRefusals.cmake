# nivora-cli on crafted project files and on a FIFO: the refusal message the
# program shows, extremes counted from the cells, and no hang.
# CLI: the nivora-cli binary; CORPUS: the crafted files; WORK: a scratch folder.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

foreach(name espacamento-2e127 espacamento-maximo retangulo-32-bits)
  execute_process(COMMAND "${CLI}" info "${CORPUS}/${name}.NVR" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err TIMEOUT 20)
  string(FIND "${err}" "O arquivo ${name}.NVR não foi gerado pelo Nivora ou teve sua estrutura alterada." at)
  if(rc EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "${name}: exit ${rc}, expected the refusal\n${out}\n${err}")
  endif()
endforeach()

execute_process(COMMAND "${CLI}" info "${CORPUS}/maximo-falso.NVR" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err TIMEOUT 20)
if(NOT rc EQUAL 0 OR NOT out MATCHES "\"Maximum\":{\"Col\":5,\"Row\":5,\"Value\":500}")
  message(FATAL_ERROR "maximo-falso: exit ${rc}, expected the maximum counted from the cells\n${out}\n${err}")
endif()

execute_process(COMMAND mkfifo "${WORK}/fila.NVR" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "mkfifo failed: ${rc}")
endif()
execute_process(COMMAND "${CLI}" info "${WORK}/fila.NVR" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                TIMEOUT 20)
if(NOT rc MATCHES "^[0-9]+$" OR rc EQUAL 0 OR NOT err MATCHES "não é um arquivo comum")
  message(FATAL_ERROR "a FIFO: exit ${rc}, expected an input/output error\n${out}\n${err}")
endif()

# A project saved through a link keeps the link and the file's mode.
file(COPY_FILE "${CORPUS}/../../../examples/PEQUENO.NVR" "${WORK}/real.NVR")
file(CHMOD "${WORK}/real.NVR" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ)
file(CREATE_LINK "real.NVR" "${WORK}/atalho.NVR" SYMBOLIC)
execute_process(COMMAND "${CLI}" systematize "${WORK}/atalho.NVR" -o "${WORK}/atalho.NVR" RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
execute_process(COMMAND stat -c %a "${WORK}/real.NVR" OUTPUT_VARIABLE mode OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND "${CLI}" info "${WORK}/real.NVR" OUTPUT_VARIABLE info)
if(NOT rc EQUAL 0 OR NOT IS_SYMLINK "${WORK}/atalho.NVR" OR NOT mode STREQUAL "640"
   OR NOT info MATCHES "\"PlaneComputed\":true")
  message(FATAL_ERROR "saving through a link: exit ${rc}, mode ${mode}\n${out}\n${err}\n${info}")
endif()
