# The version resource of each Windows program and DLL, from facts stated
# elsewhere once: the file version is the project's version, the company and
# copyright are LICENSE's, the product's name is the desktop entry's.
enable_language(RC)

file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE VEKX_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
string(REGEX REPLACE "^Copyright \\([cC]\\) [0-9, -]+ " "" VEKX_COMPANY "${VEKX_COPYRIGHT}")
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/ktrvtest.desktop VEKX_PRODUCT REGEX "^Name=" LIMIT_COUNT 1)
string(REGEX REPLACE "^Name=" "" VEKX_PRODUCT "${VEKX_PRODUCT}")
if(NOT VEKX_COMPANY OR VEKX_COMPANY STREQUAL VEKX_COPYRIGHT OR NOT VEKX_PRODUCT)
  message(FATAL_ERROR "No \"Copyright (c) YEAR NAME\" line in LICENSE or no Name= in packaging/ktrvtest.desktop: "
                      "the version resources take the company and the product's name from them")
endif()

# vekx_version_resource(TARGET FILE_NAME DESCRIPTION): TARGET, built as
# FILE_NAME, gets the version resource with DESCRIPTION.
function(vekx_version_resource target file_name description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(file_type VFT_APP)
  else()
    set(file_type VFT_DLL)
  endif()
  get_filename_component(internal_name ${file_name} NAME_WE)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${internal_name}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
