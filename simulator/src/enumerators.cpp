// Enumerators handed out by the server: IEnumString (browsing, access paths,
// group names), IEnumGUID (server list), IEnumUnknown (groups) and
// IEnumOPCItemAttributes (items of a group). All snapshot or index their
// content when created and answer S_FALSE when they fetch fewer than asked.
#include "objects.h"

namespace opcsim {

namespace {

// The call-log names of an enumerator's methods, made once.
struct MethodNames {
  const char* next;
  const char* skip;
  const char* reset;
  const char* clone;
};
#define OPCSIM_ENUM_NAMES(I) MethodNames{#I "::Next", #I "::Skip", #I "::Reset", #I "::Clone"}

// Produce hands element i to the client's array; Discard takes back one that
// a failed Next had handed out already.
struct StringTraits {
  using Interface = IEnumString;
  using Out = LPOLESTR;
  using Store = StringSource;
  static constexpr MethodNames kNames = OPCSIM_ENUM_NAMES(IEnumString);
  static const IID& Iid() { return IID_IEnumString; }
  static std::size_t Count(const Store& s) { return s.Count(); }
  static bool Produce(const Store& s, std::size_t i, Out* out) { return (*out = s.At(i).release()) != nullptr; }
  static void Discard(Out* out) { comown::task_string discarded(std::exchange(*out, nullptr)); }
};

struct GuidTraits {
  using Interface = IEnumGUID;
  using Out = GUID;
  using Store = std::vector<GUID>;
  static constexpr MethodNames kNames = OPCSIM_ENUM_NAMES(IEnumGUID);
  static const IID& Iid() { return IID_IEnumGUID; }
  static std::size_t Count(const Store& s) { return s.size(); }
  static bool Produce(const Store& s, std::size_t i, Out* out) { return *out = s[i], true; }
  static void Discard(Out*) {}
};

struct UnknownTraits {
  using Interface = IEnumUnknown;
  using Out = IUnknown*;
  using Store = std::vector<com_ptr<IUnknown>>;
  static constexpr MethodNames kNames = OPCSIM_ENUM_NAMES(IEnumUnknown);
  static const IID& Iid() { return IID_IEnumUnknown; }
  static std::size_t Count(const Store& s) { return s.size(); }
  static bool Produce(const Store& s, std::size_t i, Out* out) { return s[i].copy_to(out), true; }
  static void Discard(Out* out) { com_ptr<IUnknown> discarded(std::exchange(*out, nullptr), comown::attach); }
};
#undef OPCSIM_ENUM_NAMES

template <class Traits>
class Enumerator final : public ComObject, public Traits::Interface {
 public:
  using Itf = typename Traits::Interface;
  using Store = typename Traits::Store;
  using Out = typename Traits::Out;

  Enumerator(std::shared_ptr<Core> core, std::shared_ptr<const Store> store, std::size_t position = 0)
      : core_(std::move(core)), store_(std::move(store)), position_(position) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, Traits::Iid())) return E_NOINTERFACE;
    *ppv = static_cast<Itf*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

  HRESULT STDMETHODCALLTYPE Next(ULONG celt, Out* rgelt, ULONG* fetched) override {
    MethodCall call(*core_, Traits::kNames.next);
    call.Num("count", celt).Begin();
    if (fetched) *fetched = 0;
    if (call.ShortCircuit()) {
      if (rgelt && celt > 0) rgelt[0] = Out();
      return call.FaultResult();
    }
    if (!rgelt || (celt != 1 && !fetched)) return call.Return(E_POINTER);
    ULONG n = 0;
    {
      std::lock_guard<std::mutex> lock(core_->mutex);
      std::size_t count = Traits::Count(*store_);
      const bool endless = core_->options.enumeratorsNeverEnd && count > 0;
      while (n < celt && (position_ < count || endless)) {
        const std::size_t index = position_ < count ? position_ : count - 1;
        if (!Traits::Produce(*store_, index, &rgelt[n])) {
          for (ULONG k = 0; k < n; ++k) Traits::Discard(&rgelt[k]);
          return call.Return(E_OUTOFMEMORY);
        }
        if (position_ < count) ++position_;
        ++n;
      }
    }
    // A hostile server's count runs past what it handed out.
    for (ULONG k = n; k < celt; ++k) rgelt[k] = Out();
    if (fetched) *fetched = n + core_->options.enumeratorsOverstate;
    return call.Return(n == celt || !core_->options.enumeratorsEndWithSFalse ? S_OK : S_FALSE);
  }

  HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override {
    MethodCall call(*core_, Traits::kNames.skip);
    call.Num("count", celt).Begin();
    if (call.ShortCircuit()) return call.FaultResult();
    std::lock_guard<std::mutex> lock(core_->mutex);
    std::size_t count = Traits::Count(*store_);
    std::size_t left = count > position_ ? count - position_ : 0;
    position_ += std::min<std::size_t>(celt, left);
    return call.Return(celt <= left ? S_OK : S_FALSE);
  }

  HRESULT STDMETHODCALLTYPE Reset() override {
    MethodCall call(*core_, Traits::kNames.reset);
    call.Begin();
    if (call.ShortCircuit()) return call.FaultResult();
    std::lock_guard<std::mutex> lock(core_->mutex);
    position_ = 0;
    return call.Return(S_OK);
  }

  HRESULT STDMETHODCALLTYPE Clone(Itf** ppenum) override {
    MethodCall call(*core_, Traits::kNames.clone);
    call.Begin();
    if (ppenum) *ppenum = nullptr;
    if (call.ShortCircuit()) return call.FaultResult();
    if (!ppenum) return call.Return(E_POINTER);
    std::size_t position;
    {
      std::lock_guard<std::mutex> lock(core_->mutex);
      position = position_;
    }
    *ppenum = MakeObject<Enumerator>(core_, store_, position).detach();
    return call.Return(S_OK);
  }

