# Writes OUTPUT, a header listing every method name the library's sources in
# SOURCE_DIR call through a pointer ("->Name("), with the number of such
# call sites:
#   cmake -DOUTPUT=<header> -DSOURCE_DIR=<folder> -P library_calls.cmake
# The fault sweep keeps those names that a server serves and fails when one
# of them is reached by none of its scenarios.
file(GLOB SOURCES ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h)
set(names "")
foreach(source ${SOURCES})
  file(READ ${source} text)
  # Calls only: not the contexts of error texts, not comments.
  string(REGEX REPLACE "\"[^\"\n]*\"" "\"\"" text "${text}")
  string(REGEX REPLACE "//[^\n]*" "" text "${text}")
  string(REGEX MATCHALL "->[ \t\r\n]*[A-Za-z_][A-Za-z0-9_]*[ \t\r\n]*\\(" calls "${text}")
  foreach(call ${calls})
    string(REGEX REPLACE "^->[ \t\r\n]*([A-Za-z0-9_]+).*" "\\1" name "${call}")
    if(NOT DEFINED sites_${name})
      set(sites_${name} 0)
      list(APPEND names ${name})
    endif()
    math(EXPR sites_${name} "${sites_${name}} + 1")
  endforeach()
endforeach()
list(SORT names)
set(body "// Generated from the library's sources: method name, call sites.\n#pragma once\n\n")
string(APPEND body "struct LibraryCall {\n  const char* method;\n  int sites;\n};\n\n")
string(APPEND body "inline const LibraryCall kLibraryCalls[] = {\n")
foreach(name ${names})
  string(APPEND body "    {\"${name}\", ${sites_${name}}},\n")
endforeach()
string(APPEND body "};\n")
# Rewritten only when it changes, so that the sweep is rebuilt only then.
file(CONFIGURE OUTPUT ${OUTPUT} CONTENT "${body}" @ONLY)
