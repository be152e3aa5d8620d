# Which source files make up the core: every file under src/core and the subsystem folders. The
# rule is by folder: the windows live in src/app/, the drivers in src/platform/, and nothing in
# these folders may include a Qt or driver header (cmake/CheckCoreIncludes.cmake).
set(SONAVEL_CORE_DIRS core settings hearingtest audio results files calibration mixer session)

function(sonavel_core_sources out_sources out_all_files)
  set(sources "")
  set(files "")
  foreach(dir IN LISTS SONAVEL_CORE_DIRS)
    file(GLOB dir_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${dir}/*.cpp)
    file(GLOB dir_headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${dir}/*.h)
    list(APPEND files ${dir_sources} ${dir_headers})
    list(APPEND sources ${dir_sources})
  endforeach()
  set(${out_sources} ${sources} PARENT_SCOPE)
  set(${out_all_files} ${files} PARENT_SCOPE)
endfunction()
