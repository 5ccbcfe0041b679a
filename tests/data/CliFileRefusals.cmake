# nivora-cli on crafted project files and on a FIFO: the refusal message the
# program shows, extremes counted from the cells, and no hang.
# CLI: the nivora-cli binary; CORPUS: the crafted files; WORK: a scratch folder.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

foreach(name espacamento-2e127 espacamento-maximo retangulo-32-bits)
  execute_process(COMMAND "${CLI}" info "${CORPUS}/${name}.NVR" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err TIMEOUT 20)
  string(STRIP "${err}" err)
  if(rc EQUAL 0 OR NOT err STREQUAL "O arquivo ${name}.NVR não foi gerado pelo Nivora ou teve sua estrutura alterada.")
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
