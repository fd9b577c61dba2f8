// Message catalogues: named sets of texts looked up by key.
//
// A catalogue is a UTF-8 text file, one entry a line:
//   # comment
//   VEMOPCERR13 = Cannot start the OPC server /p1: /p2
//   Heading     = "[System] "        quotes keep blanks at the ends
// Blanks around the key and the text are dropped; \n, \t, \" and \\ in a text
// stand for a line feed, a tab, a quote and a backslash. The parameters of a
// message are written /p1 to /p4.
//
// A library compiles its catalogue in (RegisterCatalog, usually through a
// generated QARMsgCatalogRegistration), so its texts need nothing installed.
// When the environment variable QAR_MSGCATALOG_PATH names a directory, the
// file <catalogue>.cat there overrides the compiled-in entries key by key.
#pragma once

#include "QARUnicodeString.h"
#include "VEMDcnExport.h"

class VEMDCN_EXPORT QARMsgCatalog {
 public:
  // The text of key in catalog with /p1../p4 replaced by parameters[0..count-1]
  // (a placeholder beyond count becomes empty); defaultText, unchanged, when
  // the catalogue has no such key. parameters may be null when count is 0.
  static QARUnicodeString BuildMessage(const char* catalog, const char* key, const QARUnicodeString* parameters,
                                       int count, const QARUnicodeString& defaultText);
  // The raw text of key; 1 when found, else 0 (text unchanged).
  static int GetText(const char* catalog, const char* key, QARUnicodeString& text);
  // Replaces /p1../p4 in text.
  static QARUnicodeString Substitute(const QARUnicodeString& text, const QARUnicodeString* parameters, int count);
  // Registers (or replaces) the compiled-in entries of a catalogue, given as
  // the content of a catalogue file.
  static HRESULT RegisterCatalog(const char* catalog, const char* fileContent);
  // Forgets the override files read so far; the next lookup reads them again.
  static void FlushCache();
};

// Registers a compiled-in catalogue while the module that holds it loads.
struct QARMsgCatalogRegistration {
  QARMsgCatalogRegistration(const char* catalog, const char* fileContent) {
    QARMsgCatalog::RegisterCatalog(catalog, fileContent);
  }
};
