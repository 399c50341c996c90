# Tests of a Windows build (included from tests/CMakeLists.txt): GoogleTest
# built from Debian's sources, the platform tests that hold on Windows, and
# the Win32-only tests in tests/<folder>/win32/. The programs run under Wine
# (scripts/test-windows.sh), not through ctest on the build machine.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own sources are not held to the project's -Werror.
target_compile_options(gtest PRIVATE -Wno-error)
target_compile_options(gtest_main PRIVATE -Wno-error)

set(support ${CMAKE_CURRENT_SOURCE_DIR}/support)
add_library(wizpak_test_support STATIC ${support}/test_support.cc)
target_include_directories(wizpak_test_support PUBLIC ${CMAKE_SOURCE_DIR}/src
                           ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(wizpak_test_support PUBLIC wizpak_platform gtest)
target_compile_definitions(wizpak_test_support PUBLIC
  WIZPAK_BUILD_DIR="${CMAKE_BINARY_DIR}" WIZPAK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

# wizpak_windows_test(FOLDER LIBRARY [portable test files of tests/FOLDER])
# builds test_FOLDER.exe from the named files plus tests/FOLDER/win32/*.cc.
function(wizpak_windows_test folder library)
  set(sources "")
  foreach(file IN LISTS ARGN)
    list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/${file})
  endforeach()
  file(GLOB win32_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/win32/*.cc)
  list(APPEND sources ${win32_sources})
  if(sources)
    add_executable(test_${folder} ${sources})
    target_link_libraries(test_${folder} PRIVATE ${library} wizpak_test_support gtest_main)
  endif()
endfunction()

wizpak_windows_test(platform wizpak_platform codepage_test.cc)
target_include_directories(test_platform PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/platform/win32)
target_link_libraries(test_platform PRIVATE gdi32 user32 shell32 ole32 uuid)

# The end-to-end inspector: reads back links and an executable's icon for
# scripts/test-windows.sh.
add_executable(wizpak-inspect ${CMAKE_CURRENT_SOURCE_DIR}/e2e/win32/read_back.cc
               ${CMAKE_CURRENT_SOURCE_DIR}/platform/win32/icon_reader.cc)
target_include_directories(wizpak-inspect PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/platform/win32)
target_link_libraries(wizpak-inspect PRIVATE wizpak_platform gdi32 user32 shell32 ole32 uuid)
