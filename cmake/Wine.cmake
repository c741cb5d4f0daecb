# The Win32 side: compiled by g++ with Wine's headers and the defines winegcc
# would pass, linked into Winelib programs (NAME.exe.so) by wineg++.
set(WINE_TOOLS_DIR /usr/lib/wine CACHE PATH "Where wineg++ and wine64 live")
set(WINE_INCLUDE_DIR /usr/include/wine/wine/windows CACHE PATH "Wine's Win32 headers")
find_program(WINEGXX wineg++ PATHS ${WINE_TOOLS_DIR} NO_DEFAULT_PATH REQUIRED)
find_program(WINE64 wine64 PATHS ${WINE_TOOLS_DIR} NO_DEFAULT_PATH REQUIRED)

set(VANTREL_WIN32_DEFINES
  WIN64 _WIN64 __WIN64 __WIN64__ WIN32 _WIN32 __WIN32 __WIN32__ __WINNT __WINNT__ __WINE__ _REENTRANT
  "__stdcall=__attribute__((ms_abi))" "__cdecl=__stdcall" "__fastcall=__stdcall")
set(VANTREL_WIN32_LIBRARIES
  -luser32 -lgdi32 -lopengl32 -ld3d9 -lcomdlg32 -lshell32 -lole32 -ladvapi32 -lkernel32 -lcomctl32 -lwinmm)

function(vantrel_win32_sources target)
  target_sources(${target} PRIVATE ${ARGN})
  set_source_files_properties(${ARGN} TARGET_DIRECTORY ${target} PROPERTIES
    COMPILE_DEFINITIONS "${VANTREL_WIN32_DEFINES}"
    INCLUDE_DIRECTORIES "${WINE_INCLUDE_DIR}")
endfunction()

# Links a target with wineg++ in place of the compiler driver.
function(vantrel_winelib target)
  set_target_properties(${target} PROPERTIES
    SUFFIX ".exe"
    RULE_LAUNCH_LINK "${CMAKE_SOURCE_DIR}/cmake/wine-link.sh ${WINEGXX}")
  target_compile_options(${target} PRIVATE -fPIC)
  target_link_options(${target} PRIVATE ${ARGN})
  target_link_libraries(${target} PRIVATE ${VANTREL_WIN32_LIBRARIES})
endfunction()

# An object library: winegcc finds a program's imports from the objects it is
# given, and does not look inside static archives for them.
add_library(vantrel_win32 OBJECT)
vantrel_win32_sources(vantrel_win32 ${VANTREL_WIN32_SOURCES})
target_link_libraries(vantrel_win32 PUBLIC vantrel_portable)

add_executable(vantrel $<TARGET_OBJECTS:vantrel_win32>)
vantrel_win32_sources(vantrel ${VANTREL_MAIN_SOURCE})
target_compile_definitions(vantrel PRIVATE VANTREL_BUILD_DIR="${CMAKE_BINARY_DIR}"
  VANTREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(vantrel PRIVATE -Wl,--whole-archive vantrel_portable -Wl,--no-whole-archive)
vantrel_winelib(vantrel -mwindows -municode)

# Wine tests: test files (and the contract suites) are native code that
# includes only neutral headers; files under tests/ named *_win32.cpp are
# Win32 helpers for them.
file(GLOB_RECURSE VANTREL_WINE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*_wintest.cpp)
file(GLOB_RECURSE VANTREL_WINE_TEST_HELPERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*_win32.cpp)
add_executable(vantrel_wine_tests ${VANTREL_WINE_TEST_SOURCES} ${VANTREL_CONTRACT_SOURCES}
  $<TARGET_OBJECTS:vantrel_win32>)
vantrel_win32_sources(vantrel_wine_tests ${VANTREL_WINE_TEST_HELPERS})
target_link_libraries(vantrel_wine_tests PRIVATE vantrel_test_support
  -Wl,--whole-archive vantrel_portable -Wl,--no-whole-archive
  GTest::gtest GTest::gmock GTest::gtest_main)
vantrel_winelib(vantrel_wine_tests -mconsole)

# A second program for the single-instance tests: started by the Wine tests
# beside them, it hands its command line to the test program's window as a
# second start of the editor would.
add_executable(vantrel_second_instance ${CMAKE_SOURCE_DIR}/tests/window_manager/second_instance_main.cpp
  $<TARGET_OBJECTS:vantrel_win32>)
target_include_directories(vantrel_second_instance PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(vantrel_second_instance PRIVATE -Wl,--whole-archive vantrel_portable -Wl,--no-whole-archive)
vantrel_winelib(vantrel_second_instance -mconsole)
add_dependencies(vantrel_wine_tests vantrel_second_instance)
# Wine benchmarks: bench/*_winbench.cpp, native code like the Wine tests,
# with the same Win32 helpers. Run them with run-wine.sh --display.
if(VANTREL_BENCH)
  file(GLOB VANTREL_WINE_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_winbench.cpp)
  if(VANTREL_WINE_BENCH_SOURCES)
    add_executable(vantrel_wine_bench ${VANTREL_WINE_BENCH_SOURCES} $<TARGET_OBJECTS:vantrel_win32>)
    vantrel_win32_sources(vantrel_wine_bench ${VANTREL_WINE_TEST_HELPERS})
    target_link_libraries(vantrel_wine_bench PRIVATE vantrel_test_support
      -Wl,--whole-archive vantrel_portable -Wl,--no-whole-archive
      benchmark::benchmark benchmark::benchmark_main)
    vantrel_winelib(vantrel_wine_bench -mconsole)
  endif()
endif()

# One Wine prefix for the build tree, created once.
set(VANTREL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
add_custom_command(OUTPUT ${VANTREL_WINEPREFIX}/.created
  COMMAND ${CMAKE_SOURCE_DIR}/cmake/run-wine.sh --prefix ${VANTREL_WINEPREFIX} --init
  COMMENT "Creating the Wine prefix")
add_custom_target(wineprefix ALL DEPENDS ${VANTREL_WINEPREFIX}/.created)

# The Wine tests run as one ctest entry, not one per test: each start of a
# Wine program here (display, wineserver start and shutdown) takes about five
# seconds, so the 58 tests of today would take some five minutes instead of
# ten seconds, and run-wine.sh ends the prefix's wineserver when its program
# ends, so two starts on one prefix cannot overlap.
add_test(NAME wine
  COMMAND ${CMAKE_SOURCE_DIR}/cmake/run-wine.sh --prefix ${VANTREL_WINEPREFIX} --display
          $<TARGET_FILE:vantrel_wine_tests>.so --gtest_brief=1)
