# Installs into a fresh prefix and runs the installed generator on the installed sample:
# it must find "cfg" and "par" beside itself.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                OUTPUT_QUIET RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "install failed: ${status}")
endif()
execute_process(COMMAND "${PREFIX}/${BIN_DIR}/buildc" RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT err STREQUAL "" OR NOT out STREQUAL "")
  message(FATAL_ERROR "installed buildc: status ${status}, stdout '${out}', stderr '${err}'")
endif()
foreach(f kdzspc.h System Init dces dtes Node)
  if(NOT EXISTS "${PREFIX}/${BIN_DIR}/${f}")
    message(FATAL_ERROR "installed buildc did not write ${f}")
  endif()
endforeach()
if(NOT EXISTS "${PREFIX}/${MAN_DIR}/man1/buildc.1")
  message(FATAL_ERROR "man page not installed")
endif()
file(REMOVE_RECURSE "${PREFIX}")
