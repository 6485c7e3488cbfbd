# vekx_host_headers(TARGET FOLDER...): an interface target TARGET (such as
# Boost::headers) for a header-only library that Debian installs under
# /usr/include/FOLDER, for a cross build whose compiler must not search /usr/include itself (it would
# take the C library's headers of this machine). The build tree gets a
# folder of its own holding a link to each FOLDER, and the target puts that
# folder on the include path.
function(vekx_host_headers target)
  string(REPLACE "::" "_" name ${target})
  set(folder ${PROJECT_BINARY_DIR}/host-headers/${name})
  foreach(sub ${ARGN})
    if(NOT EXISTS /usr/include/${sub})
      message(FATAL_ERROR "/usr/include/${sub} is missing: install the headers of ${target} (scripts/install-deps.sh)")
    endif()
    file(MAKE_DIRECTORY ${folder})
    file(CREATE_LINK /usr/include/${sub} ${folder}/${sub} SYMBOLIC)
  endforeach()
  if(NOT TARGET ${target})
    add_library(${target} INTERFACE IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${folder})
  endif()
endfunction()
