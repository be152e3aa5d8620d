# The layers of the program, bottom up, each a library that sees only its own headers and those
# of the layers it declares below it. A layer's include root is a folder of the build tree that
# holds links to its own source folders only, so that a file including a header of a layer above
# it (or of one it does not declare) fails to compile: the layering is the build's, not a rule
# on paper.
#
#   sonavel_core        src/core         what every layer shares
#   sonavel_model       src/model        the records and the state object
#   sonavel_subsystems  src/mixer audio results files settings hearingtest calibration
#   sonavel_session     src/session      the running audiometer
#   sonavel_sim         src/platform/sim the simulated drivers (pure C++)
#   sonavel_keyfile     src/platform/keyfile  the settings key as a file (pure C++)
#   sonavel_drivers     src/platform/{pulse,alsa,sdl,qt} and the factory (libpulse, ALSA, SDL, Qt)
#   the program (src/app) and sonavel-cli (src/cli) on top.

set(SONAVEL_LAYER_ROOT ${CMAKE_BINARY_DIR}/layers)
# The folders whose files may include no Qt or driver header.
set(SONAVEL_PURE_FILES "")

# sonavel_layer(NAME FOLDERS folder... [FILES file...] [DEPENDS lib...] [PURE])
# FOLDERS and FILES are paths below src/; FILES are single headers that belong to the layer.
function(sonavel_layer name)
  cmake_parse_arguments(L "PURE" "" "FOLDERS;FILES;DEPENDS" ${ARGN})
  set(root ${SONAVEL_LAYER_ROOT}/${name})
  file(REMOVE_RECURSE ${root})
  set(sources "")
  set(all "")
  foreach(folder IN LISTS L_FOLDERS)
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    file(GLOB folder_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
    file(GLOB folder_headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.h)
    list(APPEND sources ${folder_sources})
    list(APPEND all ${folder_sources} ${folder_headers})
  endforeach()
  foreach(f IN LISTS L_FILES)
    get_filename_component(parent ${root}/${f} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${f} ${root}/${f} SYMBOLIC)
    string(REGEX REPLACE "\\.h$" ".cpp" cpp ${CMAKE_SOURCE_DIR}/src/${f})
    if(EXISTS ${cpp})
      list(APPEND sources ${cpp})
    endif()
  endforeach()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${root})
  target_compile_options(${name} PRIVATE ${SONAVEL_WARNINGS})
  if(L_DEPENDS)
    target_link_libraries(${name} PUBLIC ${L_DEPENDS})
  endif()
  if(L_PURE)
    set(SONAVEL_PURE_FILES ${SONAVEL_PURE_FILES} ${all} PARENT_SCOPE)
  endif()
endfunction()
