# Installs into a fresh prefix and checks the tree file by file: the programs in bin/, the
# sample catalog and parameters in share/kdzconf/, the compressed pages in man1 and man5,
# the completions and the docs, nothing else and never a "par". Then sets up a package
# directory as README shows, runs the installed programs by their bare names from PATH
# there, installs again over a tree where the user has a "par" of his own in bin/, which
# must stay as it is, and uninstalls by the manifest, as README says. With SOURCE_DIR,
# BUILD_DIR is first configured afresh and built as README's Install section says:
# without the tests, so with neither GoogleTest nor Google Benchmark.
function(run)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGV}: ${status}\n${out}")
  endif()
endfunction()
if(DEFINED SOURCE_DIR)
  file(REMOVE_RECURSE "${BUILD_DIR}")
  run("${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${BUILD_DIR}" -DBUILD_TESTING=OFF
      -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON)
  run("${CMAKE_COMMAND}" --build "${BUILD_DIR}" --parallel 2)
endif()
file(REMOVE_RECURSE "${PREFIX}")
set(bin "${PREFIX}/${BIN_DIR}")
function(install_tree)
  run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}")
endfunction()

install_tree()
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" LIST_DIRECTORIES false "${PREFIX}/*")
list(SORT installed)
set(expected ${BIN_DIR}/buildc ${BIN_DIR}/editpar ${DATA_DIR}/cfg ${DATA_DIR}/par.sample
    ${MAN_DIR}/man1/buildc.1.gz ${MAN_DIR}/man1/editpar.1.gz ${MAN_DIR}/man5/kdz-cfg.5.gz
    ${MAN_DIR}/man5/kdz-package.5.gz ${MAN_DIR}/man5/kdz-par.5.gz
    ${COMPLETION_DIR}/buildc ${COMPLETION_DIR}/editpar ${DOC_DIR}/README.md ${DOC_DIR}/copyright)
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

# Uninstalled as README says, the tree keeps only what the user made there.
run(sh -c "cd \"$1\" && xargs rm < install_manifest.txt" sh "${BUILD_DIR}")
file(GLOB_RECURSE left RELATIVE "${PREFIX}" LIST_DIRECTORIES false "${PREFIX}/*")
list(FILTER left EXCLUDE REGEX "^pkg/")
if(NOT left STREQUAL "${BIN_DIR}/par")
  message(FATAL_ERROR "left after the uninstall: ${left}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
