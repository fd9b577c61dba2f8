// The browse position and item identifiers: availability, the return to the
// root, and the fully qualified form of a short name.
#include <opcerror.h>

#include "browse_test_support.h"

using namespace browsetest;
using opcsim::Fault;

namespace {

class BrowsePositionTest : public BrowseTest {
 protected:
  // The qualified ID of a name, "(null)" when none came back.
  std::string Qualified(const char* name, long* hr) {
    const comown::wide_string wide = comown::to_wide(name);
    unsigned short* id = reinterpret_cast<unsigned short*>(this);  // must be overwritten
    *hr = client->GetFullyQualifiedItem(reinterpret_cast<const unsigned short*>(wide.c_str()), id);
    if (id == nullptr) return "(null)";
    const std::string text = comown::to_utf8(reinterpret_cast<const WCHAR*>(id));
    delete[] id;
    return text;
  }
};

TEST_F(BrowsePositionTest, BrowserIsAvailableUnlessTheServerLacksTheInterface) {
  for (const bool browse : {true, false}) {
    opcsim::ServerClass serverClass;
    serverClass.browse = browse;
    VEMDcnOpcClient idle;
    EXPECT_EQ(1, idle.OPCBrowserIsAvailable());
    Start(WithClass(serverClass));
    EXPECT_EQ(browse ? 1 : 0, client->OPCBrowserIsAvailable());
    EXPECT_EQ(browse ? S_OK : E_FAIL, client->BrowseToRoot());
    EXPECT_EQ(S_OK, client->OpcStop());
  }
  EXPECT_TRUE(log.Lines().empty());
}

TEST_F(BrowsePositionTest, ReturnToRootClimbsWhenTheServerRefusesTheDirectWay) {
  Start();
  ASSERT_EQ(S_OK, View().Browse()->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("A.B")));
  EXPECT_EQ(S_OK, client->BrowseToRoot());
  EXPECT_EQ("", Position());

  ASSERT_EQ(S_OK, View().Browse()->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("A.B")));
  sim->Calls().Clear();
  sim->Faults().Add(On(Fault::Fail(kChange, E_INVALIDARG), "direction", "to"));
  // The root is where a step up is refused; that refusal is the result.
  const long hr = client->BrowseToRoot();
  EXPECT_EQ(E_FAIL, hr);
  EXPECT_FALSE(clienttest::Reported(hr).present);
  EXPECT_EQ((std::vector<std::string>{"to", "up", "up", "up"}), Args(kChange, "direction"));
  EXPECT_EQ((std::vector<std::string>{"", "", "", ""}), Args(kChange, "name"));
  sim->Faults().Clear();
  EXPECT_EQ("", Position());
}

TEST_F(BrowsePositionTest, QualifiedIdIsTheFirstThatHasTheNameAfterItsStart) {
  opcsim::Options options;
  options.space = Space("Temp I4 R\nTemperature I4 R\nA.B.Temp I4 R\nC.Temp I4 R\nD.Level I4 R\n");
  Start(options);
  long hr = E_UNEXPECTED;
  // Temp itself starts with the name and is never the answer.
  EXPECT_EQ("A.B.Temp", Qualified("Temp", &hr));
  EXPECT_EQ(S_OK, hr);
  const opcsim::Call browse = sim->Calls().Last(kBrowse);
  EXPECT_EQ("flat", browse.Arg("type"));
  EXPECT_EQ("*Temp", browse.Arg("filter"));
  EXPECT_EQ("0", browse.Arg("dataType"));
  EXPECT_EQ("0", browse.Arg("accessRights"));
  EXPECT_EQ(1u, Count("IEnumString::Reset"));

  EXPECT_EQ("(null)", Qualified("Pressure", &hr));
  EXPECT_EQ(E_FAIL, hr);
  EXPECT_FALSE(clienttest::Reported(hr).present);
  EXPECT_EQ("D.Level", Qualified("Level", &hr));
  // The listing is taken below the current position.
  ASSERT_EQ(S_OK, View().Browse()->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("C")));
  EXPECT_EQ("C.Temp", Qualified("Temp", &hr));
  EXPECT_EQ("(null)", Qualified("Level", &hr));
}

TEST_F(BrowsePositionTest, QualifiedIdFailures) {
  struct Case {
    const char* what;
    Fault fault;
    const char* context;  // null: a bare code
    long result;
  };
  const std::vector<Case> cases = {
      {"listing fails", Fault::Fail(kBrowse, OPC_E_INVALIDFILTER), "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", 0},
      {"listing without enumerator", Fault::NullOut(kBrowse), "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", 0},
      {"Reset fails", Fault::Fail(kReset, E_UNEXPECTED), nullptr, E_UNEXPECTED},
      {"Next fails", Fault::Fail(kNext, E_UNEXPECTED).OnCall(2), "Empty opiEnumString", 0},
  };
  opcsim::Options options;
  options.space = Space("Temp I4 R\nX.Temperature I4 R\nA.Temp I4 R\n");
  Start(options);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim->Faults().Clear();
    sim->Faults().Add(c.fault);
    long hr = S_OK;
    EXPECT_EQ("(null)", Qualified("Temp", &hr));
    if (c.context == nullptr) {
      EXPECT_EQ(c.result, hr);
      EXPECT_FALSE(clienttest::Reported(hr).present);
    } else {
      ExpectErrors(hr, {c.context});
    }
  }
  EXPECT_EQ(E_POINTER, [&] {
    unsigned short* id = nullptr;
    return client->GetFullyQualifiedItem(nullptr, id);
  }());
  EXPECT_EQ(std::vector<std::string>{"Invalid NULL input pointer"}, log.Lines());
}

}  // namespace
