# The package's version, written once in project(): both programs print it with --version,
# and the manual pages, the metainfo and the Debian package take it from the same place.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
  ${PROJECT_BINARY_DIR}/generated/lodra05/version.h @ONLY)
add_library(lodra05_version INTERFACE)
target_include_directories(lodra05_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
