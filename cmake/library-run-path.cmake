# vekx_library_run_path(TARGET): the executable TARGET finds libvekxapi.so.1,
# whether it links the library or loads it by name, in the build tree (bin/
# beside lib/) and where it is installed (bin/ beside the library folder).
# On Windows a program finds VEKXAPI.dll in its own folder, as in the kits.
function(vekx_library_run_path target)
  if(TARGET vekxapi)
    add_dependencies(${target} vekxapi)
  endif()
  if(WIN32)
    return()
  endif()
  set(runpath "$ORIGIN/../lib")
  if(NOT CMAKE_INSTALL_LIBDIR STREQUAL "lib")
    list(APPEND runpath "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  endif()
  set_target_properties(${target} PROPERTIES
    BUILD_WITH_INSTALL_RPATH ON
    INSTALL_RPATH "${runpath}")
  if(VEKX_SANITIZE)
    # The sanitizers' dlopen interceptor makes the runtime, not the program,
    # the caller of dlopen, and DT_RUNPATH only serves its own object's
    # calls; the older DT_RPATH of the executable serves every caller.
    target_link_options(${target} PRIVATE -Wl,--disable-new-dtags)
  else()
    target_link_options(${target} PRIVATE -Wl,--enable-new-dtags)
  endif()
endfunction()
