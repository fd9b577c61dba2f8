// host: a host application of the OPC DA client library, built against the
// installed package.
//
//   host [--server PROGID] [--host NAME] [--items PATTERN]
//
// Starts a client on a server, shows the server's status, lists the OPC DA
// servers of the server's machine, lists the read-write VT_I4 items whose ID
// matches the pattern (default *Speed), defines a group of them, reads it,
// writes each value plus one, reads it again and stops the client; every
// failure is reported with the library's error object. Built with a library
// build tree's simulation server (see CMakeLists.txt), it uses that server
// when none is named.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "QARError.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcItem.h"
#include "VEMDcnVersion.h"
#ifdef HOST_EMBEDS_SIMULATOR
#include "opcsim/simulator.h"
#endif

namespace {

std::string Utf8(const QARUnicodeString& text) { return text.ConvertToChar().ConvertToChar(); }

QARUnicodeString Text(const std::string& utf8) {
  QARUnicodeString text;
  text.BuildFromUTF8(utf8.c_str());
  return text;
}

// A failed call keeps its error object as the thread's last error, under the
// code the call returned: fetch it with that code, show its message (texts
// from the message catalogue), release it and clear the last error.
void Report(const char* what, long hr) {
  std::fprintf(stderr, "host: %s failed (0x%08X)", what, static_cast<unsigned>(hr));
  if (QARError* error = QARError::QARGetLastError(hr, nullptr)) {
    std::fprintf(stderr, ": %s", Utf8(error->GetNLSMessage()).c_str());
    error->Release();
    QARError::QARCleanLastError();
  }
  std::fputc('\n', stderr);
}

// What the steps share: the client, and what earlier steps found.
struct Session {
  VEMDcnOpcClient client;
  std::string itemPattern;
  std::vector<std::string> items;  // item IDs listed, sorted
  unsigned long group = 0;         // the server's handle of the group defined
};

long ShowStatus(Session& session) {
  QARUnicodeString status, state;
  const long hr = session.client.GetServerStatus(status, state);
  if (SUCCEEDED(hr)) std::cout << "Status:  " << Utf8(status) << "\nState:   " << Utf8(state) << "\n";
  return hr;
}

long ListServers(Session& session) {
  QARListValQARUnicodeString* servers = nullptr;  // created by the client, owned by the host
  const long hr = session.client.GetOpcServerList(&servers);
  const std::unique_ptr<QARListValQARUnicodeString> owned(servers);
  if (FAILED(hr)) return hr;
  std::cout << "Servers:";
  for (int i = 1; servers != nullptr && i <= servers->Size(); ++i) std::cout << " " << Utf8((*servers)[i]);
  std::cout << (servers == nullptr ? " (none)\n" : "\n");
  return hr;
}

// The dictionary and its items belong to the host: the dictionary only
// refers to the items, so both are deleted here.
void DeleteItems(QARHashDicVEMDcnOpcItem* items) {
  if (items == nullptr) return;
  QARHashCodeIter entry(items->GetDico());
  while (entry.Next()) delete static_cast<VEMDcnOpcItem*>(entry.GetValue());
  delete items;
}

long ListItems(Session& session) {
  QARHashDicVEMDcnOpcItem* items = nullptr;  // created by the client when an item matches
  const long hr = session.client.GetOpcItemsList(Text(session.itemPattern), VT_I4, "Readable/Writable", &items);
  if (items != nullptr) {
    QARHashCodeIter entry(items->GetDico());
    while (entry.Next()) session.items.push_back(Utf8(entry.GetKey()));
  }
  DeleteItems(items);
  if (FAILED(hr)) return hr;
  std::sort(session.items.begin(), session.items.end());
  std::cout << "Items:  ";
  for (const std::string& item : session.items) std::cout << " " << item;
  std::cout << (session.items.empty() ? " (none)\n" : "\n");
  return hr;
}

long DefineGroup(Session& session) {
  if (session.items.empty()) return S_OK;
  std::vector<comown::wide_string> names;
  std::vector<const unsigned short*> itemIDs;
  for (const std::string& item : session.items) names.push_back(comown::to_wide(item));
  for (const auto& name : names) itemIDs.push_back(reinterpret_cast<const unsigned short*>(name.c_str()));
  // The values are wanted as VT_I4; only the type tag of each entry is read.
  std::vector<VARIANT> types(itemIDs.size());
  for (VARIANT& type : types) type.vt = VT_I4;
  comown::wide_string groupName = comown::to_wide("host");
  const unsigned char useGIT = 0, active = 1, asyncWrite = 0;
  const long hr = session.client.DefineGroup(reinterpret_cast<unsigned short*>(groupName.data()),
                                             static_cast<unsigned long>(itemIDs.size()), nullptr, itemIDs.data(),
                                             types.data(), session.group, useGIT, active, asyncWrite);
  if (SUCCEEDED(hr)) std::cout << "Group:   " << itemIDs.size() << " items\n";
  return hr;
}

// One VARIANT a group item. A read hands the host values it owns: held by
// comown::com_variant, which is laid out as a VARIANT, a vector of them is the
// array the library reads into and writes from, and clears them when it goes.
using Values = std::vector<comown::com_variant>;
VARIANT* Array(Values& values) { return values.front().get(); }

void Print(const char* label, const Values& values) {
  std::cout << label;
  for (const comown::com_variant& value : values) std::cout << " " << Utf8(VEMDcnOpcItem::Variant2String(*value));
  std::cout << "\n";
}

long ReadGroup(Session& session) {
  if (session.group == 0) return S_OK;
  Values values(session.items.size());
  const unsigned char useGIT = 0;
  const long hr = session.client.SyncReadGroup(session.group, Array(values), useGIT, OPC_DS_DEVICE);
  if (SUCCEEDED(hr)) Print("Read:   ", values);
  return hr;
}

// Each value read, plus one.
long WriteGroup(Session& session) {
  if (session.group == 0) return S_OK;
  Values values(session.items.size());
  const unsigned char useGIT = 0;
  long hr = session.client.SyncReadGroup(session.group, Array(values), useGIT, OPC_DS_DEVICE);
  if (FAILED(hr)) return hr;
  for (comown::com_variant& value : values)
    if (value.vt() == VT_I4) ++value.get()->lVal;
  hr = session.client.SyncWriteGroup(session.group, Array(values), useGIT);
  if (SUCCEEDED(hr)) Print("Written:", values);
  return hr;
}

// What the host does with a started client, in order.
struct Step {
  const char* what;
  long (*run)(Session&);
};
const Step kSteps[] = {
    {"reading the server status", ShowStatus},
    {"listing the servers", ListServers},
    {"listing the items", ListItems},
    {"defining the group", DefineGroup},
    {"reading the group", ReadGroup},
    {"writing the group", WriteGroup},
    {"reading the group again", ReadGroup},
};

// One session: start, every step, stop. The destructor would stop the client
// too, but only OpcStop returns a result to check.
int RunSession(const std::string& server, const std::string& host, const std::string& itemPattern) {
  Session session;
  session.itemPattern = itemPattern;
  VEMDcnOpcClient& client = session.client;
  long hr = client.OpcStart(Text(server), Text(host), 1000, 0.0f);
  if (FAILED(hr)) {
    Report("starting the client", hr);
    client.OpcStop();  // a start that failed half-way may leave the client connected
    return 1;
  }
  std::cout << "Server:  " << server << " on " << (host.empty() ? "this machine" : host) << "\n";
  int failed = 0;
  for (const Step& step : kSteps) {
    hr = step.run(session);
    if (FAILED(hr)) {
      Report(step.what, hr);
      ++failed;
    }
  }
  hr = client.OpcStop();
  if (FAILED(hr)) {
    Report("stopping the client", hr);
    ++failed;
  }
  return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string server, host, itemPattern = "*Speed";
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if ((option == "--server" || option == "--host" || option == "--items") && i + 1 < argc) {
      (option == "--server" ? server : option == "--host" ? host : itemPattern) = argv[++i];
    } else {
      std::cerr << "usage: host [--server PROGID] [--host NAME] [--items PATTERN]\n";
      return 2;
    }
  }
  // The headers this program was compiled with against the library it loaded.
  std::cout << "Library: VEMDcnOpcClient " << VEMDcnOpcClientVersion() << "\n";
  if (std::strcmp(VEMDcnOpcClientVersion(), VEMDCN_VERSION) != 0)
    std::cerr << "host: built with the headers of version " VEMDCN_VERSION "\n";

  // The thread stays in one single-threaded apartment while it has clients;
  // OpcStart enters the same apartment again.
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::cerr << "host: cannot enter COM\n";
    return 1;
  }
  int code = 2;
  {
#ifdef HOST_EMBEDS_SIMULATOR
    // Registered in this process and apartment for as long as it lives.
    std::unique_ptr<opcsim::Simulator> simulator;
    if (server.empty()) {
      simulator = std::make_unique<opcsim::Simulator>();
      server = simulator->ProgId();
    }
#endif
    if (server.empty())
      std::cerr << "host: name a server with --server PROGID\n";
    else
      code = RunSession(server, host, itemPattern);
  }
  CoUninitialize();
  return code;
}
