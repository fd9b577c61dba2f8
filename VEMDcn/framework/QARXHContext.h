// Catching thrown framework errors.
//
//   QARXHContext context;
//   if (!context.Run([&] { work(); })) {
//     QARError* error = context.GetError();   // what work threw
//     ... error->GetNLSMessage() ...
//     context.Flush();                         // dispose of it
//   }
//
// While Run executes work, QARError::Throw on this thread throws a
// QARException, which Run catches; any other exception passes through Run
// unchanged. Guards nest: an error that an inner context throws on reaches
// the next enclosing Run.
#pragma once

#include <exception>
#include <type_traits>

#include "QARError.h"
#include "VEMDcnExport.h"
#include "comown.h"

// The C++ exception that carries a thrown error; it holds one reference.
class VEMDCN_EXPORT QARException : public std::exception {
 public:
  // Takes over one reference on error.
  explicit QARException(QARError* error) noexcept;
  QARException(const QARException& other) noexcept = default;
  QARException& operator=(const QARException& other) noexcept = default;
  ~QARException() override = default;

  // The class name of the error.
  const char* what() const noexcept override;
  // The error; the exception keeps its reference.
  QARError* GetError() const noexcept { return _Error.get(); }
  // Hands the reference over to the caller.
  QARError* Detach() noexcept { return _Error.detach(); }

 private:
  comown::com_ptr<QARError> _Error;
};

class VEMDCN_EXPORT QARXHContext {
 public:
  QARXHContext() noexcept;
  // Disposes of an error still held.
  ~QARXHContext();
  QARXHContext(const QARXHContext&) = delete;
  QARXHContext& operator=(const QARXHContext&) = delete;

  // Runs work under the guard: 1 when it completed, 0 when it threw a
  // framework error, which the context then holds (GetError). An error held
  // from an earlier Run is disposed of first.
  template <class Work>
  int Run(Work&& work) {
    typedef typename std::remove_reference<Work>::type Callable;
    return RunGuarded(&Invoke<Callable>, const_cast<void*>(static_cast<const void*>(&work)));
  }

  // The caught error, or null; the context keeps its reference.
  QARError* GetError() const noexcept { return _Caught.get(); }
  // Releases the caught error.
  void Flush() noexcept;
  // Hands the caught error over with its reference; the context forgets it.
  QARError* Detach() noexcept;

 private:
  template <class Work>
  static void Invoke(void* work) {
    (*static_cast<Work*>(work))();  // Work keeps the caller's constness
  }
  // Throwing and catching both happen inside the library, so that the
  // exception never has to be matched by another module's C++ runtime (on
  // Windows each module may carry its own).
  int RunGuarded(void (*invoke)(void*), void* work);

  comown::com_ptr<QARError> _Caught;
};
