# The folders of src/ stand in levels: a folder includes headers of lower
# levels only, never of its own level's neighbours or above, so no two folders
# include each other, however indirectly. The window folders stand above the
# controls; the page opens the schema, export and comparison windows only
# through the dialog interfaces of pagedialogs, and the main window installs
# the real ones. Checked at configure time and by the FolderLevels test
# (cmake -DVELMORA_SOURCE_DIR=... -P cmake/VelmoraLayers.cmake).
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.20)
endif()
set(VELMORA_FOLDER_LEVELS
  "core"
  "platform/db platform/keys platform/shell platform/xlsx"
  "platform/dsn data"
  "messages services"
  "editing controls"
  "pagedialogs"
  "querypage schema export compare"
  "mainwindow")

function(velmora_check_folder_levels src)
  set(level 0)
  set(known)
  foreach(group IN LISTS VELMORA_FOLDER_LEVELS)
    string(REPLACE " " ";" folders "${group}")
    foreach(folder IN LISTS folders)
      string(MAKE_C_IDENTIFIER "${folder}" id)
      set(level_${id} ${level})
      list(APPEND known ${folder})
    endforeach()
    math(EXPR level "${level} + 1")
  endforeach()
  set(faults)
  foreach(folder IN LISTS known)
    string(MAKE_C_IDENTIFIER "${folder}" id)
    file(GLOB_RECURSE files ${src}/${folder}/*.h ${src}/${folder}/*.cpp)
    foreach(file IN LISTS files)
      file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+/")
      foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" header "${line}")
        string(REGEX MATCH "^(platform/[^/]+|[^/]+)/" other "${header}")
        string(REGEX REPLACE "/$" "" other "${other}")
        if(other STREQUAL folder OR NOT other IN_LIST known)
          continue()
        endif()
        string(MAKE_C_IDENTIFIER "${other}" oid)
        if(NOT level_${oid} LESS level_${id})
          file(RELATIVE_PATH where ${src} ${file})
          list(APPEND faults "  ${where} includes ${header}: ${folder} may include only folders below it")
        endif()
      endforeach()
    endforeach()
  endforeach()
  if(faults)
    list(JOIN faults "\n" text)
    message(FATAL_ERROR "Folder levels broken (cmake/VelmoraLayers.cmake):\n${text}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  velmora_check_folder_levels(${VELMORA_SOURCE_DIR}/src)
  return()
endif()
velmora_check_folder_levels(${PROJECT_SOURCE_DIR}/src)
message(STATUS "Folder levels of src/ kept: no folder includes its own level or above")

# The non-visual layers stand on QtCore and the database libraries only: the
# record engine, the services and the data access must stay usable (and
# testable) without a display. The configuration stops when one of them
# reaches the widget or GUI library through any of its link dependencies.
function(velmora_collect_links target out)
  set(seen ${${out}})
  get_target_property(aliased ${target} ALIASED_TARGET)
  if(aliased)
    set(target ${aliased})
  endif()
  if(target IN_LIST seen)
    return()
  endif()
  list(APPEND seen ${target})
  set(links)
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(direct ${target} LINK_LIBRARIES)
    if(direct)
      list(APPEND links ${direct})
    endif()
  endif()
  get_target_property(iface ${target} INTERFACE_LINK_LIBRARIES)
  if(iface)
    list(APPEND links ${iface})
  endif()
  foreach(lib IN LISTS links)
    # $<LINK_ONLY:x> and the like: look at the target inside.
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
    if(TARGET ${lib})
      velmora_collect_links(${lib} seen)
    endif()
  endforeach()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

set(VELMORA_NON_VISUAL_LIBS velmora_core velmora_db velmora_data velmora_services velmora_editing)
foreach(lib IN LISTS VELMORA_NON_VISUAL_LIBS)
  if(TARGET ${lib})
    set(reached)
    velmora_collect_links(${lib} reached)
    foreach(forbidden Qt6::Widgets Qt6::Gui Qt6::PrintSupport)
      get_target_property(forbidden_real ${forbidden} ALIASED_TARGET)
      if(NOT forbidden_real)
        set(forbidden_real ${forbidden})
      endif()
      if(forbidden_real IN_LIST reached OR forbidden IN_LIST reached)
        message(FATAL_ERROR "${lib} reaches ${forbidden}: the non-visual layers link QtCore and the database libraries only")
      endif()
    endforeach()
  endif()
endforeach()
message(STATUS "Non-visual layers (${VELMORA_NON_VISUAL_LIBS}): no widget or GUI library linked")
