# libdeflate for whole-buffer inflate of package entries (sizes are known).
# Linked from its static archive so setups do not need it at run time. Where
# it is missing (a cross build without it), zlib inflates instead.
find_library(WIZPAK_LIBDEFLATE_ARCHIVE NAMES libdeflate.a)
find_path(WIZPAK_LIBDEFLATE_INCLUDE libdeflate.h)
if(WIZPAK_LIBDEFLATE_ARCHIVE AND WIZPAK_LIBDEFLATE_INCLUDE)
  add_library(wizpak_libdeflate INTERFACE)
  target_link_libraries(wizpak_libdeflate INTERFACE ${WIZPAK_LIBDEFLATE_ARCHIVE})
  target_include_directories(wizpak_libdeflate INTERFACE ${WIZPAK_LIBDEFLATE_INCLUDE})
  target_compile_definitions(wizpak_libdeflate INTERFACE WIZPAK_HAVE_LIBDEFLATE=1)
  message(STATUS "libdeflate: ${WIZPAK_LIBDEFLATE_ARCHIVE}")
else()
  add_library(wizpak_libdeflate INTERFACE)
  message(STATUS "libdeflate: not found, zlib inflates package entries")
endif()
