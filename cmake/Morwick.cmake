# Helpers shared by the directory build files: every .cpp of a directory belongs to its library,
# so adding a class is adding its two files.

# morwick_library(NAME DIR [DEPS ...]): a static library of DIR's sources (recursive),
# or an interface library while the directory has none yet.
function(morwick_library name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  list(FILTER sources EXCLUDE REGEX "/disabled/")
  if(ARGN)
    set(deps ${ARGN})
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${deps})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${deps})
  endif()
endfunction()
