# Shared compile settings and helpers for every target of the suite.

add_compile_options(-Wall -Wextra)
if(TV_WERROR)
  add_compile_options(-Werror)
endif()
if(MINGW)
  # Console programs must not need the mingw runtime DLLs at run time.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
endif()

if(TV_TESTS)
  enable_testing()
  include(GoogleTest)
  # GoogleTest is built from the Debian source package so that the same
  # version serves the native and the cross builds.
  if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads ${MINGW} CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    foreach(t gtest gtest_main gmock gmock_main)
      if(TARGET ${t})
        target_compile_options(${t} PRIVATE -w)
      endif()
    endforeach()
  endif()
endif()

# tv_add_gtest(name SOURCES ... LIBS ...)
# Natively each case becomes a ctest test; under wine one test runs the whole
# executable, because every wine start costs about a second.
function(tv_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${TV_WINE_RUN} $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wineprefix LABELS "wine;${T_LABELS}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

if(CMAKE_CROSSCOMPILING)
  set(TV_WINE_RUN ${CMAKE_SOURCE_DIR}/tests/wine/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
endif()
