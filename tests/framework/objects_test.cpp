// The object model: reference counts and handles, interfaces, meta-classes,
// class tests and casts by name, and the allocation operator.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "FrameworkTestSupport.h"
#include "QARBaseUnknown.h"
#include "QARError.h"
#include "QARMetaClass.h"
#include "QARTestSupport.h"

namespace {

// A host class declared the way library classes declare themselves.
class Gauge : public QARBaseUnknown {
 public:
  explicit Gauge(int* destroyed = nullptr) : _Destroyed(destroyed) {}
  ~Gauge() override {
    if (_Destroyed != nullptr) ++*_Destroyed;
  }
  static QARMetaClass* MetaObject() {
    static QARMetaClass* const meta = fct_RetrieveMetaObject("TestGauge", QARImplementationClass,
                                                             QARBaseUnknown::MetaObject(), "QARNull", "Tests",
                                                             sizeof(Gauge));
    return meta;
  }
  QARMetaClass* GetMetaObject() const override { return MetaObject(); }

 private:
  int* _Destroyed;
};

class PressureGauge : public Gauge {
 public:
  static QARMetaClass* MetaObject() {
    static QARMetaClass* const meta = fct_RetrieveMetaObject("TestPressureGauge", QARImplementationClass,
                                                             Gauge::MetaObject(), "QARNull", "Tests",
                                                             sizeof(PressureGauge));
    return meta;
  }
  QARMetaClass* GetMetaObject() const override { return MetaObject(); }
};

}  // namespace

TEST(ReferenceCount, NewObjectsStartWithTheCreatorsReferenceAndCopiesWithTheirOwn) {
  int destroyed = 0;
  Gauge* gauge = new Gauge(&destroyed);
  EXPECT_EQ(1u, gauge->GetRefCount());
  EXPECT_EQ(2u, gauge->AddRef());
  EXPECT_EQ(1u, gauge->Release());
  EXPECT_EQ(0, destroyed);
  {
    Gauge copy(*gauge);
    EXPECT_EQ(1u, copy.GetRefCount());
    copy = *gauge;
    EXPECT_EQ(1u, copy.GetRefCount());
  }
  EXPECT_EQ(0u, gauge->Release());
  EXPECT_EQ(2, destroyed);  // the copy, then the original
}

TEST(ReferenceCount, IsSafeAcrossThreads) {
  int destroyed = 0;
  com_ptr<Gauge> gauge(new Gauge(&destroyed), comown::attach);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&gauge] {
      for (int i = 0; i < 10000; ++i) com_ptr<Gauge> shared(gauge);
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(1u, gauge->GetRefCount());
  gauge.reset();
  EXPECT_EQ(1, destroyed);
}

TEST(Handles, TakeAndDropTheirOwnReferences) {
  int destroyed = 0;
  Gauge* gauge = new Gauge(&destroyed);
  {
    QARBaseUnknown_var first(gauge);
    QARBaseUnknown_var second = first;
    EXPECT_EQ(3u, gauge->GetRefCount());
    QARBaseUnknown_var moved(std::move(second));
    EXPECT_TRUE(second.IsNull());
    EXPECT_EQ(3u, gauge->GetRefCount());
    QARBaseUnknown_var& alias = moved;
    moved = alias;   // self-assignment keeps the reference
    first = gauge;   // re-pointing at the same object too
    EXPECT_EQ(3u, gauge->GetRefCount());
    EXPECT_EQ(gauge, static_cast<QARBaseUnknown*>(first));
    moved = nullptr;
    EXPECT_EQ(2u, gauge->GetRefCount());
  }
  EXPECT_EQ(1u, gauge->GetRefCount());

  QARBaseUnknown_var owner;
  owner.Attach(gauge);  // takes over the creator's reference
  EXPECT_EQ(1u, gauge->GetRefCount());
  QARBaseUnknown* released = owner.Detach();
  EXPECT_EQ(gauge, released);
  EXPECT_EQ(0, destroyed);
  owner.Attach(released);
  owner.Reset();
  EXPECT_EQ(1, destroyed);
}

