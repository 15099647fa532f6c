#include "python/Errors.h"

#include <cxxabi.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <typeinfo>

#include "libs/utilities/archive/DataObjectException.h"
#include "libs/utilities/archive/ExceptionFactory.h"
#include "libs/utilities/archive/Serialize"
#include "platform/CompressionGZip.h"

namespace dataobjects_data {
namespace python {
namespace {

struct ExceptionTypes {
  PyObject* tesmira;
  PyObject* dataObject;
  PyObject* serialization;
  PyObject* compression;
};
ExceptionTypes exceptionTypes;

py::str decoded(const char* text) {
  PyObject* s = PyUnicode_DecodeUTF8(text, static_cast<Py_ssize_t>(std::strlen(text)), "replace");
  if (s == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(s);
}

PyObject* typeOf(const TesmiraException& e) {
  if (dynamic_cast<const KavSerialize::SerializationException*>(&e)) {
    return exceptionTypes.serialization;
  }
  if (dynamic_cast<const DataObjectException*>(&e)) return exceptionTypes.dataObject;
  if (dynamic_cast<const CompressionException*>(&e)) return exceptionTypes.compression;
  return exceptionTypes.tesmira;
}

PyObject* exceptionType(py::module_& m, const char* name, PyObject* base, const char* doc) {
  PyObject* type = PyErr_NewExceptionWithDoc((std::string("dataobjects_data.") + name).c_str(), doc,
                                             base, nullptr);
  if (type == nullptr) throw py::error_already_set();
  const py::handle handle(type);
  handle.attr("reason") = "";
  handle.attr("file") = "";
  handle.attr("line") = 0;
  handle.attr("root_cause") = py::none();
  m.add_object(name, handle);  // the module takes a reference; ours stays for the translation
  return type;
}

// The C++ name of a type, demangled where that works.
std::string nameOf(const std::type_info* type) {
  if (type == nullptr) return "unknown";
  int status = 0;
  const std::unique_ptr<char, void (*)(void*)> name(
      abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), std::free);
  return status == 0 && name ? name.get() : type->name();
}

void setRuntimeError(const std::string& text) {
  PyErr_SetString(PyExc_RuntimeError, ("C++ exception " + text).c_str());
}

// setError's mapping; it may throw while it builds the Python exception.
void translate() {
  try {
    throw;
  } catch (py::error_already_set& e) {
    e.restore();
  } catch (const py::builtin_exception& e) {
    e.set_error();
  } catch (const TesmiraException& e) {
    raise(toPython(e));
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
  } catch (const std::exception& e) {
    setRuntimeError(nameOf(&typeid(e)) + ": " + e.what());
  } catch (...) {
    setRuntimeError("of type " + nameOf(abi::__cxa_current_exception_type()) +
                    " (not a std::exception)");
  }
}

}  // namespace

py::object toPython(const TesmiraException& e) {
  const py::object cause = e.getRootCause() ? toPython(*e.getRootCause()) : py::none();
  py::object exception = py::reinterpret_borrow<py::object>(typeOf(e))(decoded(e.what()));
  exception.attr("reason") = decoded(e.Reason());
  exception.attr("file") = decoded(e.getFile());
  exception.attr("line") = e.getLine();
  exception.attr("root_cause") = cause;
  if (!cause.is_none()) PyException_SetCause(exception.ptr(), cause.inc_ref().ptr());
  return exception;
}

void raise(const py::object& exception) {
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())), exception.ptr());
  throw py::error_already_set();
}

void setError() noexcept {
  try {
    translate();
  } catch (py::error_already_set& e) {  // the Python exception itself could not be made
    e.restore();
  } catch (...) {
    PyErr_NoMemory();
  }
}

namespace {

// For the module's tests: throws a C++ exception of the kind named, so that they can see what
// each becomes through pybind11's functions (_throw) and through the module's own slots
// (_throw_in_slot).
[[noreturn]] void throwKind(const std::string& kind) {
  if (kind == "bad_alloc") throw std::bad_alloc();
  if (kind == "length_error") throw std::length_error("vector::_M_default_append");
  if (kind == "library") {
    throw ExceptionFactory("Serialize", 7)
        .createException<KavSerialize::SerializationException>("Deserializing of object %s failed",
                                                               "long long");
  }
  throw kind.size();  // not a std::exception
}

PyObject* throwInSlot(PyObject*, PyObject* kind) {
  return guarded([&]() -> PyObject* { throwKind(py::cast<std::string>(kind)); });
}

PyMethodDef throwInSlotDef = {"_throw_in_slot", &throwInSlot, METH_O, nullptr};

}  // namespace

void addExceptions(py::module_& m) {
  exceptionTypes.tesmira = exceptionType(
      m, "TesmiraException", PyExc_ValueError,
      "A failure of the library: reason, file and line of the throw site, and the root cause (an "
      "exception of this kind) or None. Every one comes from the data (an archive, stored "
      "details), so each is a ValueError too.");
  exceptionTypes.dataObject = exceptionType(m, "DataObjectException", exceptionTypes.tesmira,
                                            "A data object refused an operation.");
  exceptionTypes.serialization = exceptionType(m, "SerializationException", exceptionTypes.tesmira,
                                               "An archive could not be written or read.");
  exceptionTypes.compression = exceptionType(m, "CompressionException", exceptionTypes.tesmira,
                                             "Details could not be compressed or decompressed.");
  py::register_exception_translator([](std::exception_ptr pointer) {
    try {
      if (pointer) std::rethrow_exception(pointer);
    } catch (...) {
      setError();
    }
  });
  m.def("_throw", &throwKind);
  const py::object throwInSlotFunction =
      py::reinterpret_steal<py::object>(PyCFunction_New(&throwInSlotDef, nullptr));
  if (!throwInSlotFunction) throw py::error_already_set();
  m.add_object("_throw_in_slot", throwInSlotFunction);
}

}  // namespace python
}  // namespace dataobjects_data
