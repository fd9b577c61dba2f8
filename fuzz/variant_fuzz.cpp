// VariantChangeType and the item model's Variant2String on any VARIANT a
// server could send: every VARTYPE, valid or not, BSTRs of any content,
// interfaces, references, and SAFEARRAYs of any dimension and bounds built
// through the SafeArray API. No crash, no leak, no undefined behaviour; a
// failed conversion leaves its destination alone; every reference taken on
// an interface is given back.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <oleauto.h>

#include "VEMDcnOpcItem.h"
#include "comown.h"
#include "fuzz_support.h"

namespace {

const IID kIidDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr int kMaxDepth = 3;
constexpr std::uint64_t kMaxArrayElements = 64;

// An object whose references are counted but never freed before the input
// is done, so that an extra Release is caught instead of becoming a
// use-after-free somewhere else.
class Counted final : public IUnknown {
 public:
  explicit Counted(bool dispatch) : dispatch_(dispatch) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !(dispatch_ && IsEqualIID(riid, kIidDispatch))) return E_NOINTERFACE;
    *ppv = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    if (references_ == 0) fuzz::Fail("an object was released more often than referenced");
    return --references_;
  }
  ULONG references() const { return references_; }

 private:
  bool dispatch_;
  ULONG references_ = 1;  // the input's own
};

bool IsIntegerType(VARTYPE vt) {
  return (vt >= VT_I1 && vt <= VT_UINT) || vt == VT_I2 || vt == VT_I4;
}

// The base types a VARIANT may carry, the rule VariantClear and VariantCopy
// apply on Windows: 15 is a hole, and type-description codes from VT_VOID on
// are refused except records and class identifiers.
bool IsVariantBase(VARTYPE base) { return (base < VT_VOID && base != 15) || base == VT_RECORD || base == VT_CLSID; }

bool IsWellFormedType(VARTYPE vt) {
  if (vt & (VT_VECTOR | VT_RESERVED)) return false;
  const VARTYPE base = vt & VT_TYPEMASK;
  if (!IsVariantBase(base)) return false;
  return !((vt & (VT_ARRAY | VT_BYREF)) && base <= VT_NULL);
}

// Builds VARIANTs from fuzz bytes and owns what references point at.
class Builder {
 public:
  explicit Builder(FuzzedDataProvider& input) : input_(input) {}
  ~Builder() {
    for (auto& holder : holders_) VariantClear(holder.get());
    for (auto& object : objects_)
      if (object->references() != 1) fuzz::Fail("an interface reference was kept or lost");
  }

  VARTYPE Type() {
    static const VARTYPE kBases[] = {VT_EMPTY, VT_NULL, VT_I2,      VT_I4,      VT_R4,      VT_R8,   VT_CY,
                                     VT_DATE,  VT_BSTR, VT_DISPATCH, VT_ERROR,  VT_BOOL,    VT_VARIANT,
                                     VT_UNKNOWN, VT_DECIMAL, VT_I1, VT_UI1,    VT_UI2,     VT_UI4,  VT_I8,
                                     VT_UI8,   VT_INT,  VT_UINT,    VT_RECORD,  VT_CLSID,   VT_VOID, 15};
    const std::uint8_t choice = input_.ConsumeIntegral<std::uint8_t>();
    if (choice >= 0xF0) return input_.ConsumeIntegral<VARTYPE>();  // anything at all
    VARTYPE vt = kBases[choice % (sizeof(kBases) / sizeof(kBases[0]))];
    const std::uint8_t flags = input_.ConsumeIntegral<std::uint8_t>();
    if (flags & 1) vt |= VT_ARRAY;
    if (flags & 2) vt |= VT_BYREF;
    if ((flags & 0xC0) == 0xC0) vt |= VT_VECTOR;
    return vt;
  }

  // Any VARIANT: a well-formed value for every type COM lets a VARIANT
  // carry, raw bytes (nothing owned) for the others.
  void Build(VARIANT* out, int depth) {
    const VARTYPE vt = Type();
    if (!IsWellFormedType(vt)) {
      Raw(out);
      out->vt = vt;
      return;
    }
    if (vt & VT_BYREF)
      Reference(static_cast<VARTYPE>(vt & ~VT_BYREF), out, depth);
    else
      Value(vt, out, depth);
  }

 private:
  void Raw(VARIANT* out) {
    std::uint8_t bytes[sizeof(VARIANT)] = {};
    input_.ConsumeData(bytes, sizeof(bytes));
    std::memcpy(out, bytes, sizeof(bytes));
  }

  IUnknown* Object() {
    if (input_.ConsumeBool()) return nullptr;
    objects_.push_back(std::make_unique<Counted>(input_.ConsumeBool()));
    Counted* object = objects_.back().get();
    object->AddRef();  // the reference the new owner gives back
    return object;
  }

