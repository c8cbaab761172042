# Each layer of the engine compiles against a folder of links under build/layers to the source
# folders and headers it may call, and no other include path, so that an include from a layer
# it may not call fails to build.
set(WENDAL_LAYERS_DIR ${CMAKE_BINARY_DIR}/layers)

# wendal_layer_includes(target PRIVATE|INTERFACE item...): items are folders or single files,
# relative to the source folder.
function(wendal_layer_includes target scope)
  set(dir ${WENDAL_LAYERS_DIR}/${target})
  # Links left from an earlier configure go first (the links only, never what they point to).
  file(GLOB old LIST_DIRECTORIES true ${dir}/* ${dir}/*/*)
  foreach(entry ${old})
    if(IS_SYMLINK ${entry})
      file(REMOVE ${entry})
    endif()
  endforeach()
  foreach(item ${ARGN})
    get_filename_component(parent ${item} DIRECTORY)
    file(MAKE_DIRECTORY ${dir}/${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${item} ${dir}/${item} SYMBOLIC)
  endforeach()
  file(MAKE_DIRECTORY ${dir})
  target_include_directories(${target} ${scope} ${dir})
endfunction()

# In a Release build the engine's objects carry both the link-time intermediate code and plain
# machine code: measured programs optimise across files, the tests link the plain code quickly.
function(wendal_lto_objects target)
  if(WENDAL_LTO)
    target_compile_options(${target} PRIVATE -flto=auto -ffat-lto-objects)
  endif()
endfunction()

# wendal_layer(name folder...): the OBJECT library wendal_<name> of <name>/*.cpp, which may
# include the given folders and headers.
function(wendal_layer name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.cpp)
  add_library(wendal_${name} OBJECT ${sources})
  add_dependencies(wendal_${name} wendal_include_check)
  wendal_layer_includes(wendal_${name} PRIVATE ${ARGN})
  wendal_lto_objects(wendal_${name})
endfunction()

# wendal_front_end(target platform-folder): a front end's include path, the engine's header,
# its own folder, the platform's service headers and its platform's folder, and nothing else.
function(wendal_front_end target folder platform)
  wendal_layer_includes(${target} PRIVATE ${WENDAL_DOOR} ${folder} ${PLATFORM_API_HEADERS}
    ${platform})
endfunction()
