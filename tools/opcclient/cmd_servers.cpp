// opcclient servers: the OPC DA 2.0 servers a host offers.
//
// The library lists their ProgIDs and finds each CLSID; the description is
// the user type that the host's server list gives for the CLSID
// (IOPCServerList::GetClassDetails), asked here directly since the library
// keeps only the ProgID.
#include <memory>

#include "commands.h"
#include "errors.h"
#include "opcsim/simulator.h"
#include "text.h"

namespace opcclient {

namespace {

// The host's server list; REGDB_E_CLASSNOTREG when the host has none.
HRESULT ActivateServerList(const std::string& host, comown::com_ptr<IOPCServerList>& serverList) {
  comown::wide_string hostName = comown::to_wide(host);
  COSERVERINFO serverInfo = {};
  serverInfo.pwszName = hostName.data();
  const bool remote = !host.empty() && host != "localhost";
  MULTI_QI entry = {&IID_IOPCServerList, nullptr, S_OK};
  HRESULT hr = CoCreateInstanceEx(CLSID_OpcServerList, nullptr, CLSCTX_SERVER, remote ? &serverInfo : nullptr, 1, &entry);
  if (SUCCEEDED(hr)) hr = entry.hr;
  serverList = comown::com_ptr<IOPCServerList>(static_cast<IOPCServerList*>(entry.pItf), comown::attach);
  return hr;
}

std::string ClsidText(const GUID& clsid) {
  WCHAR text[40] = {};
  return StringFromGUID2(clsid, text, 40) > 0 ? comown::to_utf8(text) : std::string();
}

std::string Description(IOPCServerList* serverList, const GUID& clsid) {
  comown::task_string progId, userType;
  if (serverList == nullptr || FAILED(serverList->GetClassDetails(clsid, progId.put(), userType.put())))
    return std::string();
  return comown::to_utf8(userType.get());
}

Row ServerRow(VEMDcnOpcClient& client, IOPCServerList* serverList, const QARUnicodeString& progId) {
  // GetOpcServerCLSID takes a writable string.
  std::vector<WCHAR> name(progId.GetWChar(), progId.GetWChar() + progId.GetLengthInChar() + 1);
  GUID clsid = GUID_NULL;
  if (FAILED(client.GetOpcServerCLSID(reinterpret_cast<unsigned short*>(name.data()), clsid)))
    return {Utf8(progId), nullptr, nullptr};
  const std::string description = Description(serverList, clsid);
  return {Utf8(progId), description.empty() ? Cell() : Cell(description), ClsidText(clsid)};
}

void WriteServers(const Listing& listing, Format format, Console& console) {
  if (listing.Size() == 0 && format == Format::Table)
    console.out << "(no OPC DA 2.0 server)\n";
  else
    listing.Write(console.out, format);
}

}  // namespace

int ListServers(const ServerChoice& choice, bool simulator, Format format, Console& console) {
  // Only when asked for: its in-process server list would hide the machine's own.
  std::unique_ptr<opcsim::Simulator> embedded;
  if (simulator && !(embedded = StartSimulator(choice, console))) return kRefused;

  Listing listing({{"ProgID", "progId"}, {"Description", "description"}, {"CLSID", "clsid"}});
  comown::com_ptr<IOPCServerList> serverList;
  if (ActivateServerList(choice.host, serverList) == REGDB_E_CLASSNOTREG) {
    console.err << "opcclient: " << (choice.host.empty() ? std::string("this machine") : choice.host)
                << " has no OPC server list, so no server to list (--sim lists the embedded simulator)\n";
    WriteServers(listing, format, console);
    return kSucceeded;
  }

  VEMDcnOpcClient client;
  client.SetHostName(Text(choice.host));
  QARListValQARUnicodeString* progIds = nullptr;  // created by the client, owned here
  const long hr = client.GetOpcServerList(&progIds);
  const std::unique_ptr<QARListValQARUnicodeString> owned(progIds);
  int code = kSucceeded;
  if (FAILED(hr)) {
    code = ReportFailure(console, "listing the servers", hr);
  } else {
    for (int i = 1; progIds != nullptr && i <= progIds->Size(); ++i)
      listing.Add(ServerRow(client, serverList.get(), (*progIds)[i]));
    WriteServers(listing, format, console);
  }
  // Balances the listing's COM start-up. A client that listed servers without
  // connecting to one stops with E_POINTER, which says nothing here.
  client.OpcStop();
  return code;
}

}  // namespace opcclient
