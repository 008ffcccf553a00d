# Test helpers shared by every folder.
#
# korvu_gtest(NAME SOURCES... LIBS ...) builds a GoogleTest program. In the
# host build it links the system's gtest; in the Win32 build it compiles
# gtest from /usr/src/googletest once and every test runs under Wine
# through cmake/wine-run (CMAKE_CROSSCOMPILING_EMULATOR).
#
# korvu_wine_test(NAME COMMAND ... [WINVER v] [TIMEOUT s]) registers one
# Wine test (Win32 build) that runs as Windows version v.

if(KORVU_WIN32)
  if(NOT TARGET korvu_gtest_main)
    set(GTEST_SRC /usr/src/googletest/googletest)
    add_library(korvu_gtest_main STATIC ${GTEST_SRC}/src/gtest-all.cc ${GTEST_SRC}/src/gtest_main.cc)
    target_include_directories(korvu_gtest_main PUBLIC ${GTEST_SRC}/include PRIVATE ${GTEST_SRC})
    # gtest needs exceptions and RTTI even where the product does not.
    target_compile_options(korvu_gtest_main PRIVATE -O1 -fexceptions -frtti -w)
    target_compile_definitions(korvu_gtest_main PUBLIC GTEST_HAS_PTHREAD=0 GTEST_HAS_NOTIFICATION_=1)
    target_compile_options(korvu_gtest_main PUBLIC -include ${CMAKE_SOURCE_DIR}/cmake/gtest-notification.h)
  endif()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/cmake/wine-run ${CMAKE_BINARY_DIR})
  add_test(NAME wine_env_start COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-env start ${CMAKE_BINARY_DIR})
  add_test(NAME wine_env_stop COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-env stop ${CMAKE_BINARY_DIR})
  set_tests_properties(wine_env_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  set_tests_properties(wine_env_stop PROPERTIES FIXTURES_CLEANUP wine)
else()
  find_package(GTest REQUIRED)
endif()

function(korvu_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  if(KORVU_WIN32)
    target_link_libraries(${name} PRIVATE ${T_LIBS} korvu_gtest_main)
    target_compile_options(${name} PRIVATE -fexceptions -frtti -O1)
    target_link_options(${name} PRIVATE -mconsole)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  endif()
endfunction()

# korvu_wine_test(NAME test COMMAND prog args... [WINVER win98] [TIMEOUT 60]
#                 [FILES file...])   FILES are copied beside the program.
function(korvu_wine_test)
  cmake_parse_arguments(T "" "NAME;WINVER;TIMEOUT" "COMMAND;FILES" ${ARGN})
  if(NOT T_WINVER)
    set(T_WINVER winxp)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  string(REPLACE ";" " " T_FILES "${T_FILES}")
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "KORVU_WINVER=${T_WINVER};KORVU_RUN_FILES=${T_FILES}"
    FIXTURES_REQUIRED wine RESOURCE_LOCK wineprefix TIMEOUT ${T_TIMEOUT})
endfunction()
