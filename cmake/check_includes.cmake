# Checks that every room of the tree includes only the rooms below it:
#   cmake -DROOT=<source folder> [-DSTAMP=<file touched on success>] -P check_includes.cmake
# A file's room is the longest room name that prefixes its path; so is an
# included header's. Fails with one line per include that breaks a rule.

cmake_minimum_required(VERSION 3.25)

# room | the rooms it may include besides itself
set(qm_allow
  "base|"
  "ini|base"
  "settings|ini base"
  "drives|base"
  "drives/linux|drives base"
  "drives/sim|drives ini base"
  "drives/none|drives base"
  "drives/select|drives drives/sim base"
  "smart|drives base"
  "tools/smart_helper|drives/linux drives smart base"
  "tools/report|smart drives base")
# room | the rooms it must not include: above the drives, a system's
# realisation is reached only through drives/select
set(qm_deny
  "monitor|drives/linux drives/sim drives/none"
  "controls|drives/linux drives/sim drives/none"
  "graph|drives/linux drives/sim drives/none"
  "commands|drives/linux drives/sim drives/none"
  "app|drives/linux drives/sim drives/none"
  "tools|drives/linux drives/sim drives/none")

if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<source folder> -P check_includes.cmake")
endif()

set(qm_rooms "")
foreach(rule IN LISTS qm_allow qm_deny)
  string(REPLACE "|" ";" parts "${rule}")
  list(GET parts 0 room)
  list(APPEND qm_rooms "${room}")
endforeach()

# The room of a path: the longest room that is a folder prefix of it, else
# its first folder.
function(qm_room_of path out)
  set(best "")
  foreach(room IN LISTS qm_rooms)
    string(LENGTH "${room}" length)
    string(LENGTH "${best}" best_length)
    string(FIND "${path}" "${room}/" at)
    if(at EQUAL 0 AND length GREATER best_length)
      set(best "${room}")
    endif()
  endforeach()
  if(best STREQUAL "")
    string(REGEX REPLACE "/.*" "" best "${path}")
  endif()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

function(qm_rule_of room kind out)
  set(found "")
  set(have FALSE)
  foreach(rule IN LISTS qm_${kind})
    string(REPLACE "|" ";" parts "${rule}")
    list(GET parts 0 name)
    if(name STREQUAL room)
      list(LENGTH parts count)
      if(count GREATER 1)
        list(GET parts 1 found)
      endif()
      set(have TRUE)
    endif()
  endforeach()
  string(REPLACE " " ";" found "${found}")
  set(${out} "${found}" PARENT_SCOPE)
  set(${out}_defined ${have} PARENT_SCOPE)
endfunction()

set(qm_faults "")
foreach(room IN LISTS qm_rooms)
  file(GLOB_RECURSE files RELATIVE "${ROOT}" "${ROOT}/${room}/*.h" "${ROOT}/${room}/*.cpp")
  foreach(file IN LISTS files)
    qm_room_of("${file}" file_room)
    if(NOT file_room STREQUAL room)
      continue()  # a deeper room's file; it is checked under that room
    endif()
    qm_rule_of("${room}" allow allowed)
    qm_rule_of("${room}" deny denied)
    file(STRINGS "${ROOT}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
      qm_room_of("${header}" header_room)
      if(header_room STREQUAL room)
        continue()
      endif()
      if(allowed_defined AND NOT header_room IN_LIST allowed)
        list(JOIN allowed " " allowed_text)
        list(APPEND qm_faults "${file} includes ${header}: ${room} may include only: ${allowed_text}")
      elseif(denied_defined AND header_room IN_LIST denied)
        list(APPEND qm_faults "${file} includes ${header}: ${room} must not include ${header_room}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(qm_faults)
  list(JOIN qm_faults "\n  " text)
  message(FATAL_ERROR "Includes across the rooms' rules:\n  ${text}")
endif()
if(STAMP)
  file(TOUCH "${STAMP}")
endif()
