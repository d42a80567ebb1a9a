# The rules of the rooms, part of the build: an include across them fails
# the build (check_includes.cmake, run whenever a source changes), and a
# library that links more than its rule allows fails the configuration.

set(QM_CHECK_INCLUDES "${CMAKE_CURRENT_LIST_DIR}/check_includes.cmake")

# Runs check_includes.cmake over the source tree in every build.
function(qm_check_includes_in_build)
  set(sources "")
  foreach(room base ini settings drives smart monitor controls graph commands app tools)
    file(GLOB_RECURSE room_sources CONFIGURE_DEPENDS
         "${PROJECT_SOURCE_DIR}/${room}/*.h" "${PROJECT_SOURCE_DIR}/${room}/*.cpp")
    list(APPEND sources ${room_sources})
  endforeach()
  set(stamp "${PROJECT_BINARY_DIR}/includes-checked.stamp")
  add_custom_command(OUTPUT "${stamp}"
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DSTAMP=${stamp} -P ${QM_CHECK_INCLUDES}
    DEPENDS ${sources} ${QM_CHECK_INCLUDES}
    COMMENT "Checking the includes against the rooms' rules")
  add_custom_target(qm_check_includes ALL DEPENDS "${stamp}")
endfunction()

# Every project library that `target` links, directly or through another.
function(qm_linked_closure target out)
  set(seen "")
  set(queue "${target}")
  while(queue)
    list(POP_FRONT queue current)
    get_target_property(type ${current} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(links ${current} INTERFACE_LINK_LIBRARIES)
    else()
      get_target_property(links ${current} LINK_LIBRARIES)
    endif()
    foreach(link IN LISTS links)
      if(TARGET ${link} AND link MATCHES "^qm_" AND NOT link IN_LIST seen)
        list(APPEND seen ${link})
        list(APPEND queue ${link})
      endif()
    endforeach()
  endwhile()
  set(${out} "${seen}" PARENT_SCOPE)
endfunction()

# Fails the configuration when `target` links a project library outside
# ALLOWED.
function(qm_require_links target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "ALLOWED")
  if(NOT TARGET ${target})
    return()
  endif()
  qm_linked_closure(${target} linked)
  foreach(link IN LISTS linked)
    if(NOT link IN_LIST arg_ALLOWED)
      message(FATAL_ERROR "${target} links ${link}; it may link only: ${arg_ALLOWED}")
    endif()
  endforeach()
endfunction()

# The link rules of the rooms below the windows.
function(qm_check_links)
  qm_require_links(qm_base ALLOWED "")
  qm_require_links(qm_ini ALLOWED qm_base)
  qm_require_links(qm_settings ALLOWED qm_ini qm_base)
  qm_require_links(qm_drives ALLOWED qm_base)
  qm_require_links(qm_drives_linux ALLOWED qm_drives qm_base)
  qm_require_links(qm_drives_sim ALLOWED qm_drives qm_ini qm_base)
  qm_require_links(qm_smart ALLOWED qm_drives qm_base)
  qm_require_links(qm_report_core ALLOWED qm_smart qm_drives qm_base)
  qm_require_links(quillmoor-smart-helper ALLOWED qm_smart_helper_core qm_drives_linux qm_smart qm_drives qm_base)
endfunction()