TEST(Interfaces, QueryInterfaceAnswersIUnknownAndClassNames) {
  const com_ptr<Gauge> gauge(new PressureGauge, comown::attach);
  com_ptr<IUnknown> found;
  EXPECT_EQ(S_OK, gauge->QueryInterface(IID_IUnknown, found.put_void()));
  EXPECT_EQ(static_cast<IUnknown*>(gauge.get()), found.get());
  EXPECT_EQ(E_NOINTERFACE, gauge->QueryInterface(IID_IClassFactory, found.put_void()));
  EXPECT_FALSE(found);
  for (const char* name : {"TestGauge", "QARBaseUnknown"}) {
    EXPECT_EQ(S_OK, gauge->QueryInterface(name, found.put_void())) << name;
    EXPECT_EQ(2u, gauge->GetRefCount()) << name;
  }
  EXPECT_EQ(E_NOINTERFACE, gauge->QueryInterface("QARError", found.put_void()));
  EXPECT_EQ(E_POINTER, gauge->QueryInterface(IID_IUnknown, nullptr));
}

TEST(MetaClasses, DescribeTheClassAndItsAncestors) {
  PressureGauge gauge;
  EXPECT_STREQ("TestPressureGauge", gauge.IsA());
  for (const char* ancestor : {"TestPressureGauge", "TestGauge", "QARBaseUnknown"}) {
    EXPECT_EQ(1, gauge.IsAKindOf(ancestor)) << ancestor;
  }
  EXPECT_EQ(0, gauge.IsAKindOf("QARError"));
  EXPECT_EQ(0, gauge.IsAKindOf(nullptr));
  EXPECT_EQ(0, Gauge().IsAKindOf("TestPressureGauge"));

  EXPECT_EQ(PressureGauge::MetaObject(), fct_FindMetaObject("TestPressureGauge"));
  EXPECT_EQ(nullptr, fct_FindMetaObject("NoSuchClass"));
}

TEST(MetaClasses, RegistrationHappensOnceAndIdentifiersAreStableAndDistinct) {
  QARMetaClass* again = fct_RetrieveMetaObject("TestGauge", QARAbstractClass, nullptr, "", "Other", 1);
  EXPECT_EQ(Gauge::MetaObject(), again);
  EXPECT_EQ(QARImplementationClass, again->GetTypeOfClass());
  EXPECT_EQ(nullptr, fct_RetrieveMetaObject("", QARImplementationClass, nullptr, "QARNull", "Tests", 1));

  const GUID gaugeId = Gauge::MetaObject()->GetClassId();
  EXPECT_FALSE(IsEqualGUID(gaugeId, PressureGauge::MetaObject()->GetClassId()));
  EXPECT_FALSE(IsEqualGUID(gaugeId, GUID_NULL));
  const QARMetaClass sameNames("TestGauge", QARImplementationClass, nullptr, "QARNull", "Tests", 0);
  EXPECT_TRUE(IsEqualGUID(gaugeId, sameNames.GetClassId()));
  EXPECT_TRUE(IsEqualGUID(QARError::ClassId(), QARError::MetaObject()->GetClassId()));
}

TEST(MetaClasses, DynamicCastFollowsTheParentChain) {
  Gauge* pressure = new PressureGauge;
  QARBaseUnknown_var handle;
  handle.Attach(pressure);
  EXPECT_EQ(pressure, QARSysDynamicCast(handle, Gauge::MetaObject()));
  EXPECT_EQ(pressure, QARSysDynamicCast<PressureGauge>(handle));
  EXPECT_EQ(nullptr, QARSysDynamicCast(handle, QARError::MetaObject()));
  EXPECT_EQ(nullptr, QARSysDynamicCast(nullptr, Gauge::MetaObject()));
  EXPECT_EQ(1u, pressure->GetRefCount());  // casting takes no reference
}

TEST(Allocation, RefusedAllocationsGiveNullWithoutConstructing) {
  int destroyed = 0;
  QARSimulateAllocationFailures(2);
  EXPECT_EQ(nullptr, new Gauge(&destroyed));
  EXPECT_EQ(nullptr, new QARError(1));
  com_ptr<Gauge> third(new Gauge(&destroyed), comown::attach);
  ASSERT_TRUE(third);
  third.reset();
  EXPECT_EQ(1, destroyed);
}
