// SAFEARRAY: a descriptor with its bounds, and element data in column-major
// order (the first index varies fastest). As on Windows, the bounds are stored
// in reverse order (rgsabound[0] describes the last dimension) and the 16 bytes
// in front of the descriptor hold the element type or interface identifier.
#include <cstdlib>
#include <cstring>

#include "comown.h"
#include "variant_basic.h"

namespace {

using namespace oleaut;

// Set by SafeArrayCreateVector: descriptor and data share one block.
constexpr USHORT kFeatureCreateVector = 0x2000;
constexpr size_t kPrefixBytes = 16;
constexpr ULONG kMaxLocks = 0xFFFF;

size_t DescriptorBytes(UINT dims) { return sizeof(SAFEARRAY) + (dims - 1) * sizeof(SAFEARRAYBOUND); }

unsigned char* BlockOf(SAFEARRAY* psa) { return reinterpret_cast<unsigned char*>(psa) - kPrefixBytes; }

void StoreVartype(SAFEARRAY* psa, VARTYPE vt) {
  const DWORD stored = vt;
  std::memcpy(reinterpret_cast<unsigned char*>(psa) - sizeof(DWORD), &stored, sizeof(stored));
}

DWORD LoadVartype(SAFEARRAY* psa) {
  DWORD stored;
  std::memcpy(&stored, reinterpret_cast<unsigned char*>(psa) - sizeof(DWORD), sizeof(stored));
  return stored;
}

void StoreIid(SAFEARRAY* psa, const IID& iid) { std::memcpy(BlockOf(psa), &iid, sizeof(iid)); }

USHORT FeaturesFor(VARTYPE vt) {
  switch (vt) {
    case VT_BSTR:
      return FADF_HAVEVARTYPE | FADF_BSTR;
    case VT_VARIANT:
      return FADF_HAVEVARTYPE | FADF_VARIANT;
    case VT_UNKNOWN:
      return FADF_HAVEIID | FADF_UNKNOWN;
    case VT_DISPATCH:
      return FADF_HAVEIID | FADF_DISPATCH;
    default:
      return FADF_HAVEVARTYPE;
  }
}

// Total element count, or false when it does not fit the address space.
bool CountElements(const SAFEARRAY* psa, size_t* count) {
  uint64_t total = 1;
  for (USHORT i = 0; i < psa->cDims; ++i) {
    total *= psa->rgsabound[i].cElements;
    if (total > (uint64_t{1} << 40)) return false;
  }
  *count = static_cast<size_t>(total);
  return true;
}

// Allocates the prefix and descriptor (and, for vectors, the data behind them).
SAFEARRAY* AllocateDescriptor(UINT dims, size_t extraBytes) {
  void* block = std::calloc(1, kPrefixBytes + DescriptorBytes(dims) + extraBytes);
  if (!block) return nullptr;
  auto* psa = reinterpret_cast<SAFEARRAY*>(static_cast<unsigned char*>(block) + kPrefixBytes);
  psa->cDims = static_cast<USHORT>(dims);
  return psa;
}

// Copies the element type identity (vartype or IID) from one array to another.
void CopyTypeIdentity(SAFEARRAY* to, SAFEARRAY* from) {
  std::memcpy(BlockOf(to), BlockOf(from), kPrefixBytes);
}

void TagElementType(SAFEARRAY* psa, VARTYPE vt) {
  psa->fFeatures |= FeaturesFor(vt);
  if (vt == VT_UNKNOWN)
    StoreIid(psa, kIidUnknown);
  else if (vt == VT_DISPATCH)
    StoreIid(psa, kIidDispatch);
  else
    StoreVartype(psa, vt);
}

// Gives back what the elements own; the storage itself stays.
void ReleaseElements(SAFEARRAY* psa) {
  size_t count = 0;
  if (!psa->pvData || !CountElements(psa, &count)) return;
  if (psa->fFeatures & FADF_BSTR) {
    auto* cells = static_cast<BSTR*>(psa->pvData);
    for (size_t i = 0; i < count; ++i) SysFreeString(cells[i]);
  } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    auto* cells = static_cast<IUnknown**>(psa->pvData);
    for (size_t i = 0; i < count; ++i)
      if (cells[i]) cells[i]->Release();
  } else if (psa->fFeatures & FADF_VARIANT) {
    auto* cells = static_cast<VARIANT*>(psa->pvData);
    for (size_t i = 0; i < count; ++i) VariantClear(&cells[i]);
  }
}

// Copies count elements of the kind psa holds from source into zeroed target storage.
HRESULT CopyElements(const SAFEARRAY* psa, const void* source, void* target, size_t count) {
  if (psa->fFeatures & FADF_BSTR) {
    auto* from = static_cast<const BSTR*>(source);
    auto* to = static_cast<BSTR*>(target);
    for (size_t i = 0; i < count; ++i) {
      if (!from[i]) continue;
      to[i] = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(from[i]), SysStringByteLen(from[i]));
      if (!to[i]) return E_OUTOFMEMORY;
    }
  } else if (psa->fFeatures & FADF_VARIANT) {
    auto* from = static_cast<const VARIANT*>(source);
    auto* to = static_cast<VARIANT*>(target);
    for (size_t i = 0; i < count; ++i) {
      VariantInit(&to[i]);
      const HRESULT hr = VariantCopy(&to[i], &from[i]);
      if (FAILED(hr)) return hr;
    }
  } else {
    std::memcpy(target, source, count * psa->cbElements);
    if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
      auto* cells = static_cast<IUnknown**>(target);
      for (size_t i = 0; i < count; ++i)
        if (cells[i]) cells[i]->AddRef();
    }
  }
  return S_OK;
}

