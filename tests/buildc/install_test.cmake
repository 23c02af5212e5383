# Installs into a fresh prefix: the tree file by file (never a "par"); the programs run by
# their bare names from PATH in a package directory set up as README shows; an install over
# a tree where the user has a "par" of his own in bin/, which stays; the uninstall by the
# manifest. With SOURCE_DIR, BUILD_DIR is first made as README's Install section says.
function(run)  # fails on a status other than 0; `out` is what it printed
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGV}: ${status}\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()
if(DEFINED SOURCE_DIR)
  file(REMOVE_RECURSE "${BUILD_DIR}")
  run("${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${BUILD_DIR}" -DBUILD_TESTING=OFF
      -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON)
  run("${CMAKE_COMMAND}" --build "${BUILD_DIR}" --parallel 2)
endif()
file(REMOVE_RECURSE "${PREFIX}")
set(bin "${PREFIX}/${BIN_DIR}")
set(install "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}")
run(${install})
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" LIST_DIRECTORIES false "${PREFIX}/*")
set(expected ${BIN_DIR}/buildc ${BIN_DIR}/editpar ${DATA_DIR}/cfg ${DATA_DIR}/par.sample
    ${MAN_DIR}/man1/buildc.1.gz ${MAN_DIR}/man1/editpar.1.gz ${MAN_DIR}/man5/kdz-cfg.5.gz
    ${MAN_DIR}/man5/kdz-package.5.gz ${MAN_DIR}/man5/kdz-par.5.gz
    ${COMPLETION_DIR}/buildc ${COMPLETION_DIR}/editpar ${DOC_DIR}/README.md ${DOC_DIR}/copyright)
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
  message(FATAL_ERROR "installed tree:\n  ${installed}\nexpected:\n  ${expected}")
endif()

set(pkg "${PREFIX}/pkg")
file(MAKE_DIRECTORY "${pkg}")
file(COPY_FILE "${PREFIX}/${DATA_DIR}/cfg" "${pkg}/cfg")
file(COPY_FILE "${PREFIX}/${DATA_DIR}/par.sample" "${pkg}/par")
set(on_path sh -c "cd \"$0\" && export PATH=\"$1:$PATH\" && shift && \"$@\"" "${pkg}" "${bin}")
run(${on_path} buildc)
if(NOT out STREQUAL "")
  message(FATAL_ERROR "installed buildc printed '${out}'")
endif()
foreach(f kdzspc.h System Init dces dtes Node)
  if(NOT EXISTS "${pkg}/${f}" OR EXISTS "${bin}/${f}")
    message(FATAL_ERROR "installed buildc did not write ${f} in the package directory alone")
  endif()
endforeach()
run(${on_path} editpar -c)

file(WRITE "${bin}/par" "# the user's own\nmode polling\nbus at\n")
run(${install})
file(READ "${bin}/par" par)
if(NOT par STREQUAL "# the user's own\nmode polling\nbus at\n")
  message(FATAL_ERROR "an install over the tree changed par: '${par}'")
endif()

run(sh -c "cd \"$1\" && xargs rm < install_manifest.txt" sh "${BUILD_DIR}")
file(GLOB_RECURSE left RELATIVE "${PREFIX}" LIST_DIRECTORIES false "${PREFIX}/*")
list(FILTER left EXCLUDE REGEX "^pkg/")
if(NOT left STREQUAL "${BIN_DIR}/par")
  message(FATAL_ERROR "left after the uninstall: ${left}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
