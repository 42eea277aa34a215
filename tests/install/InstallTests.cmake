# The install: what `cmake --install build --prefix P` puts into P, checked in a new prefix.
add_test(NAME install.Tree
         COMMAND ${CMAKE_COMMAND} -DBUILD=${PROJECT_BINARY_DIR}
                 -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install-tree -DVERSION=${PROJECT_VERSION}
                 -P ${CMAKE_CURRENT_LIST_DIR}/InstallTree.cmake)
set_tests_properties(install.Tree PROPERTIES LABELS install)
