# One static library per subsystem folder: every .cpp in the folder is part of it.
# A library whose folder has part folders (the engine) names them in RC_PARTS.
function(rc_library name dir)
  set(_globs ${dir}/*.cpp)
  foreach(_part ${RC_PARTS_${name}})
    list(APPEND _globs ${dir}/${_part}/*.cpp)
  endforeach()
  file(GLOB _srcs CONFIGURE_DEPENDS ${_globs})
  if(NOT _srcs)
    # A subsystem with headers only so far.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARGN})
    return()
  endif()
  add_library(${name} STATIC ${_srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(ARGN)
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()

# One GoogleTest program per test folder: every .cpp in the folder is part of it.
include(GoogleTest)
find_package(GTest REQUIRED)
function(rc_tests name dir)
  file(GLOB _srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT _srcs)
    return()
  endif()
  add_executable(${name} ${_srcs})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
  target_compile_definitions(${name} PRIVATE RC_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             RC_GAME_ROOT="${RC_GAME_ROOT}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "CITYRUN_HEADLESS=1")
endfunction()
