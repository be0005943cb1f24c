# Building a plug-in: the effect's sources and the module areas it needs are
# compiled freestanding, linked into one relocatable object by module.ld,
# converted into an a.out image by aoutconv, and embedded in the shell.

execute_process(COMMAND ${CMAKE_C_COMPILER} -m32 -print-libgcc-file-name
                OUTPUT_VARIABLE VX_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE)
set(VX_MODULE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/module.ld)
set(VX_IMAGE_ASM ${CMAKE_CURRENT_LIST_DIR}/image.S.in)

# vx_add_plugin(NAME SOURCES src/kaxyz.cpp ... AREAS runtime water ...
#               [OUTPUT_DIR dir])
function(vx_add_plugin name)
  cmake_parse_arguments(P "" "OUTPUT_DIR" "SOURCES;AREAS" ${ARGN})
  add_library(${name}_objects OBJECT ${P_SOURCES})
  target_compile_options(${name}_objects PRIVATE ${VX_MODULE_FLAGS})
  target_include_directories(${name}_objects PRIVATE ${PROJECT_SOURCE_DIR})
  set(objects $<TARGET_OBJECTS:${name}_objects>)
  set(object_targets ${name}_objects)
  foreach(area ${P_AREAS})
    list(APPEND objects $<TARGET_OBJECTS:vxmod_${area}>)
    list(APPEND object_targets vxmod_${area})
  endforeach()
  set(dir ${CMAKE_CURRENT_BINARY_DIR})
  add_custom_command(
    OUTPUT ${dir}/${name}.rel.o
    COMMAND ld -m elf_i386 -r --force-group-allocation -T ${VX_MODULE_SCRIPT}
            -o ${dir}/${name}.rel.o ${objects} ${VX_LIBGCC}
    DEPENDS ${objects} ${object_targets} ${VX_MODULE_SCRIPT}
    COMMAND_EXPAND_LISTS VERBATIM
    COMMENT "Linking module ${name}")
  add_custom_command(
    OUTPUT ${dir}/${name}.aout
    COMMAND aoutconv ${dir}/${name}.rel.o ${dir}/${name}.aout
    DEPENDS aoutconv ${dir}/${name}.rel.o
    VERBATIM
    COMMENT "Converting module ${name} to a.out")
  vx_add_plugin_from_image(${name} ${dir}/${name}.aout OUTPUT_DIR ${P_OUTPUT_DIR})
endfunction()

# Any a.out image file made into a plug-in, loaded by the shell as it stands.
# Plug-ins go to the plug-in folder unless OUTPUT_DIR names another; only
# those in the plug-in folder are listed as the project's plug-ins.
function(vx_add_plugin_from_image name image)
  cmake_parse_arguments(P "" "OUTPUT_DIR" "" ${ARGN})
  set(VX_IMAGE_PATH ${image})
  set(asm ${CMAKE_CURRENT_BINARY_DIR}/${name}_image.S)
  configure_file(${VX_IMAGE_ASM} ${asm} @ONLY)
  set_source_files_properties(${asm} PROPERTIES OBJECT_DEPENDS ${image})
  add_library(${name} SHARED ${asm} $<TARGET_OBJECTS:vxshell>)
  target_link_libraries(${name} PRIVATE oplib oplibcommon m)
  target_link_options(${name} PRIVATE
    -Wl,--version-script=${PROJECT_SOURCE_DIR}/shell/exports.map -Wl,-z,noexecstack)
  if(P_OUTPUT_DIR)
    set(out ${P_OUTPUT_DIR})
  else()
    set(out ${VX_PLUGIN_DIR})
    set_property(GLOBAL APPEND PROPERTY VX_PLUGINS ${name})
  endif()
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
    LIBRARY_OUTPUT_DIRECTORY ${out})
endfunction()
