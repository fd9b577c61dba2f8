// VEMDcnOpcItem: the item record, its type and direction vocabularies, and
// the text of its values.
#include "VEMDcnOpcItem.h"

#include <windows.h>
#include <oleauto.h>

#include "QARMsgCatalog.h"
#include "QARVariant.h"
#include "comown.h"
#include "opcda.h"
#include "VEMDcnOpcItemVocabulary.h"

namespace {

const char* const kCatalog = "VEMDcnOpcClient";
const char* const kUnknownName = "???";
const char* const kArrayPrefix = "ARRAY OF ";

// ---------------------------------------------------------------------------
// Type names

struct TypeName {
  VARTYPE type;
  const char* name;
};

// The host's signal types. CY, DATE and BSTR values reach the host as text.
const TypeName kPelTypes[] = {
    {VT_I1, "int8"},      {VT_UI1, "uint8"},    {VT_I2, "int16"},      {VT_UI2, "uint16"},
    {VT_I4, "int32"},     {VT_UI4, "uint32"},   {VT_I8, "int64"},      {VT_UI8, "uint64"},
    {VT_R4, "float32"},   {VT_R8, "float64"},   {VT_BOOL, "bool"},     {VT_CY, "string8"},
    {VT_DATE, "string8"}, {VT_BSTR, "string8"},
};

// The OPC names, in the order in which a name is matched back to its code:
// the first match decides.
const TypeName kOpcTypes[] = {
    {VT_BOOL, "VT_BOOL"}, {VT_I1, "VT_I1"},     {VT_UI1, "VT_UI1"},   {VT_I2, "VT_I2"},
    {VT_UI2, "VT_UI2"},   {VT_I4, "VT_I4"},     {VT_UI4, "VT_UI4"},   {VT_I8, "VT_I8"},
    {VT_UI8, "VT_UI8"},   {VT_R4, "VT_R4"},     {VT_R8, "VT_R8"},     {VT_DATE, "VT_DATE"},
    {VT_BSTR, "VT_BSTR"}, {VT_CY, "VT_CY"},
};

template <size_t N>
const char* NameOf(const TypeName (&iTable)[N], VARTYPE iType) {
  for (const TypeName& entry : iTable) {
    if (entry.type == iType) return entry.name;
  }
  return kUnknownName;
}

QARUnicodeString CatalogText(const char* iKey) {
  return QARMsgCatalog::BuildMessage(kCatalog, iKey, nullptr, 0, QARUnicodeString());
}

// ---------------------------------------------------------------------------
// Value text

template <typename Value>
QARUnicodeString Formatted(Value iValue, const char* iFormat) {
  QARUnicodeString text;
  text.BuildFromNum(iValue, iFormat);
  return text;
}

QARUnicodeString Number(int iValue) { return Formatted(iValue, "%d"); }

// The text of one value of a scalar type stored at iData; false for a type
// that has no text.
bool AppendScalar(VARTYPE iType, const void* iData, QARUnicodeString& ioText) {
  switch (iType) {
    case VT_I2:
      ioText += Number(*static_cast<const SHORT*>(iData));
      return true;
    case VT_I4:
      ioText += Number(*static_cast<const LONG*>(iData));
      return true;
    case VT_R4:
      ioText += Formatted(static_cast<double>(*static_cast<const FLOAT*>(iData)), "%g");
      return true;
    case VT_R8:
      ioText += Formatted(*static_cast<const DOUBLE*>(iData), "%g");
      return true;
    case VT_I1:
      ioText += Number(*static_cast<const signed char*>(iData));
      return true;
    case VT_UI1:
      ioText += Number(*static_cast<const BYTE*>(iData));
      return true;
    case VT_UI2:
      ioText += Number(*static_cast<const USHORT*>(iData));
      return true;
    case VT_UI4:
      ioText += Formatted(static_cast<unsigned int>(*static_cast<const ULONG*>(iData)), "%u");
      return true;
    default:
      return false;
  }
}

size_t ElementSize(VARTYPE iType) {
  switch (iType) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_R4:
      return 4;
    case VT_R8:
      return 8;
    default:
      return 0;
  }
}

