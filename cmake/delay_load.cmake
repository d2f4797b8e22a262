# Delay-loaded system DLLs for the MinGW-w64 builds.
#
# A start that only brings the running window to the front needs kernel32
# and user32 and nothing else; every DLL linked the ordinary way is mapped and
# initialised before the first line of the program runs. A DLL linked through
# a delay-load import library is loaded on the first call into it instead.
#
# MinGW-w64 ships ordinary import libraries only. This file makes the
# delay-load twin of one at build time: the import library's thunks (nm)
# become a module definition file, which dlltool turns into a delay-load
# library whose thunks call __delayLoadHelper2 (in libmingwex).
#
# Included from CMakeLists.txt it defines twk_delay_load_libraries(); run
# with -P it makes one library (the variables below).

if(CMAKE_SCRIPT_MODE_FILE)
  # -DNM=... -DDLLTOOL=... -DIMPORT_LIB=libX.a -DDLL=X.dll -DDEF=X.def -DOUT=libX_delay.a
  # -DSTDCALL_PREFIX=ON on i686, where C symbols carry a leading underscore
  # and stdcall names end in @<bytes of arguments>.
  execute_process(COMMAND ${NM} --defined-only ${IMPORT_LIB}
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "nm failed on ${IMPORT_LIB}")
  endif()
  # Each function has a thunk (text symbol) and an import address (I symbol
  # __imp_...). Exported data has the latter only and cannot be delay-loaded,
  # so the text symbols are the list of functions.
  string(REGEX MATCHALL "[0-9a-fA-F]+ T [^\r\n]+" thunks "${symbols}")
  set(names "")
  foreach(line IN LISTS thunks)
    string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" name "${line}")
    if(STDCALL_PREFIX)
      string(REGEX REPLACE "^_" "" name "${name}")
    endif()
    list(APPEND names "${name}")
  endforeach()
  list(REMOVE_DUPLICATES names)
  list(LENGTH names count)
  if(count EQUAL 0)
    message(FATAL_ERROR "no functions found in ${IMPORT_LIB}")
  endif()
  list(JOIN names "\n" body)
  file(WRITE ${DEF} "LIBRARY ${DLL}\nEXPORTS\n${body}\n")
  # -k: the names keep their @N in the symbols the program links against but
  # are imported without it, as the DLLs export them.
  set(kill_at "")
  if(STDCALL_PREFIX)
    set(kill_at -k)
  endif()
  file(REMOVE ${OUT})
  execute_process(COMMAND ${DLLTOOL} ${kill_at} -d ${DEF} -D ${DLL} -y ${OUT} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT EXISTS ${OUT})
    message(FATAL_ERROR "dlltool could not make ${OUT}")
  endif()
  return()
endif()

# twk_delay_load_libraries(<out-var> <name>...): for each import library
# lib<name>.a of the cross toolchain, a build rule making lib<name>_delay.a
# (for <name>.dll) in the build tree. <out-var> receives the libraries' paths
# to link against; the target twk_delay_libs builds them.
function(twk_delay_load_libraries out_var)
  set(triple ${TWK_MINGW_TRIPLE})
  find_program(TWK_NM NAMES ${triple}-nm REQUIRED)
  find_program(TWK_DLLTOOL NAMES ${triple}-dlltool REQUIRED)
  set(stdcall OFF)
  if(triple MATCHES "^i.86")
    set(stdcall ON)
  endif()
  set(dir ${CMAKE_BINARY_DIR}/delayload)
  file(MAKE_DIRECTORY ${dir})
  set(outputs "")
  foreach(name IN LISTS ARGN)
    find_file(import_lib_${name} lib${name}.a PATHS /usr/${triple}/lib NO_DEFAULT_PATH REQUIRED)
    set(import_lib ${import_lib_${name}})
    set(out ${dir}/lib${name}_delay.a)
    add_custom_command(
      OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DNM=${TWK_NM} -DDLLTOOL=${TWK_DLLTOOL} -DIMPORT_LIB=${import_lib}
              -DDLL=${name}.dll -DDEF=${dir}/${name}.def -DOUT=${out} -DSTDCALL_PREFIX=${stdcall}
              -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      DEPENDS ${import_lib} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      COMMENT "Delay-load import library for ${name}.dll"
      VERBATIM)
    list(APPEND outputs ${out})
  endforeach()
  add_custom_target(twk_delay_libs DEPENDS ${outputs})
  set(${out_var} ${outputs} PARENT_SCOPE)
endfunction()
