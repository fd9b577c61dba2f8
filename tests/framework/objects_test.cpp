// The object model: reference counts and handles, interfaces, meta-classes,
// class tests and casts by name, and the allocation operator.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

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

TEST(ReferenceCount, NewObjectsStartWithTheCreatorsReferenceAndDieWithTheLast) {
  int destroyed = 0;
  Gauge* gauge = new Gauge(&destroyed);
  EXPECT_EQ(1u, gauge->GetRefCount());
  EXPECT_EQ(2u, gauge->AddRef());
  EXPECT_EQ(1u, gauge->Release());
  EXPECT_EQ(0, destroyed);
  EXPECT_EQ(0u, gauge->Release());
  EXPECT_EQ(1, destroyed);
}

TEST(ReferenceCount, IsSafeAcrossThreads) {
  int destroyed = 0;
  Gauge* gauge = new Gauge(&destroyed);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([gauge] {
      for (int i = 0; i < 10000; ++i) {
        gauge->AddRef();
        gauge->Release();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(1u, gauge->GetRefCount());
  gauge->Release();
  EXPECT_EQ(1, destroyed);
}

TEST(ReferenceCount, ACopyIsANewObjectWithItsOwnCount) {
  Gauge original;
  original.AddRef();
  Gauge copy(original);
  EXPECT_EQ(1u, copy.GetRefCount());
  copy = original;
  EXPECT_EQ(1u, copy.GetRefCount());
  EXPECT_EQ(2u, original.GetRefCount());
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
  Gauge* gauge = new PressureGauge;
  void* found = nullptr;
  EXPECT_EQ(S_OK, gauge->QueryInterface(IID_IUnknown, &found));
  EXPECT_EQ(static_cast<IUnknown*>(gauge), found);
  EXPECT_EQ(E_NOINTERFACE, gauge->QueryInterface(IID_IClassFactory, &found));
  EXPECT_EQ(nullptr, found);
  EXPECT_EQ(S_OK, gauge->QueryInterface("TestGauge", &found));
  EXPECT_EQ(S_OK, gauge->QueryInterface("QARBaseUnknown", &found));
  EXPECT_EQ(E_NOINTERFACE, gauge->QueryInterface("QARError", &found));
  EXPECT_EQ(E_POINTER, gauge->QueryInterface(IID_IUnknown, nullptr));
  EXPECT_EQ(4u, gauge->GetRefCount());  // three successful queries

  UINT count = 9;
  EXPECT_EQ(S_OK, gauge->GetTypeInfoCount(&count));
  EXPECT_EQ(0u, count);
  EXPECT_EQ(E_NOTIMPL, gauge->GetIDsOfNames(IID_NULL, nullptr, 0, 0, nullptr));
  EXPECT_EQ(gauge, gauge->GetImpl());
  EXPECT_EQ(1, gauge->IsEqual(gauge));
  EXPECT_EQ(0, gauge->IsNull());
  while (gauge->Release() > 0) {
  }
}

TEST(MetaClasses, DescribeTheClassAndItsAncestors) {
  PressureGauge gauge;
  EXPECT_STREQ("TestPressureGauge", gauge.IsA());
  EXPECT_EQ(1, gauge.IsAKindOf("TestPressureGauge"));
  EXPECT_EQ(1, gauge.IsAKindOf("TestGauge"));
  EXPECT_EQ(1, gauge.IsAKindOf("QARBaseUnknown"));
  EXPECT_EQ(0, gauge.IsAKindOf("QARError"));
  EXPECT_EQ(0, gauge.IsAKindOf(nullptr));
  EXPECT_EQ(0, Gauge().IsAKindOf("TestPressureGauge"));

  QARMetaClass* meta = PressureGauge::MetaObject();
  EXPECT_EQ(Gauge::MetaObject(), meta->GetParent());
  EXPECT_STREQ("Tests", meta->GetFrameworkName());
  EXPECT_STREQ("QARNull", meta->GetExtendedClassName());
  EXPECT_EQ(QARImplementationClass, meta->GetTypeOfClass());
  EXPECT_EQ(sizeof(PressureGauge), meta->GetInstanceSize());
  EXPECT_EQ(meta, fct_FindMetaObject("TestPressureGauge"));
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
  QARBaseUnknown_var handle(pressure);
  pressure->Release();
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
  Gauge* third = new Gauge(&destroyed);
  ASSERT_NE(nullptr, third);
  third->Release();
  EXPECT_EQ(1, destroyed);
}
