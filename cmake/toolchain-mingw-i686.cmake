# The product: 32-bit Windows, MinGW-w64 with the posix thread model (the
# win32 model lacks std::mutex and becomes the default when both are present).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TWK_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
