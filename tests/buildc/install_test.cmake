# Installs into a fresh prefix and checks the tree file by file: the programs in bin/, the
# sample catalog and parameters in share/kdzconf/, the pages in man1 and man5, nothing else
# and never a "par". Then sets up a package directory as README shows, runs the installed
# programs by their bare names from PATH there, and installs again over a tree where the
# user has a "par" of his own in bin/, which must stay as it is.
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
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" LIST_DIRECTORIES false "${PREFIX}/*")
list(SORT installed)
set(expected ${BIN_DIR}/buildc ${BIN_DIR}/editpar ${DATA_DIR}/cfg ${DATA_DIR}/par.sample
    ${MAN_DIR}/man1/buildc.1 ${MAN_DIR}/man1/editpar.1 ${MAN_DIR}/man5/kdz-cfg.5
    ${MAN_DIR}/man5/kdz-package.5 ${MAN_DIR}/man5/kdz-par.5)
list(SORT expected)
if(NOT installed STREQUAL expected)
  message(FATAL_ERROR "installed tree:\n  ${installed}\nexpected:\n  ${expected}")
endif()

# A package directory: the catalog copied in, the sample parameters as "par"; the programs
# found on PATH work on the current directory.
set(pkg "${PREFIX}/pkg")
file(MAKE_DIRECTORY "${pkg}")
file(COPY_FILE "${PREFIX}/${DATA_DIR}/cfg" "${pkg}/cfg")
file(COPY_FILE "${PREFIX}/${DATA_DIR}/par.sample" "${pkg}/par")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "PATH=${bin}:$ENV{PATH}" buildc
                WORKING_DIRECTORY "${pkg}" RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT err STREQUAL "" OR NOT out STREQUAL "")
  message(FATAL_ERROR "installed buildc: status ${status}, stdout '${out}', stderr '${err}'")
endif()
foreach(f kdzspc.h System Init dces dtes Node)
  if(NOT EXISTS "${pkg}/${f}")
    message(FATAL_ERROR "installed buildc did not write ${f} in the package directory")
  endif()
  if(EXISTS "${bin}/${f}")
    message(FATAL_ERROR "installed buildc wrote ${f} beside itself")
  endif()
endforeach()
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "PATH=${bin}:$ENV{PATH}" editpar -c
                WORKING_DIRECTORY "${pkg}" RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "installed editpar -c in the package directory: status ${status}")
endif()

file(WRITE "${bin}/par" "# the user's own\nmode polling\nbus at\n")
install_tree()
file(READ "${bin}/par" par)
if(NOT par STREQUAL "# the user's own\nmode polling\nbus at\n")
  message(FATAL_ERROR "an install over the tree changed par: '${par}'")
endif()
file(REMOVE_RECURSE "${PREFIX}")
