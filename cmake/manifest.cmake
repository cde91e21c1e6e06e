# Application manifests name the processor architecture of the program they belong to: a
# 64-bit program whose manifest says "x86" does not start on Windows (a side-by-side error).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(LNX_MANIFEST_ARCHITECTURE amd64)
else()
  set(LNX_MANIFEST_ARCHITECTURE x86)
endif()

# lnx_add_manifest(<target> <template.manifest.in>)
# Makes <name>.manifest (without ".in") from the template with this build's architecture,
# in a folder of the target's own that the resource compiler searches.
function(lnx_add_manifest target template)
  get_filename_component(name ${template} NAME_WLE)
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}_manifest)
  configure_file(${template} ${folder}/${name} @ONLY)
  target_include_directories(${target} PRIVATE $<$<COMPILE_LANGUAGE:RC>:${folder}>)
  # The resource script names the manifest only as a resource file, which no dependency
  # scan sees.
  get_target_property(sources ${target} SOURCES)
  list(FILTER sources INCLUDE REGEX "\\.rc$")
  set_property(SOURCE ${sources} APPEND PROPERTY OBJECT_DEPENDS ${folder}/${name})
endfunction()
