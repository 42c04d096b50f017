# Windows resources for a program: icon, manifest (common controls 6,
# per-monitor DPI awareness, UTF-8 code page) and version information from
# project()'s version. Does nothing on other systems.
#   kem_windows_resources(TARGET "Description" [WX])
function(kem_windows_resources target description)
  if(NOT WIN32)
    return()
  endif()
  set(KEM_RC_NAME ${target})
  set(KEM_RC_DESCRIPTION "${description}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/app/res/kem.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  if("WX" IN_LIST ARGN)
    set_property(SOURCE ${rc} APPEND PROPERTY COMPILE_DEFINITIONS KEM_RC_WX)
    set_property(SOURCE ${rc} APPEND PROPERTY INCLUDE_DIRECTORIES ${wxWidgets_INCLUDE_DIRS})
  endif()
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS
               ${PROJECT_SOURCE_DIR}/app/res/kem.ico ${PROJECT_SOURCE_DIR}/app/res/kem.manifest)
endfunction()
