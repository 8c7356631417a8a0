add_compile_options(-Wall -Wextra)
if(ZEPO_WERROR)
  add_compile_options(-Werror)
endif()
if(ZEPO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(ZEPO_SANITIZE_THREAD)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

# The build keeps the layers apart: a target sees the headers of its own folder and of
# the targets it links, nothing else. Each layer's include root lies in the build tree
# and holds one link, named like the folder, to that folder (or, with FILES, links to
# just those headers), so "#include "movies/LoadFlv_2.h"" compiles only where movies is
# linked. zepo_include_root(TARGET PUBLIC|PRIVATE|INTERFACE [FILES header...])
function(zepo_include_root target scope)
  cmake_parse_arguments(R "" "" "FILES" ${ARGN})
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  file(MAKE_DIRECTORY ${root})
  if(R_FILES)
    file(MAKE_DIRECTORY ${root}/${folder})
    foreach(header ${R_FILES})
      file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${root}/${folder}/${header} SYMBOLIC)
    endforeach()
  else()
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# Sources of a layer are every .cpp/.h in its folder (not below), so adding a file
# needs no edit here. PUBLIC names the layers below that its headers use, PRIVATE those
# only its sources use.
function(zepo_layer name)
  cmake_parse_arguments(L "" "" "PUBLIC;PRIVATE" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${srcs})
  zepo_include_root(${name} PUBLIC)
  target_link_libraries(${name} PUBLIC ${L_PUBLIC} PRIVATE ${L_PRIVATE})
endfunction()
