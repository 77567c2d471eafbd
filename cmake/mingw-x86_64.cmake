# The 64-bit Windows build of the same sources, for hosts whose Wine is
# 64-bit only.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
