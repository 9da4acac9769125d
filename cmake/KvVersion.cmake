# kv_add_version_info(TARGET FILE_NAME DESCRIPTION): the version resource of a
# Windows executable, so Explorer's file properties show product, version and
# a German description. Does nothing outside the Windows build.
function(kv_add_version_info target file_name description)
  if(NOT WIN32)
    return()
  endif()
  set(KV_FILE_NAME ${file_name})
  set(KV_DESCRIPTION ${description})
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version_info.rc.in ${script} @ONLY)
  target_sources(${target} PRIVATE ${script})
endfunction()
