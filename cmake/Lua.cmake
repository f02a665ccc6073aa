# Lua 5.2.4 from Debian's lua5.2 source package, fetched once into the build
# tree and compiled as C++ so that script errors unwind C++ frames properly.
set(LUA_SRC_ROOT ${CMAKE_BINARY_DIR}/_deps/lua5.2)
set(LUA_SRC_DIR ${LUA_SRC_ROOT}/lua5.2-5.2.4/src)
if(NOT EXISTS ${LUA_SRC_DIR}/lapi.c)
  file(MAKE_DIRECTORY ${LUA_SRC_ROOT})
  execute_process(COMMAND apt-get source --download-only lua5.2
    WORKING_DIRECTORY ${LUA_SRC_ROOT}
    RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  file(GLOB lua_orig ${LUA_SRC_ROOT}/lua5.2_5.2.4.orig.tar.*)
  if(NOT rc EQUAL 0 OR NOT lua_orig)
    message(FATAL_ERROR "Could not fetch Debian's lua5.2 source package (${err}). "
      "It needs a deb-src entry: run tools/deps.sh as root.")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${lua_orig}
    WORKING_DIRECTORY ${LUA_SRC_ROOT} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT EXISTS ${LUA_SRC_DIR}/lapi.c)
    message(FATAL_ERROR "Could not unpack ${lua_orig}")
  endif()
endif()

set(LUA_CORE lapi lcode lctype ldebug ldo ldump lfunc lgc llex lmem lobject
  lopcodes lparser lstate lstring ltable ltm lundump lvm lzio
  lauxlib lbaselib lbitlib lcorolib ldblib liolib lmathlib loslib lstrlib
  ltablib loadlib linit)
set(lua_sources)
foreach(f ${LUA_CORE})
  list(APPEND lua_sources ${LUA_SRC_DIR}/${f}.c)
endforeach()
set_source_files_properties(${lua_sources} PROPERTIES LANGUAGE CXX)
add_library(lua52 STATIC ${lua_sources})
target_include_directories(lua52 SYSTEM PUBLIC ${LUA_SRC_DIR})
target_compile_definitions(lua52 PUBLIC LUA_COMPAT_ALL)
# The interpreter runs small scripts: optimised for size.
target_compile_options(lua52 PRIVATE -w -x c++ -Os)
if(WIN32)
  set_source_files_properties(${LUA_SRC_DIR}/liolib.c PROPERTIES
    COMPILE_OPTIONS "-include;${CMAKE_CURRENT_LIST_DIR}/LuaSystemScanf.h")
endif()
