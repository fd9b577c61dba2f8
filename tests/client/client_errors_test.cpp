// Failure translation: what an error object says about a failed call.
#include "QARApplicationFrame.h"
#include "QARCOMErrors.h"
#include "QARMsgCatalog.h"
#include "client_test_support.h"
#include "opcerror.h"

using namespace clienttest;

namespace {

std::string Catalog(const char* key) {
  return Utf8(QARMsgCatalog::BuildMessage("VEMDcnOpcClient", key, nullptr, 0, QARUnicodeString()));
}

struct Translated {
  std::string key;
  unsigned int id;
  std::vector<std::string> p;  // heading, severity, context, description
};

Translated Inspect(VEMDcnOpcError* error) {
  Translated t{error->GetMsgId(), error->GetId(), {}};
  for (int i = 1; i <= error->GetNLSParameterCount(); ++i) t.p.push_back(Utf8(error->GetNLSParameter(i)));
  error->Release();
  return t;
}

class ErrorTranslationTest : public ClientTest {};

// Server codes (facility 4, or 16 and above) take their severity from the top
// bits; system codes are errors described by the platform.
TEST_F(ErrorTranslationTest, SeverityAndDescriptionFollowTheCode) {
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  const struct {
    unsigned long hr;
    const char* severity;
    unsigned int id;
    bool system;
  } cases[] = {{0x00040005, "VEMOPCERR03", 4, false}, {0x40040005, "VEMOPCERR04", 4, false},
               {0x80040005, "VEMOPCERR05", 3, false}, {0xC0040007, "VEMOPCERR06", 2, false},
               {0x81000001, "VEMOPCERR05", 3, false}, {0x80004005, "VEMOPCERR06", 2, true},
               {0x00000001, "VEMOPCERR06", 2, true},  {0x80070005, "VEMOPCERR06", 2, true}};
  for (const auto& c : cases) {
    const long hr = static_cast<long>(c.hr);
    const Translated t = Inspect(view.GetError(hr, "Call()"));
    EXPECT_EQ("VEMOPCERR02", t.key);
    EXPECT_EQ(c.id, t.id) << std::hex << c.hr;
    EXPECT_EQ(c.id, view.ErrorId());
    ASSERT_EQ(4u, t.p.size());
    EXPECT_EQ(Catalog(c.severity), t.p[1]) << std::hex << c.hr;
    EXPECT_EQ("Call()", t.p[2]);
    if (c.system) {
      EXPECT_EQ(Catalog("VEMOPCERR07"), t.p[0]);
      ASSERT_FALSE(t.p[3].empty());
      EXPECT_TRUE(t.p[3].back() != '\n' && t.p[3].back() != '\r') << t.p[3];
    }
  }
}

TEST_F(ErrorTranslationTest, ComErrorOfTheFrameworkDescribesASystemCode) {
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  QARCOMErrors::KeepAsLastError(E_FAIL, "the framework's own words", nullptr);
  const Translated t = Inspect(view.GetError(E_FAIL, "Call()"));
  EXPECT_NE(std::string::npos, t.p[3].find("the framework's own words"));
  QARError* left = QARError::QARGetLastError(E_FAIL, nullptr);
  EXPECT_EQ(nullptr, left);
}

TEST_F(ErrorTranslationTest, FallbackTextsWhenThePlatformHasNone) {
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  EXPECT_EQ("IDispatch error #119", Inspect(view.GetError(static_cast<long>(0x80040277), "x")).p[3]);
  EXPECT_EQ("Unknown error 0x80040200", Inspect(view.GetError(static_cast<long>(0x80040200), "x")).p[3]);
  EXPECT_EQ("Unknown error 0xC0041234", Inspect(view.GetError(static_cast<long>(0xC0041234), "x")).p[3]);
}

TEST_F(ErrorTranslationTest, ConnectedServerDescribesItsOwnCodes) {
  opcsim::Simulator sim;
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  ASSERT_EQ(S_OK, client.OpcStart("OpcSim.DAServer.1", "", 100, 0.0f));
  const Translated t = Inspect(view.GetError(OPC_E_UNKNOWNITEMID, "AddItems()"));
  EXPECT_EQ(Catalog("VEMOPCERR08"), t.p[0]);
  EXPECT_FALSE(t.p[3].empty());
  EXPECT_EQ(std::string::npos, t.p[3].find('\n'));
  const opcsim::Call asked = sim.Calls().Last("IOPCServer::GetErrorString");
  EXPECT_EQ("0xC0040007", asked.Arg("error"));
  EXPECT_EQ("2048", asked.Arg("lcid"));

  sim.Faults().Add(opcsim::Fault::Fail("IOPCServer::GetErrorString", E_FAIL));
  const Translated unknown = Inspect(view.GetError(static_cast<long>(0xC0041234), "x"));
  EXPECT_EQ(Catalog("VEMOPCERR07"), unknown.p[0]);
  EXPECT_EQ("Unknown error 0xC0041234", unknown.p[3]);
  EXPECT_EQ(S_OK, client.OpcStop());
}

TEST_F(ErrorTranslationTest, ApplicationNameBecomesTheSourceContext) {
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  {
    QARApplicationFrame frame("Plant Supervisor");
    VEMDcnOpcError* error = view.GetError(E_FAIL, "x");
    EXPECT_STREQ("Plant Supervisor", error->GetSourceContext());
    error->Release();
  }
  VEMDcnOpcError* error = view.GetError(E_FAIL, "x");
  EXPECT_STREQ("", error->GetSourceContext() ? error->GetSourceContext() : "");
  error->Release();
}

}  // namespace