// Byte offset of the element at rgIndices, or false when an index is out of bounds.
bool CellOffset(const SAFEARRAY* psa, const LONG* rgIndices, size_t* offset) {
  size_t cell = 0;
  size_t stride = 1;
  for (USHORT dim = 0; dim < psa->cDims; ++dim) {
    // Index dim belongs to dimension dim+1, stored from the end.
    const SAFEARRAYBOUND& bound = psa->rgsabound[psa->cDims - 1 - dim];
    const int64_t relative = int64_t{rgIndices[dim]} - bound.lLbound;
    if (relative < 0 || relative >= int64_t{bound.cElements}) return false;
    cell += static_cast<size_t>(relative) * stride;
    stride *= bound.cElements;
  }
  *offset = cell * psa->cbElements;
  return true;
}

// Holds a lock on an array for the duration of an element access.
class ArrayLock {
 public:
  explicit ArrayLock(SAFEARRAY* psa) : psa_(psa), hr_(SafeArrayLock(psa)) {}
  ~ArrayLock() {
    if (SUCCEEDED(hr_)) SafeArrayUnlock(psa_);
  }
  ArrayLock(const ArrayLock&) = delete;
  ArrayLock& operator=(const ArrayLock&) = delete;
  HRESULT result() const { return hr_; }

 private:
  SAFEARRAY* psa_;
  HRESULT hr_;
};

HRESULT ReadElement(SAFEARRAY* psa, void* cell, void* pv) {
  if (psa->fFeatures & FADF_BSTR) {
    const BSTR source = *static_cast<BSTR*>(cell);
    BSTR copy = nullptr;
    if (source) {
      copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source), SysStringByteLen(source));
      if (!copy) return E_OUTOFMEMORY;
    }
    *static_cast<BSTR*>(pv) = copy;
  } else if (psa->fFeatures & FADF_VARIANT) {
    // The caller's VARIANT is taken as uninitialised, as Windows does.
    auto* out = static_cast<VARIANT*>(pv);
    VariantInit(out);
    return VariantCopy(out, static_cast<VARIANT*>(cell));
  } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    IUnknown* source = *static_cast<IUnknown**>(cell);
    if (source) source->AddRef();
    *static_cast<IUnknown**>(pv) = source;
  } else {
    std::memcpy(pv, cell, psa->cbElements);
  }
  return S_OK;
}

// For BSTR and interface elements pv is the value itself, not a pointer to it.
HRESULT WriteElement(SAFEARRAY* psa, void* cell, void* pv) {
  if (psa->fFeatures & FADF_BSTR) {
    const auto source = static_cast<BSTR>(pv);
    BSTR copy = nullptr;
    if (source) {
      copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source), SysStringByteLen(source));
      if (!copy) return E_OUTOFMEMORY;
    }
    SysFreeString(*static_cast<BSTR*>(cell));
    *static_cast<BSTR*>(cell) = copy;
  } else if (psa->fFeatures & FADF_VARIANT) {
    return VariantCopy(static_cast<VARIANT*>(cell), static_cast<VARIANT*>(pv));
  } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    auto* source = static_cast<IUnknown*>(pv);
    if (source) source->AddRef();
    IUnknown*& target = *static_cast<IUnknown**>(cell);
    if (target) target->Release();
    target = source;
  } else {
    std::memcpy(cell, pv, psa->cbElements);
  }
  return S_OK;
}

bool OwnsItsData(const SAFEARRAY* psa) {
  return !(psa->fFeatures & (FADF_STATIC | FADF_AUTO | FADF_EMBEDDED | kFeatureCreateVector));
}

