# Fails when portable logic includes a Win32 header. Only the Win32 adapters,
# the Win32 window backend and the Windows entry point may.
file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/base/* ${SRC}/context/* ${SRC}/app/*.cpp ${SRC}/app/*.h ${SRC}/settings/*
     ${SRC}/sequence/* ${SRC}/setup/* ${SRC}/maintenance/* ${SRC}/desktop/* ${SRC}/ui/* ${SRC}/platform/*)
set(bad "")
foreach(f IN LISTS files)
  if(f MATCHES "/win32/")
    continue()
  endif()
  file(STRINGS ${SRC}/${f} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](windows|winbase|winuser|winreg|windef|winnt|shlobj|shellapi|commctrl|objbase|gdiplus|wtsapi32|ntsecapi|psapi|winioctl|mmsystem|shlwapi|uxtheme)\\.h[>\"]")
  if(hits)
    list(APPEND bad "${f}: ${hits}")
  endif()
endforeach()
if(bad)
  string(REPLACE ";" "\n  " bad "${bad}")
  message(FATAL_ERROR "Win32 headers in portable code:\n  ${bad}")
endif()