  BSTR Text() {
    switch (input_.ConsumeIntegralInRange(0, 2)) {
      case 0:
        return nullptr;
      case 1: {
        // Any byte length, odd ones included.
        const std::string bytes = input_.ConsumeRandomLengthString(64);
        return SysAllocStringByteLen(bytes.data(), static_cast<UINT>(bytes.size()));
      }
      default: {
        const std::string bytes = input_.ConsumeRandomLengthString(64);
        const comown::wide_string units =
            fuzz::UnitsOf<WCHAR>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        return SysAllocStringLen(units.data(), static_cast<UINT>(units.size()));
      }
    }
  }

  // A value of vt (no VT_BYREF) that owns what it holds.
  void Value(VARTYPE vt, VARIANT* out, int depth) {
    Raw(out);
    out->vt = vt;
    if (vt & VT_ARRAY) {
      out->parray = input_.ConsumeBool() ? nullptr : Array(static_cast<VARTYPE>(vt & VT_TYPEMASK), depth);
      return;
    }
    switch (vt) {
      case VT_BSTR:
        out->bstrVal = Text();
        break;
      case VT_UNKNOWN:
        out->punkVal = Object();
        break;
      case VT_DISPATCH:
        out->pdispVal = reinterpret_cast<IDispatch*>(Object());
        break;
      case VT_RECORD:
        // Only the description's IUnknown part is ever used without record data.
        out->pvRecord = nullptr;
        out->pRecInfo = reinterpret_cast<IRecordInfo*>(Object());
        break;
      case VT_CLSID:
        out->byref = &clsid_;
        break;
      case VT_DECIMAL:
        out->vt = VT_DECIMAL;  // the DECIMAL's first field is the type
        break;
      default:
        break;  // the raw bytes are the value
    }
  }

  // A reference to a value of vt kept in a holder of its own, or a null one.
  void Reference(VARTYPE vt, VARIANT* out, int depth) {
    Raw(out);
    out->vt = static_cast<VARTYPE>(vt | VT_BYREF);
    if (input_.ConsumeIntegralInRange(0, 7) == 0) {
      out->byref = nullptr;
      return;
    }
    holders_.push_back(std::make_unique<VARIANT>());
    VARIANT* holder = holders_.back().get();
    VariantInit(holder);
    if (vt == VT_VARIANT) {
      if (depth < kMaxDepth) Build(holder, depth + 1);
      out->pvarVal = holder;
    } else {
      Value(vt, holder, depth + 1);
      // Every member of the union starts where the DECIMAL's data does not.
      out->byref = vt == VT_DECIMAL ? static_cast<void*>(&holder->decVal) : static_cast<void*>(&holder->llVal);
    }
  }

  SAFEARRAY* Array(VARTYPE elementType, int depth) {
    const UINT dims = input_.ConsumeIntegralInRange<UINT>(1, 4);
    SAFEARRAYBOUND bounds[4];
    std::uint64_t total = 1;
    for (UINT i = 0; i < dims; ++i) {
      bounds[i].lLbound = input_.ConsumeBool() ? input_.ConsumeIntegralInRange<LONG>(-2, 2) : input_.ConsumeIntegral<LONG>();
      bounds[i].cElements = input_.ConsumeIntegralInRange<ULONG>(0, 5);
      total *= bounds[i].cElements;
    }
    if (total > kMaxArrayElements) return nullptr;
    comown::com_safearray array(dims == 1 && input_.ConsumeBool()
                                    ? SafeArrayCreateVector(elementType, bounds[0].lLbound, bounds[0].cElements)
                                    : SafeArrayCreate(elementType, dims, bounds));
    if (!array) return nullptr;
    fuzz::Check(SafeArrayGetDim(array.get()) == dims, "an array has the dimensions it was made with");
    for (std::uint64_t cell = 0; cell < total; ++cell) {
      LONG indices[4];
      bool reachable = true;
      std::uint64_t rest = cell;
      for (UINT i = 0; i < dims; ++i) {
        const std::int64_t index = std::int64_t{bounds[i].lLbound} + static_cast<std::int64_t>(rest % bounds[i].cElements);
        rest /= bounds[i].cElements;
        reachable = reachable && index <= INT32_MAX;
        indices[i] = static_cast<LONG>(index);
      }
      if (reachable) Put(array.get(), elementType, indices, depth);
    }
    return array.release();
  }

