// Apartments: which threads are in COM and in which model.
//
// A thread enters COM with CoInitializeEx and leaves when its calls are
// balanced by CoUninitialize. Single-threaded apartments belong to one thread;
// all multithreaded threads share the process's one MTA, which lives while at
// least one thread is in it. A thread that never entered COM still works in
// that MTA while it exists, as Windows' implicit MTA does.
#include <atomic>
#include <mutex>
#include <utility>

#include "com_runtime.h"

namespace native_com {
namespace {

std::atomic<ApartmentId> g_next_apartment_id{1};

ApartmentId NewApartmentId() { return g_next_apartment_id.fetch_add(1); }

class MultithreadedApartment {
 public:
  ApartmentId Join() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (members_++ == 0) id_ = NewApartmentId();
    return id_;
  }

  // Returns the id of the apartment that ended with this thread, or 0.
  ApartmentId Leave() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (--members_ > 0) return 0;
    return std::exchange(id_, 0);
  }

  ApartmentId Current() {
    std::lock_guard<std::mutex> lock(mutex_);
    return id_;
  }

 private:
  std::mutex mutex_;
  unsigned members_ = 0;
  ApartmentId id_ = 0;
};

MultithreadedApartment& TheMta() {
  static MultithreadedApartment* const mta = new MultithreadedApartment;
  return *mta;
}

struct ThreadComState {
  ULONG init_count = 0;
  bool multithreaded = false;
  ApartmentId apartment = 0;
};

thread_local ThreadComState t_com;

bool IsMultithreaded(DWORD coinit) { return (coinit & COINIT_APARTMENTTHREADED) == 0; }

constexpr DWORD kKnownCoInitFlags =
    COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY;

}  // namespace

ApartmentId CurrentApartment() {
  if (t_com.init_count > 0) return t_com.apartment;
  return TheMta().Current();
}

bool CurrentApartmentIsMultithreaded() { return t_com.init_count > 0 ? t_com.multithreaded : true; }

}  // namespace native_com

using native_com::t_com;

WINOLEAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit) {
  if (pvReserved != nullptr || (dwCoInit & ~native_com::kKnownCoInitFlags) != 0) return E_INVALIDARG;
  const bool multithreaded = native_com::IsMultithreaded(dwCoInit);
  if (t_com.init_count > 0) {
    if (t_com.multithreaded != multithreaded) return RPC_E_CHANGED_MODE;
    ++t_com.init_count;
    return S_FALSE;
  }
  t_com.multithreaded = multithreaded;
  t_com.apartment = multithreaded ? native_com::TheMta().Join() : native_com::NewApartmentId();
  t_com.init_count = 1;
  return S_OK;
}

WINOLEAPI CoInitialize(LPVOID pvReserved) { return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED); }

WINOLEAPI_(void) CoUninitialize(void) {
  if (t_com.init_count == 0 || --t_com.init_count > 0) return;
  const native_com::ApartmentId ended =
      t_com.multithreaded ? native_com::TheMta().Leave() : t_com.apartment;
  t_com.apartment = 0;
  if (ended != 0) native_com::RevokeClassObjectsOfApartment(ended);
}
