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
    # Test programs are not shipped: they may use the P6's instructions, and
    # the standard library's atomics need them (the 386 has no CMPXCHG).
    if(KORVU_ARCH STREQUAL i686)
      target_compile_options(korvu_gtest_main PUBLIC -march=i686)
    endif()
    target_compile_definitions(korvu_gtest_main PUBLIC GTEST_HAS_PTHREAD=0 GTEST_HAS_NOTIFICATION_=1)
    target_compile_options(korvu_gtest_main PUBLIC -include ${CMAKE_SOURCE_DIR}/cmake/gtest-notification.h)
  endif()
  # Both Win32 trees run in one ctest: every test name ends in the build it
  # runs (".i686", ".x86_64"), and each tree has its own Wine fixture, lock
  # and label, so that `make test` can leave out the Wine tests of a build
  # this machine cannot run (ctest -LE wine-i686).
  set(KORVU_SUFFIX .${KORVU_ARCH})
  set(KORVU_WINE_FIXTURE wine-${KORVU_ARCH})
  set(KORVU_WINE_LOCK wineprefix-${KORVU_ARCH})
  set(KORVU_WINE_LABEL wine-${KORVU_ARCH})
  # wine-env reads which loader the tree needs (wine or wine64).
  file(WRITE ${CMAKE_BINARY_DIR}/wine-arch "${KORVU_ARCH}\n")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/cmake/wine-run ${CMAKE_BINARY_DIR})
  # The fixture keeps the tree's virtual desktop open for the whole run.
  add_test(NAME wine_env_start${KORVU_SUFFIX}
           COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-env start ${CMAKE_BINARY_DIR}
                   $<TARGET_FILE:wine_desktop_keeper>)
  add_test(NAME wine_env_stop${KORVU_SUFFIX}
           COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-env stop ${CMAKE_BINARY_DIR})
  set_tests_properties(wine_env_start${KORVU_SUFFIX} PROPERTIES FIXTURES_SETUP ${KORVU_WINE_FIXTURE}
                       TIMEOUT 300 LABELS ${KORVU_WINE_LABEL})
  set_tests_properties(wine_env_stop${KORVU_SUFFIX} PROPERTIES FIXTURES_CLEANUP ${KORVU_WINE_FIXTURE}
                       LABELS ${KORVU_WINE_LABEL})
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
# The test is named NAME.i686 or NAME.x86_64.
function(korvu_wine_test)
  cmake_parse_arguments(T "" "NAME;WINVER;TIMEOUT" "COMMAND;FILES" ${ARGN})
  if(NOT T_WINVER)
    set(T_WINVER winxp)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  string(REPLACE ";" " " T_FILES "${T_FILES}")
  add_test(NAME ${T_NAME}${KORVU_SUFFIX} COMMAND ${T_COMMAND})
  set_tests_properties(${T_NAME}${KORVU_SUFFIX} PROPERTIES
    ENVIRONMENT "KORVU_WINVER=${T_WINVER};KORVU_RUN_FILES=${T_FILES}"
    TIMEOUT ${T_TIMEOUT})
  korvu_needs_wine(${T_NAME}${KORVU_SUFFIX})
endfunction()

# The Wine fixture, the prefix's lock and the label of this tree.
function(korvu_needs_wine test)
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED ${KORVU_WINE_FIXTURE})
  set_property(TEST ${test} APPEND PROPERTY RESOURCE_LOCK ${KORVU_WINE_LOCK})
  set_property(TEST ${test} APPEND PROPERTY LABELS ${KORVU_WINE_LABEL})
endfunction()
