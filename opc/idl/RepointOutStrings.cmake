# Corrects a proxy file that widl generated with -Oif:
#   cmake -DPROXY_FILE=<name>_p.c -P RepointOutStrings.cmake
#
# For an out-parameter that the stub allocates itself (the format string's
# "srv size"), the parameter's type offset must name the reference pointer
# that is the parameter, as MIDL writes it. For a string reached through that
# pointer ([out, string] LPWSTR*, [out] LPOLESTR*) widl names the string's own
# unique pointer instead: the client stub then unmarshals the string into a
# temporary, and the caller gets null with S_OK. This script points each such
# parameter back at the reference pointer in front of its string, then checks
# that every out-parameter of that kind names a reference pointer, so that a
# widl that goes wrong in another way stops the build instead of the calls.
if(NOT PROXY_FILE)
  message(FATAL_ERROR "RepointOutStrings: set PROXY_FILE")
endif()
file(READ ${PROXY_FILE} content)

# A reference pointer in front of a string:
#   /* 54 (LPWSTR *) */  0x11, 0x14,  FC_RP [allocated_on_stack] [pointer_deref]
#                        NdrFcShort(0x2), /* Offset= 2 (58) */
set(reference_pointer
    "/\\* ([0-9]+) \\([^)]*\\) \\*/\n[ \t]*0x11, 0x14,[^\n]*\n[ \t]*NdrFcShort\\(0x2\\),[ \t]*/\\* Offset= 2 \\(([0-9]+)\\) \\*/")
string(REGEX MATCHALL "${reference_pointer}" pointers "${content}")
set(repointed 0)
foreach(pointer IN LISTS pointers)
  string(REGEX REPLACE "${reference_pointer}" "\\1" at "${pointer}")
  string(REGEX REPLACE "${reference_pointer}" "\\2" target "${pointer}")
  math(EXPR at_hex "${at}" OUTPUT_FORMAT HEXADECIMAL)
  math(EXPR target_hex "${target}" OUTPUT_FORMAT HEXADECIMAL)
  # Parameter descriptions: flags, stack offset, type offset, one line each.
  set(parameter "(srv size=[0-9]+ \\*/\n[^\n]*\n[ \t]*)NdrFcShort\\(${target_hex}\\),([ \t]*)/\\* type offset = ${target} \\*/")
  string(REGEX MATCHALL "${parameter}" found "${content}")
  list(LENGTH found n)
  math(EXPR repointed "${repointed} + ${n}")
  string(REGEX REPLACE "${parameter}" "\\1NdrFcShort(${at_hex}),\\2/* type offset = ${at} (repointed) */" content
         "${content}")
endforeach()

# Every out-parameter the stub allocates, other than a base type or a simple
# reference, must now name a reference pointer (FC_RP, 0x11).
set(allocated "/\\* flags: ([^*]*)srv size=[0-9]+ \\*/\n[^\n]*\n[ \t]*NdrFcShort\\(0x[0-9a-f]+\\),[ \t]*/\\* type offset = ([0-9]+)")
string(REGEX MATCHALL "${allocated}" parameters "${content}")
foreach(parameter IN LISTS parameters)
  string(REGEX REPLACE "${allocated}" "\\1" flags "${parameter}")
  string(REGEX REPLACE "${allocated}" "\\2" offset "${parameter}")
  if(flags MATCHES "simple ref|base type")
    continue()
  endif()
  if(NOT content MATCHES "/\\* ${offset}( \\([^)]*\\))? \\*/\n[ \t]*0x11,")
    message(FATAL_ERROR "${PROXY_FILE}: an allocated out-parameter (type offset ${offset}) does not name its reference pointer")
  endif()
endforeach()

file(WRITE ${PROXY_FILE} "${content}")
message(STATUS "${PROXY_FILE}: ${repointed} out-string parameter(s) repointed")