 private:
  std::shared_ptr<Core> core_;
  std::shared_ptr<const Store> store_;
  std::size_t position_;
};

// IEnumOPCItemAttributes hands out one task-memory array per Next.
class ItemAttributesEnumerator final : public ComObject, public IEnumOPCItemAttributes {
 public:
  ItemAttributesEnumerator(std::shared_ptr<Core> core, std::shared_ptr<const std::vector<ItemAttributes>> items,
                           std::size_t position = 0)
      : core_(std::move(core)), items_(std::move(items)), position_(position) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IEnumOPCItemAttributes)) return E_NOINTERFACE;
    *ppv = static_cast<IEnumOPCItemAttributes*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

  HRESULT STDMETHODCALLTYPE Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* fetched) override {
    MethodCall call(*core_, "IEnumOPCItemAttributes::Next");
    call.Num("count", celt).Begin();
    if (ppItemArray) *ppItemArray = nullptr;
    if (fetched) *fetched = 0;
    if (call.ShortCircuit()) return call.FaultResult();
    if (!ppItemArray || !fetched) return call.Return(E_POINTER);
    std::lock_guard<std::mutex> lock(core_->mutex);
    std::size_t left = items_->size() > position_ ? items_->size() - position_ : 0;
    ULONG n = static_cast<ULONG>(std::min<std::size_t>(celt, left));
    if (n > 0) {
      auto out = comown::task_item_attributes::allocate(n);
      if (!out) return call.Return(E_OUTOFMEMORY);
      for (ULONG i = 0; i < n; ++i)
        if (!Fill((*items_)[position_ + i], &out[i])) return call.Return(E_OUTOFMEMORY);
      *ppItemArray = out.release();
      position_ += n;
    }
    *fetched = n;
    return call.Return(n == celt || !core_->options.enumeratorsEndWithSFalse ? S_OK : S_FALSE);
  }

  HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override {
    MethodCall call(*core_, "IEnumOPCItemAttributes::Skip");
    call.Num("count", celt).Begin();
    if (call.ShortCircuit()) return call.FaultResult();
    std::lock_guard<std::mutex> lock(core_->mutex);
    std::size_t left = items_->size() > position_ ? items_->size() - position_ : 0;
    position_ += std::min<std::size_t>(celt, left);
    return call.Return(celt <= left ? S_OK : S_FALSE);
  }

  HRESULT STDMETHODCALLTYPE Reset() override {
    MethodCall call(*core_, "IEnumOPCItemAttributes::Reset");
    call.Begin();
    if (call.ShortCircuit()) return call.FaultResult();
    std::lock_guard<std::mutex> lock(core_->mutex);
    position_ = 0;
    return call.Return(S_OK);
  }

  HRESULT STDMETHODCALLTYPE Clone(IEnumOPCItemAttributes** ppenum) override {
    MethodCall call(*core_, "IEnumOPCItemAttributes::Clone");
    call.Begin();
    if (ppenum) *ppenum = nullptr;
    if (call.ShortCircuit()) return call.FaultResult();
    if (!ppenum) return call.Return(E_POINTER);
    std::lock_guard<std::mutex> lock(core_->mutex);
    *ppenum = MakeObject<ItemAttributesEnumerator>(core_, items_, position_).detach();
    return call.Return(S_OK);
  }

 private:
  // False when out of memory; the array's holder frees what was filled.
  static bool Fill(const ItemAttributes& a, OPCITEMATTRIBUTES* out) {
    out->szAccessPath = comown::task_copy(a.accessPath).release();
    out->szItemID = comown::task_copy(a.itemId).release();
    out->bActive = a.active;
    out->hClient = a.hClient;
    out->hServer = a.hServer;
    out->dwAccessRights = a.access;
    out->dwBlobSize = 0;
    out->pBlob = nullptr;
    out->vtRequestedDataType = a.requested;
    out->vtCanonicalDataType = a.canonical;
    out->dwEUType = OPC_NOENUM;
    VariantInit(&out->vEUInfo);
    return out->szAccessPath != nullptr && out->szItemID != nullptr;
  }

  std::shared_ptr<Core> core_;
  std::shared_ptr<const std::vector<ItemAttributes>> items_;
  std::size_t position_;
};

template <class Traits, class Store>
com_ptr<typename Traits::Interface> Make(std::shared_ptr<Core> core, std::shared_ptr<const Store> store) {
  return MakeObject<Enumerator<Traits>>(std::move(core), std::move(store));
}

}  // namespace

com_ptr<IEnumString> NewStringEnumerator(std::shared_ptr<Core> core, std::shared_ptr<const StringSource> source) {
  return Make<StringTraits>(std::move(core), std::move(source));
}

com_ptr<IEnumGUID> NewGuidEnumerator(std::shared_ptr<Core> core, std::vector<GUID> items) {
  return Make<GuidTraits>(std::move(core), std::make_shared<const std::vector<GUID>>(std::move(items)));
}

com_ptr<IEnumUnknown> NewUnknownEnumerator(std::shared_ptr<Core> core, std::vector<com_ptr<IUnknown>> items) {
  return Make<UnknownTraits>(std::move(core),
                             std::make_shared<const std::vector<com_ptr<IUnknown>>>(std::move(items)));
}

com_ptr<IEnumOPCItemAttributes> NewItemAttributesEnumerator(std::shared_ptr<Core> core,
                                                            std::vector<ItemAttributes> items) {
  return MakeObject<ItemAttributesEnumerator>(std::move(core),
                                              std::make_shared<const std::vector<ItemAttributes>>(std::move(items)));
}

}  // namespace opcsim
