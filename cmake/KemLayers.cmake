# Layers the build enforces. Sources keep the "core/x.h" style of include, but
# a target no longer sees the whole source tree: each layer gets an include
# root of its own in the build tree holding one link, <root>/<folder>, to its
# folder. A target exports only its own root, and its users reach the layers
# below through what they link, so a core/ file that names an app/ or cli/
# header, or a wx header, does not compile.
function(kem_layer_includes target folder)
  set(scope PUBLIC)
  if(ARGC GREATER 2)
    set(scope ${ARGV2})
  endif()
  set(root ${PROJECT_BINARY_DIR}/include/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} ${scope} ${root})
endfunction()
