# Build flags shared by every target.
# Determinism: no fast-math, no fused multiply-add contraction, no host-specific
# instruction sets, so the same inputs give the same simulation on every machine.
add_compile_options(-ffp-contract=off -fno-fast-math)
add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(LV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Fuzzing: every library carries the fuzzer's coverage and the sanitizers, so
# the fuzz targets in tests/fuzz see the readers' branches and memory.
if(LV_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "LV_FUZZ needs clang's libFuzzer (CC=clang CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Helper for subsystem and platform libraries: the folder's sources, listed
# one by one, plus the project root on the include path, so game code includes
# "core/Vector3.h". PUBLIC_LIBS are those whose headers the library's own
# headers include; everything its sources alone include goes in PRIVATE_LIBS,
# so a library never hands its users more than its interface shows.
function(lv_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS;INCLUDES" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${ARG_INCLUDES})
  if(ARG_PUBLIC_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS})
  endif()
  if(ARG_PRIVATE_LIBS)
    target_link_libraries(${name} PRIVATE ${ARG_PRIVATE_LIBS})
  endif()
endfunction()
