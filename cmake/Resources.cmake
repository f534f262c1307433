# The program's own resources come from one list (resources/CMakeLists.txt), entries
# "NAME|TYPE|file". Windows builds compile it into a resource script linked into each
# executable, so the real resource API finds it in the module itself; the native build
# embeds the same bytes in a table that stands in for that API.

# Adds the program's resources to an executable target.
function(tessaly_link_module_resources target)
  if(WIN32)
    target_sources(${target} PRIVATE ${TESSALY_RESOURCE_SCRIPT})
    # Some resources (the certificates) are generated at build time.
    add_dependencies(${target} tessaly_root_certificates)
  else()
    target_link_libraries(${target} PRIVATE tessaly_embedded_resources)
  endif()
endfunction()
