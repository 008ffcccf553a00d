# Cross build for 64-bit Windows: the twin of the i686 product build, for
# machines that cannot run 32-bit x86 code, where wine64 runs it natively.
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
