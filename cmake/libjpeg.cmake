# libjpeg for the capture library, as the imported target tamiru_libjpeg.
#
# Native builds link Debian's libjpeg62-turbo-dev. Windows builds link a
# static MinGW libjpeg-turbo built here from Debian's source package, which
# scripts/fetch-libjpeg.sh unpacks into build/deps/. The built library is
# kept in build/deps/ too, so every Windows build folder reuses it; a lock
# keeps two configure runs from building it at once.
if(TARGET tamiru_libjpeg)
  return()
endif()

get_filename_component(_tamiru_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)

if(NOT WIN32)
  find_package(JPEG REQUIRED)
  add_library(tamiru_libjpeg INTERFACE)
  target_link_libraries(tamiru_libjpeg INTERFACE JPEG::JPEG)
  return()
endif()

set(TAMIRU_DEPS_DIR "${_tamiru_root}/build/deps" CACHE PATH "Where third-party sources and builds are kept")
set(_jpeg_source "${TAMIRU_DEPS_DIR}/libjpeg-turbo-src")
set(_jpeg_prefix "${TAMIRU_DEPS_DIR}/libjpeg-turbo-${CMAKE_SYSTEM_PROCESSOR}-mingw")
set(_jpeg_library "${_jpeg_prefix}/lib/libjpeg.a")

if(NOT EXISTS "${_jpeg_library}")
  file(MAKE_DIRECTORY "${TAMIRU_DEPS_DIR}")
  file(LOCK "${TAMIRU_DEPS_DIR}/libjpeg.lock" GUARD FILE TIMEOUT 900)
  if(NOT EXISTS "${_jpeg_library}")
    if(NOT EXISTS "${_jpeg_source}/CMakeLists.txt")
      execute_process(COMMAND "${_tamiru_root}/scripts/fetch-libjpeg.sh"
                      RESULT_VARIABLE _result)
      if(NOT _result EQUAL 0)
        message(FATAL_ERROR "libjpeg: fetching the libjpeg-turbo source failed (scripts/fetch-libjpeg.sh)")
      endif()
    endif()
    message(STATUS "libjpeg: building a static MinGW libjpeg-turbo in ${_jpeg_prefix} (first time only)")
    set(_jpeg_build "${_jpeg_prefix}-build")
    file(REMOVE_RECURSE "${_jpeg_build}" "${_jpeg_prefix}")
    find_program(_nasm nasm)
    set(_simd_options -DWITH_SIMD=OFF)
    if(_nasm)
      set(_simd_options -DWITH_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=${_nasm})
    endif()
    execute_process(
      COMMAND ${CMAKE_COMMAND} -S "${_jpeg_source}" -B "${_jpeg_build}"
              -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
              -DCMAKE_INSTALL_PREFIX=${_jpeg_prefix}
              -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF ${_simd_options}
      OUTPUT_FILE "${_jpeg_prefix}-configure.log" ERROR_FILE "${_jpeg_prefix}-configure.log"
      RESULT_VARIABLE _result)
    if(_result EQUAL 0)
      execute_process(COMMAND ${CMAKE_COMMAND} --build "${_jpeg_build}" --target jpeg-static -j2
                      OUTPUT_FILE "${_jpeg_prefix}-build.log" ERROR_FILE "${_jpeg_prefix}-build.log"
                      RESULT_VARIABLE _result)
    endif()
    if(NOT _result EQUAL 0)
      message(FATAL_ERROR "libjpeg: the MinGW build failed; see ${_jpeg_prefix}-*.log")
    endif()
    file(COPY "${_jpeg_source}/jpeglib.h" "${_jpeg_source}/jmorecfg.h" "${_jpeg_source}/jerror.h"
              "${_jpeg_build}/jconfig.h" DESTINATION "${_jpeg_prefix}/include")
    file(COPY "${_jpeg_source}/LICENSE.md" "${_jpeg_source}/README.ijg" DESTINATION "${_jpeg_prefix}/share")
    # The library last: its presence marks a complete build.
    file(COPY "${_jpeg_build}/libjpeg.a" DESTINATION "${_jpeg_prefix}/lib.tmp")
    file(RENAME "${_jpeg_prefix}/lib.tmp" "${_jpeg_prefix}/lib")
    file(REMOVE_RECURSE "${_jpeg_build}")
  endif()
  file(LOCK "${TAMIRU_DEPS_DIR}/libjpeg.lock" RELEASE)
endif()

add_library(tamiru_libjpeg STATIC IMPORTED GLOBAL)
set_target_properties(tamiru_libjpeg PROPERTIES
  IMPORTED_LOCATION "${_jpeg_library}"
  INTERFACE_INCLUDE_DIRECTORIES "${_jpeg_prefix}/include")

# The library's licence travels with the executables.
configure_file("${_jpeg_prefix}/share/LICENSE.md" "${CMAKE_BINARY_DIR}/bin/libjpeg-turbo-LICENSE.md" COPYONLY)
configure_file("${_jpeg_prefix}/share/README.ijg" "${CMAKE_BINARY_DIR}/bin/libjpeg-turbo-README.ijg" COPYONLY)
