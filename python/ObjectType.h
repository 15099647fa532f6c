// The Python types of the data object classes. Each is a plain Python type whose instances hold
// the C++ object in place: reading an archive makes one allocation per object and no
// registration, which keeps loads() ahead of msgpack's unpacking of the same fields.
#ifndef PYTHON_OBJECTTYPE_H
#define PYTHON_OBJECTTYPE_H

#include <pybind11/pybind11.h>

#include <new>

#include "platform/Archive.h"

namespace dataobjects_data {
namespace python {

namespace py = pybind11;

// A data object as Python holds it, with the Python callable that fetches its details.
template <class O>
struct Instance {
  PyObject head;
  alignas(O) unsigned char storage[sizeof(O)];  // the object, constructed in place by make()
  PyObject* loader;                             // owned; null: no loader
  O& object() { return *std::launder(reinterpret_cast<O*>(storage)); }
  const O& object() const { return *std::launder(reinterpret_cast<const O*>(storage)); }
};

template <class O>
Instance<O>& instance(PyObject* self) {
  return *reinterpret_cast<Instance<O>*>(self);
}

// How the module's readers and writers handle the objects of one class.
struct ClassOps {
  PyTypeObject* type;
  // A new object read from the archive (a new reference).
  PyObject* (*read)(Archive& archive);
  // Writes the object, fetching its details through its loader where it must.
  void (*write)(Archive& archive, PyObject* object);
};

// The operations of the class of `object`, or null when it is no data object.
const ClassOps* opsOfObject(py::handle object);
// The operations of the class `cls`; TypeError when it is no data object class.
const ClassOps& opsOfClass(py::handle cls);

// Adds UuidEntryDO and every data object class with its Id to the module.
void addClasses(py::module_& m);

}  // namespace python
}  // namespace dataobjects_data

#endif  // PYTHON_OBJECTTYPE_H
