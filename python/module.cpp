// The Python module dataobjects_data (its compiled part, dataobjects_data._core): the library's
// exceptions, UuidEntryDO, the data object classes, the archive functions and the columnar
// reader, each added by the file of its mechanism.
#include <pybind11/pybind11.h>

#include "python/Archives.h"
#include "python/Columns.h"
#include "python/Errors.h"
#include "python/ObjectType.h"

PYBIND11_MODULE(_core, m) {
  using namespace dataobjects_data::python;
  m.doc() = "The data objects of libdataobjects_data, read and written as the library does.";
  m.attr("__version__") = DATAOBJECTS_VERSION;
  addExceptions(m);
  addClasses(m);
  addArchiveFunctions(m);
  addColumnReader(m);
}
