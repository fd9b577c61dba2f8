// The built-in demo plant: a small process plant with every common type,
// every kind of access and the four simulated signals.
//
//   Status                              BSTR  read-only            (a leaf at the root)
//   Plant.Area1.Line1.Temperature       R8    read-only   sine 15..25 over 60 s
//   Plant.Area1.Line1.Pressure          R4    read-only   ramp 0..10 over 30 s
//   Plant.Area1.Line1.Speed             I4    read-write  1200
//   Plant.Area1.Line1.Running           BOOL  read-write  true
//   Plant.Area1.Line1.Produced          UI4   read-only   counter
//   Plant.Area1.Line1.Noise             R8    read-only   random 0..1
//   Plant.Area1.Line1.Recipe            BSTR  read-write  "Standard"
//   Plant.Area1.Line2.Temperature       R8    read-only   sine 18..22 over 90 s
//   Plant.Area1.Line2.Speed             I4    read-write  900
//   Plant.Area1.Line2.Start             BOOL  write-only
//   Plant.Area2.Tank1.Level             R8    read-only   ramp 0..100 over 120 s
//   Plant.Area2.Tank1.Setpoint          R8    read-write  50, access paths COM1 and COM2
//   Plant.Area2.Tank1.Reset             BOOL  write-only
//   Plant.Area2.Spare                   (an empty branch)
//   Plant.Types.<Name>                  one read-write item per type: Int8 I1, UInt8 UI1,
//                                       Int16 I2, UInt16 UI2, Int32 I4, UInt32 UI4, Float R4,
//                                       Double R8, Bool BOOL, String BSTR, Date DATE,
//                                       Int64 I8, Currency CY, DoubleArray R8[], LongArray I4[]
//   Plant.ReadOnly.Serial               UI4   read-only   4711
//   Plant.ReadOnly.Version              BSTR  read-only   "2.5.0"
//   Plant.WriteOnly.Command             I4    write-only
#include "objects.h"

namespace opcsim {

namespace {

constexpr DWORD kRead = OPC_READABLE;
constexpr DWORD kWrite = OPC_WRITEABLE;
constexpr DWORD kReadWrite = OPC_READABLE | OPC_WRITEABLE;

ItemSpec Item(VARTYPE type, DWORD access, Variant value = Variant()) {
  ItemSpec spec;
  spec.type = type;
  spec.access = access;
  spec.value = std::move(value);
  return spec;
}

ItemSpec SignalItem(VARTYPE type, SignalKind kind, double min, double max, double period) {
  ItemSpec spec = Item(type, kRead);
  spec.signal = Signal{kind, min, max, period};
  return spec;
}

void AddTypes(AddressSpace& s) {
  const double doubles[] = {1.5, 2.5, 3.5};
  const LONG longs[] = {1, 2, 3, 4};
  s.AddItem("Plant.Types.Int8", Item(VT_I1, kReadWrite, variant::I1(-8)));
  s.AddItem("Plant.Types.UInt8", Item(VT_UI1, kReadWrite, variant::UI1(8)));
  s.AddItem("Plant.Types.Int16", Item(VT_I2, kReadWrite, variant::I2(-16)));
  s.AddItem("Plant.Types.UInt16", Item(VT_UI2, kReadWrite, variant::UI2(16)));
  s.AddItem("Plant.Types.Int32", Item(VT_I4, kReadWrite, variant::I4(-32)));
  s.AddItem("Plant.Types.UInt32", Item(VT_UI4, kReadWrite, variant::UI4(32)));
  s.AddItem("Plant.Types.Float", Item(VT_R4, kReadWrite, variant::R4(3.5f)));
  s.AddItem("Plant.Types.Double", Item(VT_R8, kReadWrite, variant::R8(6.25)));
  s.AddItem("Plant.Types.Bool", Item(VT_BOOL, kReadWrite, variant::Bool(true)));
  s.AddItem("Plant.Types.String", Item(VT_BSTR, kReadWrite, variant::Str("text")));
  s.AddItem("Plant.Types.Date", Item(VT_DATE, kReadWrite, variant::Date(45000.5)));  // 2023-03-15 12:00
  s.AddItem("Plant.Types.Int64", Item(VT_I8, kReadWrite, variant::I8(-64)));
  s.AddItem("Plant.Types.Currency", Item(VT_CY, kReadWrite, variant::Cy(123456)));  // 12.3456
  s.AddItem("Plant.Types.DoubleArray", Item(VT_ARRAY | VT_R8, kReadWrite, variant::R8Array(doubles, 3)));
  s.AddItem("Plant.Types.LongArray", Item(VT_ARRAY | VT_I4, kReadWrite, variant::I4Array(longs, 4)));
}

}  // namespace

std::shared_ptr<AddressSpace> DemoPlant() {
  auto space = std::make_shared<AddressSpace>(WCHAR('.'));
  AddressSpace& s = *space;
  s.AddItem("Status", Item(VT_BSTR, kRead, variant::Str("OK")));

  ItemSpec temperature = SignalItem(VT_R8, SignalKind::Sine, 15, 25, 60);
  temperature.description = "Line 1 temperature";
  s.AddItem("Plant.Area1.Line1.Temperature", temperature);
  s.AddItem("Plant.Area1.Line1.Pressure", SignalItem(VT_R4, SignalKind::Ramp, 0, 10, 30));
  s.AddItem("Plant.Area1.Line1.Speed", Item(VT_I4, kReadWrite, variant::I4(1200)));
  s.AddItem("Plant.Area1.Line1.Running", Item(VT_BOOL, kReadWrite, variant::Bool(true)));
  s.AddItem("Plant.Area1.Line1.Produced", SignalItem(VT_UI4, SignalKind::Counter, 0, 4294967295.0, 1));
  s.AddItem("Plant.Area1.Line1.Noise", SignalItem(VT_R8, SignalKind::Random, 0, 1, 1));
  s.AddItem("Plant.Area1.Line1.Recipe", Item(VT_BSTR, kReadWrite, variant::Str("Standard")));

  s.AddItem("Plant.Area1.Line2.Temperature", SignalItem(VT_R8, SignalKind::Sine, 18, 22, 90));
  s.AddItem("Plant.Area1.Line2.Speed", Item(VT_I4, kReadWrite, variant::I4(900)));
  s.AddItem("Plant.Area1.Line2.Start", Item(VT_BOOL, kWrite));

  s.AddItem("Plant.Area2.Tank1.Level", SignalItem(VT_R8, SignalKind::Ramp, 0, 100, 120));
  ItemSpec setpoint = Item(VT_R8, kReadWrite, variant::R8(50));
  setpoint.accessPaths = {"COM1", "COM2"};
  s.AddItem("Plant.Area2.Tank1.Setpoint", setpoint);
  s.AddItem("Plant.Area2.Tank1.Reset", Item(VT_BOOL, kWrite));
  s.AddBranchPath("Plant.Area2.Spare");

  AddTypes(s);

  s.AddItem("Plant.ReadOnly.Serial", Item(VT_UI4, kRead, variant::UI4(4711)));
  s.AddItem("Plant.ReadOnly.Version", Item(VT_BSTR, kRead, variant::Str("2.5.0")));
  s.AddItem("Plant.WriteOnly.Command", Item(VT_I4, kWrite));
  return space;
}

}  // namespace opcsim
