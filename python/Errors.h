// The one way every entry point of the module turns a C++ exception into a Python one:
//   - the library's exceptions become dataobjects_data.TesmiraException and its subclasses (all
//     of them ValueError too, as decoding errors are in json and msgpack), with reason, file,
//     line and the root cause chained;
//   - std::bad_alloc becomes MemoryError;
//   - a Python error passing through C++ (a loader's, a file's) is raised again as it was, and
//     pybind11's own (TypeError, ValueError, ...) as they say;
//   - any other exception, std::exception or not, becomes RuntimeError naming it.
#ifndef PYTHON_ERRORS_H
#define PYTHON_ERRORS_H

#include <pybind11/pybind11.h>

#include "platform/TesmiraException.h"

namespace dataobjects_data {
namespace python {

namespace py = pybind11;

// Adds the exception classes to the module and makes them the translation of pybind11's
// functions too.
void addExceptions(py::module_& m);

// The Python exception of a library exception, its root causes chained as root_cause and as
// __cause__.
py::object toPython(const TesmiraException& e);

// Raises `exception` (an instance).
[[noreturn]] void raise(const py::object& exception);

// Sets the Python error for the C++ exception being handled. Never throws.
void setError() noexcept;

// Runs f, which returns a new reference; an exception becomes the Python error and null.
template <class F>
PyObject* guarded(F&& f) noexcept {
  try {
    return f();
  } catch (...) {
    setError();
    return nullptr;
  }
}

// Runs f; an exception becomes the Python error and -1.
template <class F>
int guardedStatus(F&& f) noexcept {
  try {
    f();
    return 0;
  } catch (...) {
    setError();
    return -1;
  }
}

}  // namespace python
}  // namespace dataobjects_data

#endif  // PYTHON_ERRORS_H