  void Put(SAFEARRAY* array, VARTYPE elementType, LONG* indices, int depth) {
    HRESULT hr = S_OK;
    if (elementType == VT_BSTR) {
      const comown::com_bstr text(Text());
      hr = SafeArrayPutElement(array, indices, text.get());
    } else if (elementType == VT_UNKNOWN || elementType == VT_DISPATCH) {
      IUnknown* object = Object();
      hr = SafeArrayPutElement(array, indices, object);
      if (object) object->Release();
    } else if (elementType == VT_VARIANT) {
      // Elements are values, not references into storage that goes first.
      comown::com_variant element;
      const VARTYPE vt = static_cast<VARTYPE>(Type() & ~VT_BYREF);
      if (depth < kMaxDepth && IsWellFormedType(vt)) Value(vt, element.get(), depth + 1);
      hr = SafeArrayPutElement(array, indices, element.get());
      // Storing copies, and VariantCopy refuses class identifiers, as on Windows.
      if ((element.vt() & VT_TYPEMASK) == VT_CLSID) {
        fuzz::Check(hr == DISP_E_BADVARTYPE, "a class identifier is not copied into an array");
        return;
      }
    } else {
      std::uint8_t bytes[sizeof(DECIMAL)] = {};
      input_.ConsumeData(bytes, sizeof(bytes));
      hr = SafeArrayPutElement(array, indices, bytes);
    }
    fuzz::Check(SUCCEEDED(hr), "an element within the bounds is stored");
  }

  FuzzedDataProvider& input_;
  std::vector<std::unique_ptr<VARIANT>> holders_;
  std::vector<std::unique_ptr<Counted>> objects_;
  CLSID clsid_ = {};
};

// The member of the union an integer type uses, widened.
std::uint64_t IntegerBits(const VARIANT& v) {
  switch (v.vt) {
    case VT_I1:
    case VT_UI1:
      return v.bVal;
    case VT_I2:
    case VT_UI2:
      return v.uiVal;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
      return v.ulVal;
    default:
      return v.ullVal;
  }
}

// Integers and currency written as text read back as the same value.
void CheckTextRoundTrip(const VARIANT& value, const VARIANT& text) {
  if (!IsIntegerType(value.vt) && value.vt != VT_CY) return;
  comown::com_variant back;
  fuzz::Check(VariantChangeType(back.get(), &text, 0, value.vt) == S_OK, "a number's text reads back",
              comown::to_utf8(text.bstrVal));
  const bool same = value.vt == VT_CY ? back.get()->cyVal.int64 == value.cyVal.int64
                                      : IntegerBits(*back.get()) == IntegerBits(value);
  fuzz::Check(same, "a number's text reads back as the same number", comown::to_utf8(text.bstrVal));
}

void CheckConversion(const VARIANT& value, VARTYPE target, USHORT flags) {
  VARIANT out;
  VariantInit(&out);
  const HRESULT hr = VariantChangeType(&out, &value, flags, target);
  if (FAILED(hr)) {
    fuzz::Check(out.vt == VT_EMPTY, "a failed conversion leaves its destination alone");
  } else {
    fuzz::Check(out.vt == target, "a conversion gives the type asked for");
    if (target == VT_BSTR && flags == 0) CheckTextRoundTrip(value, out);
  }
  fuzz::Check(VariantClear(&out) == S_OK, "a conversion's result clears");

  // In place: the same answer, and a failure keeps the value.
  comown::com_variant inPlace;
  if (VariantCopy(inPlace.get(), &value) != S_OK) return;
  const VARTYPE before = inPlace.vt();
  const HRESULT again = VariantChangeType(inPlace.get(), inPlace.get(), flags, target);
  fuzz::Check(again == hr, "converting in place gives the same result");
  fuzz::Check(inPlace.vt() == (SUCCEEDED(again) ? target : before), "converting in place keeps a value");
}

void CheckText(const VARIANT& value) {
  const QARUnicodeString text = VEMDcnOpcItem::Variant2String(value);
  // The item model keeps a deep copy of a value: it reads the same.
  VEMDcnOpcItem item;
  if (VariantCopy(&item._Value, &value) != S_OK) return;
  VEMDcnOpcItem copy(item);
  fuzz::Check(copy.Variant2String() == text && item.Variant2String() == text,
              "a copied value reads as the value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  Builder builder(input);
  VARIANT value;
  VariantInit(&value);
  builder.Build(&value, 0);

  CheckText(value);
  comown::com_variant copy;
  const HRESULT copied = VariantCopyInd(copy.get(), &value);
  fuzz::Check(SUCCEEDED(copied) || copy.empty(), "a failed copy leaves nothing behind");
  static const USHORT kFlags[] = {0, VARIANT_ALPHABOOL, VARIANT_LOCALBOOL, VARIANT_NOVALUEPROP};
  const USHORT flags = kFlags[input.ConsumeIntegralInRange<std::size_t>(0, 3)];
  for (VARTYPE target = VT_EMPTY; target <= VT_UINT; ++target) CheckConversion(value, target, flags);
  CheckConversion(value, VT_RECORD, flags);
  CheckConversion(value, VT_CLSID, flags);
  CheckConversion(value, VT_ARRAY | VT_UI1, flags);
  CheckConversion(value, static_cast<VARTYPE>(value.vt & ~VT_BYREF), flags);
  CheckConversion(value, input.ConsumeIntegral<VARTYPE>(), flags);

  const HRESULT cleared = VariantClear(&value);
  fuzz::Check(cleared == S_OK || !IsWellFormedType(value.vt), "a well-formed value clears");
  return 0;
}
