// The module's archive functions: dumps and dump write objects, loads and iter_load read the
// objects of one class until the input ends.
//
// Every reader reads on the library's bounded route (libs/utilities/archive/BoundedReading.h):
// an archive costs no more memory than it holds, whatever its counts claim.
#ifndef PYTHON_ARCHIVES_H
#define PYTHON_ARCHIVES_H

#include <pybind11/pybind11.h>

namespace dataobjects_data {
namespace python {

namespace py = pybind11;

// Adds dumps, dump, loads, iter_load and the iterator type to the module.
void addArchiveFunctions(py::module_& m);

}  // namespace python
}  // namespace dataobjects_data

#endif  // PYTHON_ARCHIVES_H
