// Translations between OPC type codes, access rights and the host's vocabulary.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QARMsgCatalog.h"
#include "QARRawCollVARTYPE.h"
#include "VEMDcnOpcItem.h"
#include "VEMDcnOpcItemVocabulary.h"
#include "opcda.h"

namespace {

std::string Utf8(const QARUnicodeString& text) { return text.ConvertToChar().ConvertToChar(); }

struct TypeRow {
  VARTYPE code;
  const char* pelType;
  const char* opcType;
};

// Every code either table knows, and a sample of the ones they do not.
const TypeRow kRows[] = {
    {VT_I1, "int8", "VT_I1"},
    {VT_UI1, "uint8", "VT_UI1"},
    {VT_I2, "int16", "VT_I2"},
    {VT_UI2, "uint16", "VT_UI2"},
    {VT_I4, "int32", "VT_I4"},
    {VT_UI4, "uint32", "VT_UI4"},
    {VT_I8, "int64", "VT_I8"},
    {VT_UI8, "uint64", "VT_UI8"},
    {VT_R4, "float32", "VT_R4"},
    {VT_R8, "float64", "VT_R8"},
    {VT_BOOL, "bool", "VT_BOOL"},
    {VT_CY, "string8", "VT_CY"},
    {VT_DATE, "string8", "VT_DATE"},
    {VT_BSTR, "string8", "VT_BSTR"},
    {VT_EMPTY, "???", "???"},
    {VT_NULL, "???", "???"},
    {VT_DISPATCH, "???", "???"},
    {VT_ERROR, "???", "???"},
    {VT_VARIANT, "???", "???"},
    {VT_DECIMAL, "???", "???"},
    {15, "???", "???"},
    {VT_INT, "???", "???"},
    {VT_ARRAY | VT_R8, "???", "ARRAY OF VT_R8"},
    {VT_ARRAY | VT_BOOL, "???", "ARRAY OF VT_BOOL"},
    {VT_ARRAY, "???", "ARRAY OF ???"},
    {VT_BYREF | VT_I2, "???", "???"},
    {VT_VECTOR | VT_I2, "???", "???"},
    {VT_ARRAY | VT_BYREF | VT_I2, "???", "ARRAY OF ???"},
};

}  // namespace

TEST(TypeMapping, CodesToHostAndOpcNames) {
  for (const TypeRow& row : kRows) {
    SCOPED_TRACE(row.code);
    EXPECT_EQ(Utf8(VEMDcnOpcItem::GetPelType(row.code)), row.pelType);
    EXPECT_EQ(Utf8(VEMDcnOpcItem::GetOpcType(row.code)), row.opcType);

    VEMDcnOpcItem item;
    item._CanonicalDataType = row.code;
    EXPECT_EQ(Utf8(item.GetPelType()), row.pelType);
    EXPECT_EQ(Utf8(item.GetOpcType()), row.opcType);
  }
}

TEST(TypeMapping, OpcNamesBackToCodes) {
  for (const TypeRow& row : kRows) {
    if (row.code & VT_ARRAY || std::string(row.opcType) == "???") continue;
    EXPECT_EQ(VEMDcnOpcItem::GetOpcType(QARUnicodeString(row.opcType)), row.code) << row.opcType;
  }
  for (const char* unknown : {"*", "VT_EMPTY", "ARRAY OF VT_R8", "vt_i2", "VT_I2 ", "", "???"}) {
    EXPECT_EQ(VEMDcnOpcItem::GetOpcType(QARUnicodeString(unknown)), VT_EMPTY) << unknown;
  }
}

