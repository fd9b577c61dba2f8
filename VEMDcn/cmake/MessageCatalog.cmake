# vemdcn_add_message_catalog(<target> <catalogue name> <file>)
# Compiles a message catalogue file into <target>: at build time the file is
# turned into a C++ source that registers its text with QARMsgCatalog, so the
# file stays the single source of the texts.
set(VEMDCN_EMBED_CATALOG_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedCatalog.cmake)

function(vemdcn_add_message_catalog target name file)
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/msgcatalog/${name}_catalog.cpp)
  add_custom_command(
    OUTPUT ${generated}
    COMMAND ${CMAKE_COMMAND} -DCATALOG_NAME=${name} -DCATALOG_FILE=${file} -DOUTPUT=${generated}
            -P ${VEMDCN_EMBED_CATALOG_SCRIPT}
    DEPENDS ${file} ${VEMDCN_EMBED_CATALOG_SCRIPT}
    COMMENT "Compiling message catalogue ${name}"
    VERBATIM)
  target_sources(${target} PRIVATE ${generated})
endfunction()
