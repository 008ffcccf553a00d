# Cross build for 32-bit Windows: the product, setup.exe as shipped.
set(MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
