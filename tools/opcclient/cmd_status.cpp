// opcclient status: vendor, version and state of a server.
#include "commands.h"
#include "errors.h"
#include "text.h"

namespace opcclient {

int ShowStatus(const ServerChoice& choice, Console& console) {
  Session session;
  if (const int code = session.Open(choice, console)) return code;
  QARUnicodeString status, state;
  const long hr = session.Client().GetServerStatus(status, state);
  if (FAILED(hr)) return ReportFailure(console, "reading the status", hr);
  console.out << "Server:  " << session.Server() << " on "
              << (session.Host().empty() ? std::string("this machine") : session.Host()) << "\n"
              << "Status:  " << Utf8(status) << "\n"
              << "State:   " << Utf8(state) << "\n";
  return session.Close(console);
}

}  // namespace opcclient
