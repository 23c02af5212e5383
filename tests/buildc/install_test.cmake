# Installs into a fresh prefix and runs the installed generator on the installed sample, then
# installs again over a tree where the user has a "par" of his own, which must stay as it is.
file(REMOVE_RECURSE "${PREFIX}")
set(bin "${PREFIX}/${BIN_DIR}")
function(install_tree)
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                  OUTPUT_QUIET RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "install failed: ${status}")
  endif()
endfunction()

install_tree()
foreach(f buildc editpar cfg par.sample ../${MAN_DIR}/man1/buildc.1 ../${MAN_DIR}/man1/editpar.1
          ../${MAN_DIR}/man5/kdz-cfg.5 ../${MAN_DIR}/man5/kdz-par.5 ../${MAN_DIR}/man5/kdz-package.5)
  if(NOT EXISTS "${bin}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
if(EXISTS "${bin}/par")
  message(FATAL_ERROR "an install wrote a par")
endif()

# The programs find their files beside themselves: the sample, copied to "par".
file(COPY_FILE "${bin}/par.sample" "${bin}/par")
execute_process(COMMAND "${bin}/buildc" RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT err STREQUAL "" OR NOT out STREQUAL "")
  message(FATAL_ERROR "installed buildc: status ${status}, stdout '${out}', stderr '${err}'")
endif()
foreach(f kdzspc.h System Init dces dtes Node)
  if(NOT EXISTS "${bin}/${f}")
    message(FATAL_ERROR "installed buildc did not write ${f}")
  endif()
endforeach()

file(WRITE "${bin}/par" "# the user's own\nmode polling\nbus at\n")
install_tree()
file(READ "${bin}/par" par)
if(NOT par STREQUAL "# the user's own\nmode polling\nbus at\n")
  message(FATAL_ERROR "an install over the tree changed par: '${par}'")
endif()
file(REMOVE_RECURSE "${PREFIX}")
