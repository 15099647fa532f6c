// The columnar reader: the objects of one class decoded by the library straight into one typed
// buffer per field, handed to numpy without a copy. Only the values of object columns (texts,
// blobs, UUIDs as text or bytes) become Python objects; UUIDs as categories are codes into a
// dictionary kept in C++. The GIL is released while the library decodes.
//
// Like every reader of the module, it reads on the library's bounded route
// (libs/utilities/archive/BoundedReading.h).
#ifndef PYTHON_COLUMNS_H
#define PYTHON_COLUMNS_H

#include <pybind11/pybind11.h>

namespace dataobjects_data {
namespace python {

namespace py = pybind11;

// Adds the type _ColumnReader, which dataobjects_data.frames builds its readers on.
void addColumnReader(py::module_& m);

}  // namespace python
}  // namespace dataobjects_data

#endif  // PYTHON_COLUMNS_H
