# Each folder of the program is a layer, and each layer has an include root of its own: a
# folder in the build tree that holds one link, to the layer's source folder. A library
# names its own root; the roots of the libraries it links come with them. A file thus sees
# "layer/name.h" for its own layer and the layers below it, while an include that runs up
# the layers names a file that is not there and fails to build (tests/layers checks it).
function(lodra05_include_root target folder)
  set(root ${PROJECT_BINARY_DIR}/include/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE $<BUILD_INTERFACE:${root}>)
  else()
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${root}>)
  endif()
endfunction()
