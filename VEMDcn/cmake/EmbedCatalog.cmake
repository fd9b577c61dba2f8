# Script mode (cmake -P): writes OUTPUT, a C++ source holding the catalogue
# file CATALOG_FILE as one raw string registered under CATALOG_NAME.
file(READ ${CATALOG_FILE} content)
string(FIND "${content}" ")QARCATALOG\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${CATALOG_FILE} contains the raw-string delimiter )QARCATALOG\"")
endif()
file(WRITE ${OUTPUT}
"// Generated from the message catalogue ${CATALOG_NAME}; edit the catalogue file instead.
#include \"QARMsgCatalog.h\"

namespace {

const char kCatalogText[] = R\"QARCATALOG(${content})QARCATALOG\";
const QARMsgCatalogRegistration registration(\"${CATALOG_NAME}\", kCatalogText);

}  // namespace
")
