// Translations between OPC type codes, access rights and the host's vocabulary.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QARMsgCatalog.h"
#include "VEMDcnOpcItem.h"
#include "VEMDcnOpcItemVocabulary.h"

namespace {

std::string Utf8(const QARUnicodeString& text) { return text.ConvertToChar().ConvertToChar(); }

struct TypeRow {
  VARTYPE code;
  const char* pelType;
  const char* opcType;
};

// Every code the tables know, and a sample of those they do not.
const TypeRow kRows[] = {
    {VT_I1, "int8", "VT_I1"},          {VT_UI1, "uint8", "VT_UI1"},     {VT_I2, "int16", "VT_I2"},
    {VT_UI2, "uint16", "VT_UI2"},      {VT_I4, "int32", "VT_I4"},       {VT_UI4, "uint32", "VT_UI4"},
    {VT_I8, "int64", "VT_I8"},         {VT_UI8, "uint64", "VT_UI8"},    {VT_R4, "float32", "VT_R4"},
    {VT_R8, "float64", "VT_R8"},       {VT_BOOL, "bool", "VT_BOOL"},    {VT_CY, "string8", "VT_CY"},
    {VT_DATE, "string8", "VT_DATE"},   {VT_BSTR, "string8", "VT_BSTR"}, {VT_EMPTY, "???", "???"},
    {VT_NULL, "???", "???"},           {VT_ERROR, "???", "???"},        {15, "???", "???"},
    {VT_INT, "???", "???"},            {VT_BYREF | VT_I2, "???", "???"}, {VT_VECTOR | VT_I2, "???", "???"},
    {VT_ARRAY | VT_R8, "???", "ARRAY OF VT_R8"}, {VT_ARRAY, "???", "ARRAY OF ???"},
    {VT_ARRAY | VT_BYREF | VT_I2, "???", "ARRAY OF ???"},
};

}  // namespace

TEST(TypeMapping, CodesToNamesAndBack) {
  for (const TypeRow& row : kRows) {
    SCOPED_TRACE(row.code);
    VEMDcnOpcItem item;
    item._CanonicalDataType = row.code;
    EXPECT_EQ(Utf8(item.GetPelType()), row.pelType);
    EXPECT_EQ(Utf8(item.GetOpcType()), row.opcType);
    const std::string opcType = row.opcType;
    if (opcType != "???" && opcType.find("ARRAY") == std::string::npos) {
      EXPECT_EQ(VEMDcnOpcItem::GetOpcType(QARUnicodeString(row.opcType)), row.code);
    }
  }
  for (const char* name : {"*", "VT_EMPTY", "???", "ARRAY OF VT_R8", "vt_i2", "VT_I2 "}) {
    EXPECT_EQ(VEMDcnOpcItem::GetOpcType(QARUnicodeString(name)), VT_EMPTY) << name;
  }
}

TEST(TypeMapping, AccessRightsToDirections) {
  const auto catalogue = [](const char* key) {
    return Utf8(QARMsgCatalog::BuildMessage("VEMDcnOpcClient", key, nullptr, 0, QARUnicodeString()));
  };
  const std::string out = catalogue("VEMOPCOUT"), in = catalogue("VEMOPCIN"), inOut = catalogue("VEMOPCINOUT");
  EXPECT_FALSE(out.empty() || in.empty() || inOut.empty());
  EXPECT_TRUE(out != in && in != inOut && out != inOut);

  struct Row {
    short rights;
    int direction;
    std::string text, word;
  };
  for (const Row& row : {Row{1, 2, out, "Out"}, Row{2, 1, in, "In"}, Row{3, 3, inOut, ""}, Row{0, 3, inOut, ""}}) {
    SCOPED_TRACE(row.rights);
    VEMDcnOpcItem item;
    item._AccessRights = static_cast<ULONG>(row.rights);
    EXPECT_EQ(item.GetPelDirection(), row.direction);
    EXPECT_EQ(Utf8(item.GetOpcDirection()), row.text);
    EXPECT_EQ(Utf8(VEMDcnOpcDirectionWordOfAccessRights(static_cast<unsigned long>(row.rights))), row.word);
  }
  EXPECT_EQ(Utf8(VEMDcnOpcItem::GetOpcDirection(-1)), inOut);
  // The rights are compared whole for the host's direction, but passed on as
  // a 16-bit value for the text.
  VEMDcnOpcItem item;
  item._AccessRights = 0x10002;
  EXPECT_EQ(item.GetPelDirection(), VEMICsmBase::InOut);
  EXPECT_EQ(Utf8(item.GetOpcDirection()), in);
}

// The words hosts pass for access rights: exact, or no right at all.
TEST(TypeMapping, AccessWords) {
  const struct {
    const char* word;
    unsigned long rights;
  } cases[] = {{"Readable", 1}, {"Writable", 2}, {"Readable/Writable", 3},
               {"readable", 0}, {"Writeable", 0}, {"", 0}, {"Readable/", 0}};
  for (const auto& c : cases) EXPECT_EQ(VEMDcnOpcAccessRightsOfWord(c.word), c.rights) << c.word;
}