// The number of elements to list: the first bound's count, but none when
// another dimension is empty, since the array then holds no element at all.
ULONG ListedCount(const SAFEARRAY& iArray) {
  if (iArray.cDims == 0) return 0;
  for (USHORT i = 1; i < iArray.cDims; ++i)
    if (iArray.rgsabound[i].cElements == 0) return 0;
  return iArray.rgsabound[0].cElements;
}

// Every element of the first dimension, each followed by one blank. An array
// whose elements are not of the type's size is not read.
QARUnicodeString ArrayText(VARTYPE iElementType, const SAFEARRAY* iArray) {
  QARUnicodeString text;
  if (!iArray || !iArray->pvData) return text;
  const BYTE* element = static_cast<const BYTE*>(iArray->pvData);
  const size_t step = ElementSize(iElementType);
  if (iArray->cbElements != step) return text;
  const ULONG count = ListedCount(*iArray);
  for (ULONG i = 0; i < count; ++i, element += step) {
    AppendScalar(iElementType, element, text);
    text += QARUnicodeString(" ");
  }
  return text;
}

// The time of day of a UTC date in the machine's current time zone.
QARUnicodeString LocalTimeOfDay(DATE iDate) {
  SYSTEMTIME universal;
  if (!QARScriptSystemCalls::VariantTimeToSystemTime(iDate, &universal)) return QARUnicodeString(kUnknownName);
  TIME_ZONE_INFORMATION zone;
  if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return QARUnicodeString(kUnknownName);
  SYSTEMTIME local;
  if (!SystemTimeToTzSpecificLocalTime(&zone, &universal, &local)) return QARUnicodeString(kUnknownName);
  QARUnicodeString text = Formatted(static_cast<int>(local.wHour), "%02d:");
  text += Formatted(static_cast<int>(local.wMinute), "%02d:");
  text += Formatted(static_cast<int>(local.wSecond), "%02d");
  return text;
}

