# Everything is 32-bit x86 with plain IEEE single and double arithmetic.
set(VX_ARCH_FLAGS -m32 -msse2 -mfpmath=sse -ffp-contract=off)
string(JOIN " " _arch ${VX_ARCH_FLAGS})
foreach(lang C CXX ASM)
  set(CMAKE_${lang}_FLAGS "${CMAKE_${lang}_FLAGS} ${_arch}")
endforeach()
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS "${CMAKE_${kind}_LINKER_FLAGS} -m32")
endforeach()
add_compile_options(-Wall -Wextra)

# Module code: freestanding, no exceptions, no RTTI, no static constructors,
# runnable on a stack that is only 4-byte aligned.
set(VX_MODULE_FLAGS
  -O2 -fno-pic -ffreestanding -fno-builtin -fno-exceptions -fno-rtti
  -fno-threadsafe-statics -fno-stack-protector -fno-asynchronous-unwind-tables
  -fno-common -mincoming-stack-boundary=2 -g0)

set(VX_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer)

# Ordinary (hosted) code: the sanitizers when asked for.
function(vx_native target)
  if(VX_SANITIZE)
    target_compile_options(${target} PRIVATE ${VX_SANITIZE_FLAGS})
    target_link_options(${target} PUBLIC ${VX_SANITIZE_FLAGS})
  endif()
endfunction()

# The same module sources built twice: freestanding objects for the plug-in
# images (vxmod_<area>) and an ordinary static library for tests (vx<area>).
function(vx_module_library area)
  cmake_parse_arguments(L "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(vxmod_${area} OBJECT ${L_SOURCES})
  target_compile_options(vxmod_${area} PRIVATE ${VX_MODULE_FLAGS})
  target_include_directories(vxmod_${area} PRIVATE ${PROJECT_SOURCE_DIR})
  add_library(vx${area} STATIC ${L_SOURCES})
  target_include_directories(vx${area} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(vx${area} PUBLIC ${L_DEPENDS})
  vx_native(vx${area})
endfunction()