TEST(TypeMapping, AccessRightsToHostDirection) {
  EXPECT_EQ(VEMDcnOpcItem::GetPelDirection(OPC_READABLE), 2);
  EXPECT_EQ(VEMDcnOpcItem::GetPelDirection(OPC_WRITEABLE), 1);
  EXPECT_EQ(VEMDcnOpcItem::GetPelDirection(OPC_READABLE | OPC_WRITEABLE), 3);
  EXPECT_EQ(VEMDcnOpcItem::GetPelDirection(0), 3);
  EXPECT_EQ(VEMDcnOpcItem::GetPelDirection(0x10001), 3) << "the rights are compared whole";

  VEMDcnOpcItem item;
  EXPECT_EQ(item.GetPelDirection(), VEMICsmBase::InOut);
  item._AccessRights = OPC_WRITEABLE;
  EXPECT_EQ(item.GetPelDirection(), VEMICsmBase::In);
  item._AccessRights = OPC_READABLE;
  EXPECT_EQ(item.GetPelDirection(), VEMICsmBase::Out);
}

TEST(TypeMapping, AccessRightsToCatalogueTexts) {
  auto catalogue = [](const char* key) {
    return Utf8(QARMsgCatalog::BuildMessage("VEMDcnOpcClient", key, nullptr, 0, QARUnicodeString()));
  };
  const std::string out = catalogue("VEMOPCOUT"), in = catalogue("VEMOPCIN"), inOut = catalogue("VEMOPCINOUT");
  EXPECT_FALSE(out.empty() || in.empty() || inOut.empty());
  EXPECT_TRUE(out != in && in != inOut && out != inOut);

  EXPECT_EQ(Utf8(VEMDcnOpcItem::GetOpcDirection(1)), out);
  EXPECT_EQ(Utf8(VEMDcnOpcItem::GetOpcDirection(2)), in);
  EXPECT_EQ(Utf8(VEMDcnOpcItem::GetOpcDirection(3)), inOut);
  EXPECT_EQ(Utf8(VEMDcnOpcItem::GetOpcDirection(0)), inOut);
  EXPECT_EQ(Utf8(VEMDcnOpcItem::GetOpcDirection(-1)), inOut);

  // The member passes the rights on as a 16-bit value.
  VEMDcnOpcItem item;
  item._AccessRights = 0x10002;
  EXPECT_EQ(Utf8(item.GetOpcDirection()), in);
  EXPECT_EQ(item.GetPelDirection(), VEMICsmBase::InOut);
}

TEST(TypeMapping, AccessWordsAndDirectionWords) {
  EXPECT_EQ(VEMDcnOpcAccessRightsOfWord("Readable"), 1u);
  EXPECT_EQ(VEMDcnOpcAccessRightsOfWord("Writable"), 2u);
  EXPECT_EQ(VEMDcnOpcAccessRightsOfWord("Readable/Writable"), 3u);
  for (const char* other : {"readable", "Writeable", "", "Readable/"}) {
    EXPECT_EQ(VEMDcnOpcAccessRightsOfWord(other), 0u) << other;
  }

  EXPECT_EQ(Utf8(VEMDcnOpcDirectionWordOfAccessRights(1)), "Out");
  EXPECT_EQ(Utf8(VEMDcnOpcDirectionWordOfAccessRights(2)), "In");
  EXPECT_EQ(Utf8(VEMDcnOpcDirectionWordOfAccessRights(3)), "");
  EXPECT_EQ(Utf8(VEMDcnOpcDirectionWordOfAccessRights(0)), "");
}

TEST(TypeMapping, SupportedTypesAreAppendedInBrowseOrder) {
  QARRawCollVARTYPE types;
  types.Append(VT_CY);
  VEMDcnOpcAppendSupportedDataTypes(types);
  const std::vector<VARTYPE> expected = {VT_CY,  VT_I1, VT_UI1, VT_I2,   VT_UI2,  VT_I4,
                                         VT_UI4, VT_R4, VT_R8,  VT_BOOL, VT_BSTR, VT_DATE};
  ASSERT_EQ(types.Size(), static_cast<int>(expected.size()));
  for (int pos = 1; pos <= types.Size(); ++pos) EXPECT_EQ(types[pos], expected[pos - 1]) << pos;
}