bool IsListedArray(VARTYPE iType) {
  if (!(iType & VT_ARRAY)) return false;
  return ElementSize(static_cast<VARTYPE>(iType & ~VT_ARRAY)) != 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Lifecycle

VEMDcnOpcItem::VEMDcnOpcItem()
    : _AccessRights(0), _UserData1(0), _UserData2(0), _CanonicalDataType(VT_EMPTY), _UserFlag(false) {
  QARScriptSystemCalls::VariantInit(&_Value);
}

VEMDcnOpcItem::VEMDcnOpcItem(VEMDcnOpcItem& iItem)
    : _Name(iItem._Name),
      _ItemID(iItem._ItemID),
      _Path(iItem._Path),
      _AccessRights(iItem._AccessRights),
      _UserData1(iItem._UserData1),
      _UserData2(iItem._UserData2),
      _CanonicalDataType(iItem._CanonicalDataType),
      _UserFlag(iItem._UserFlag) {
  QARScriptSystemCalls::VariantInit(&_Value);
  VariantCopy(&_Value, &iItem._Value);
}

VEMDcnOpcItem& VEMDcnOpcItem::operator=(VEMDcnOpcItem& iItem) {
  if (this == &iItem) return *this;
  _Name = iItem._Name;
  _ItemID = iItem._ItemID;
  _Path = iItem._Path;
  VARIANT copy;
  QARScriptSystemCalls::VariantInit(&copy);
  VariantCopy(&copy, &iItem._Value);  // a copy that fails leaves the value empty
  const comown::com_variant previous(_Value, comown::attach);
  _Value = copy;
  _AccessRights = iItem._AccessRights;
  _UserData1 = iItem._UserData1;
  _UserData2 = iItem._UserData2;
  _CanonicalDataType = iItem._CanonicalDataType;
  _UserFlag = iItem._UserFlag;
  return *this;
}

VEMDcnOpcItem::~VEMDcnOpcItem() {
  _UserFlag = false;
  _AccessRights = _UserData1 = _UserData2 = 0;
  _CanonicalDataType = VT_EMPTY;
  const comown::com_variant value(_Value, comown::attach);  // cleared as it goes
}

// ---------------------------------------------------------------------------
// Directions

VEMICsmBase::Direction VEMDcnOpcItem::GetPelDirection(unsigned long iAccessRights) {
  if (iAccessRights == OPC_READABLE) return VEMICsmBase::Out;
  if (iAccessRights == OPC_WRITEABLE) return VEMICsmBase::In;
  return VEMICsmBase::InOut;
}

VEMICsmBase::Direction VEMDcnOpcItem::GetPelDirection() const { return GetPelDirection(_AccessRights); }

const QARUnicodeString VEMDcnOpcItem::GetOpcDirection(short iAccessRights) {
  if (iAccessRights == OPC_READABLE) return CatalogText("VEMOPCOUT");
  if (iAccessRights == OPC_WRITEABLE) return CatalogText("VEMOPCIN");
  return CatalogText("VEMOPCINOUT");
}

const QARUnicodeString VEMDcnOpcItem::GetOpcDirection() const {
  return GetOpcDirection(static_cast<short>(_AccessRights));
}

// ---------------------------------------------------------------------------
// Types

const QARUnicodeString VEMDcnOpcItem::GetPelType(unsigned short iType) {
  return QARUnicodeString(NameOf(kPelTypes, iType));
}

const QARUnicodeString VEMDcnOpcItem::GetPelType() const { return GetPelType(_CanonicalDataType); }

const QARUnicodeString VEMDcnOpcItem::GetOpcType(unsigned short iType) {
  QARUnicodeString name(NameOf(kOpcTypes, static_cast<VARTYPE>(iType & ~VT_ARRAY)));
  if (iType & VT_ARRAY) name.Insert(0, QARUnicodeString(kArrayPrefix));
  return name;
}

unsigned short VEMDcnOpcItem::GetOpcType(const QARUnicodeString& iName) {
  // "*" and unknown names alike give VT_EMPTY, which as a browse filter asks
  // the server for any type.
  for (const TypeName& entry : kOpcTypes) {
    if (iName == QARUnicodeString(entry.name)) return entry.type;
  }
  return VT_EMPTY;
}

const QARUnicodeString VEMDcnOpcItem::GetOpcType() const { return GetOpcType(_CanonicalDataType); }

// ---------------------------------------------------------------------------
// Value text

const QARUnicodeString VEMDcnOpcItem::Variant2String(VARIANT iValue) {
  const VARTYPE type = iValue.vt;
  QARUnicodeString text;
  if (AppendScalar(type, &iValue.iVal, text)) return text;
  if (IsListedArray(type)) return ArrayText(static_cast<VARTYPE>(type & ~VT_ARRAY), iValue.parray);
  switch (type) {
    case VT_EMPTY:
      return QARUnicodeString("VT_EMPTY");
    case VT_DATE:
      return LocalTimeOfDay(iValue.date);
    case VT_BSTR:
      text.BuildFromBSTR(iValue.bstrVal);
      return text;
    case VT_BOOL:
      return QARUnicodeString(iValue.boolVal == 0 ? "FALSE" : "TRUE");
    default:
      text = QARUnicodeString("Unknown VARTYPE : ");
      text += Number(type);
      return text;
  }
}

const QARUnicodeString VEMDcnOpcItem::Variant2String() const { return Variant2String(_Value); }

// ---------------------------------------------------------------------------
// The client's vocabularies

unsigned long VEMDcnOpcAccessRightsOfWord(const QARUnicodeString& iWord) {
  if (iWord == QARUnicodeString("Readable")) return OPC_READABLE;
  if (iWord == QARUnicodeString("Writable")) return OPC_WRITEABLE;
  if (iWord == QARUnicodeString("Readable/Writable")) return OPC_READABLE | OPC_WRITEABLE;
  return 0;
}

QARUnicodeString VEMDcnOpcDirectionWordOfAccessRights(unsigned long iAccessRights) {
  if (iAccessRights == OPC_READABLE) return QARUnicodeString("Out");
  if (iAccessRights == OPC_WRITEABLE) return QARUnicodeString("In");
  return QARUnicodeString();
}

void VEMDcnOpcAppendSupportedDataTypes(QARRawCollVARTYPE& ioTypes) {
  static const VARTYPE kSupported[] = {VT_I1, VT_UI1, VT_I2,   VT_UI2,  VT_I4,  VT_UI4,
                                       VT_R4, VT_R8,  VT_BOOL, VT_BSTR, VT_DATE};
  for (VARTYPE type : kSupported) ioTypes.Append(type);
}