// Everything of a new array but its data: descriptor, features and element type.
SAFEARRAY* CreateShell(SAFEARRAY* like, size_t extraBytes) {
  SAFEARRAY* copy = AllocateDescriptor(like->cDims, extraBytes);
  if (!copy) return nullptr;
  std::memcpy(copy->rgsabound, like->rgsabound, like->cDims * sizeof(SAFEARRAYBOUND));
  copy->cbElements = like->cbElements;
  copy->fFeatures = like->fFeatures & ~(FADF_STATIC | FADF_AUTO | FADF_EMBEDDED | kFeatureCreateVector);
  CopyTypeIdentity(copy, like);
  return copy;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) {
  const ULONG elementSize = ValueSize(vt);
  if (!rgsabound || cDims == 0 || cDims > 0xFFFF || elementSize == 0) return nullptr;
  SAFEARRAY* psa = AllocateDescriptor(cDims, 0);
  if (!psa) return nullptr;
  comown::com_safearray guard(psa);
  for (UINT i = 0; i < cDims; ++i) psa->rgsabound[cDims - 1 - i] = rgsabound[i];
  psa->cbElements = elementSize;
  TagElementType(psa, vt);
  size_t count = 0;
  if (!CountElements(psa, &count)) return nullptr;
  // Even an empty array gets a data block, so its data pointer is never null.
  psa->pvData = std::calloc(count ? count : 1, elementSize);
  if (!psa->pvData) return nullptr;
  return guard.release();
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
  const ULONG elementSize = ValueSize(vt);
  if (elementSize == 0) return nullptr;
  const uint64_t dataBytes = uint64_t{cElements} * elementSize;
  if (dataBytes > (uint64_t{1} << 40)) return nullptr;
  SAFEARRAY* psa = AllocateDescriptor(1, static_cast<size_t>(dataBytes));
  if (!psa) return nullptr;
  psa->rgsabound[0].cElements = cElements;
  psa->rgsabound[0].lLbound = lLbound;
  psa->cbElements = elementSize;
  psa->fFeatures = kFeatureCreateVector;
  TagElementType(psa, vt);
  psa->pvData = reinterpret_cast<unsigned char*>(psa) + DescriptorBytes(1);
  return psa;
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
  if (!psa) return S_OK;
  if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  ReleaseElements(psa);
  if (OwnsItsData(psa)) std::free(psa->pvData);
  std::free(BlockOf(psa));
  return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  if (__atomic_add_fetch(&psa->cLocks, 1, __ATOMIC_SEQ_CST) > kMaxLocks) {
    __atomic_sub_fetch(&psa->cLocks, 1, __ATOMIC_SEQ_CST);
    return E_UNEXPECTED;
  }
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  ULONG locks = __atomic_load_n(&psa->cLocks, __ATOMIC_SEQ_CST);
  do {
    if (locks == 0) return E_UNEXPECTED;
  } while (!__atomic_compare_exchange_n(&psa->cLocks, &locks, locks - 1, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST));
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
  if (!psa || !ppvData) return E_INVALIDARG;
  const HRESULT hr = SafeArrayLock(psa);
  *ppvData = SUCCEEDED(hr) ? psa->pvData : nullptr;
  return hr;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) { return SafeArrayUnlock(psa); }

HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (!psa || !rgIndices || !pv) return E_INVALIDARG;
  size_t offset = 0;
  if (!CellOffset(psa, rgIndices, &offset)) return DISP_E_BADINDEX;
  ArrayLock lock(psa);
  if (FAILED(lock.result())) return lock.result();
  return ReadElement(psa, static_cast<unsigned char*>(psa->pvData) + offset, pv);
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (!psa || !rgIndices) return E_INVALIDARG;
  // A null BSTR or interface is a value; a null pointer to anything else is not.
  if (!pv && !(psa->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH))) return E_INVALIDARG;
  size_t offset = 0;
  if (!CellOffset(psa, rgIndices, &offset)) return DISP_E_BADINDEX;
  ArrayLock lock(psa);
  if (FAILED(lock.result())) return lock.result();
  return WriteElement(psa, static_cast<unsigned char*>(psa->pvData) + offset, pv);
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
  if (!psa || !plLbound) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  *plLbound = psa->rgsabound[psa->cDims - nDim].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
  if (!psa || !plUbound) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& bound = psa->rgsabound[psa->cDims - nDim];
  *plUbound = static_cast<LONG>(int64_t{bound.lLbound} + bound.cElements - 1);
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) { return psa ? psa->cDims : 0; }

UINT SafeArrayGetElemsize(SAFEARRAY* psa) { return psa ? psa->cbElements : 0; }

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
  if (!psa || !pvt) return E_INVALIDARG;
  if (psa->fFeatures & FADF_RECORD)
    *pvt = VT_RECORD;
  else if (psa->fFeatures & FADF_HAVEIID)
    *pvt = (psa->fFeatures & FADF_DISPATCH) ? VT_DISPATCH : VT_UNKNOWN;
  else if (psa->fFeatures & FADF_HAVEVARTYPE)
    *pvt = static_cast<VARTYPE>(LoadVartype(psa));
  else
    return E_INVALIDARG;
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
  if (!ppsaOut) return E_INVALIDARG;
  *ppsaOut = nullptr;
  if (!psa) return S_OK;
  size_t count = 0;
  if (!CountElements(psa, &count)) return E_OUTOFMEMORY;
  comown::com_safearray copy(CreateShell(psa, 0));
  if (!copy.get()) return E_OUTOFMEMORY;
  copy.get()->pvData = std::calloc(count ? count : 1, psa->cbElements ? psa->cbElements : 1);
  if (!copy.get()->pvData) return E_OUTOFMEMORY;
  if (psa->pvData) {
    const HRESULT hr = CopyElements(psa, psa->pvData, copy.get()->pvData, count);
    if (FAILED(hr)) return hr;
  }
  *ppsaOut = copy.release();
  return S_OK;
}
