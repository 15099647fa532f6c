#include "python/Archives.h"

#include <memory>
#include <new>
#include <string>

#include "libs/utilities/archive/BoundedReading.h"
#include "platform/Archive.h"
#include "python/Errors.h"
#include "python/ObjectType.h"
#include "python/Streams.h"
#include "python/Values.h"

namespace dataobjects_data {
namespace python {
namespace {

// Writes one data object, or each object of an iterable in order, calling `written` after each.
// A write that fails because the output could not grow raises MemoryError.
template <class Written>
void writeObjects(BytesSink& sink, py::handle objects, Written written) {
  Archive archive(&sink);
  const auto write = [&](const ClassOps& ops, py::handle object) {
    try {
      ops.write(archive, object.ptr());
    } catch (const TesmiraException&) {
      if (sink.outOfMemory()) throw std::bad_alloc();
      throw;
    }
  };
  if (const ClassOps* ops = opsOfObject(objects)) {
    write(*ops, objects);
    return;
  }
  if (!PyIter_Check(objects.ptr()) && !py::hasattr(objects, "__iter__")) {
    throw py::type_error("expected a data object or an iterable of them, got " + typeName(objects));
  }
  for (const py::handle object : py::iter(objects)) {
    const ClassOps* ops = opsOfObject(object);
    if (ops == nullptr) throw py::type_error("expected a data object, got " + typeName(object));
    write(*ops, object);
    written();
  }
}

py::bytes dumps(py::handle objects) {
  BytesSink sink;
  writeObjects(sink, objects, [] {});
  return sink.take();
}

void dump(py::handle objects, py::handle file) {
  const py::object write = file.attr("write");
  BytesSink sink;
  const auto flush = [&] {
    if (sink.size() > 0) write(sink.take());
  };
  writeObjects(sink, objects, [&] {
    if (sink.size() >= (1u << 20)) flush();
  });
  flush();
}

// Reads objects of one class until the input ends. A failed read raises the library's exception
// with the object's index and the offset where it started, and ends the reading. Its callers
// read inside a BoundedReading.
class Reader {
 public:
  Reader(py::handle input, const ClassOps& ops)
      : source_(PyObject_CheckBuffer(input.ptr()) ? std::unique_ptr<Source>(new MemorySource(input))
                                                  : std::unique_ptr<Source>(new FileSource(input))),
        archive_(source_.get()),
        ops_(ops) {}

  // The next object, or null at the end of the input.
  py::object next() {
    if (done_) return py::object();
    if (archive_.peek() == EOF) {
      done_ = true;
      source_->raisePending();
      return py::object();
    }
    const long long offset = source_->offset();
    try {
      py::object object = py::reinterpret_steal<py::object>(ops_.read(archive_));
      ++index_;
      return object;
    } catch (const TesmiraException& e) {
      done_ = true;
      source_->raisePending();
      const py::object exception = toPython(e);
      exception.attr("index") = index_;
      exception.attr("offset") = offset;
      raise(exception);
    } catch (...) {
      done_ = true;
      throw;
    }
  }

 private:
  std::unique_ptr<Source> source_;
  Archive archive_;
  const ClassOps& ops_;
  std::size_t index_ = 0;
  bool done_ = false;
};

py::list loads(py::handle data, py::handle cls) {
  if (!PyObject_CheckBuffer(data.ptr()))
    throw py::type_error("expected bytes, got " + typeName(data));
  Reader reader(data, opsOfClass(cls));
  const BoundedReading bounded;
  py::list objects;
  while (const py::object object = reader.next())
    objects.append(object);
  return objects;
}

}  // namespace

void addArchiveFunctions(py::module_& m) {
  py::class_<Reader>(m, "ObjectIterator", "The objects of an input, read one at a time.")
      .def("__iter__", [](py::handle self) { return py::reinterpret_borrow<py::object>(self); })
      .def("__next__", [](Reader& reader) {
        const BoundedReading bounded;  // not across the yields: other code runs between them
        py::object object = reader.next();
        if (!object) throw py::stop_iteration();
        return object;
      });
  m.attr("ObjectIterator").attr("__module__") = "dataobjects_data";

  m.def("dumps", &dumps, py::arg("objects"),
        "The archive form of one data object, or of each of an iterable's in order.");
  m.def("dump", &dump, py::arg("objects"), py::arg("file"),
        "Writes dumps(objects) to a binary file, in pieces of about 1 MiB.");
  m.def("loads", &loads, py::arg("data"), py::arg("cls"),
        "Every object of class cls in the bytes, until they end.");
  m.def(
      "iter_load",
      [](py::handle input, py::handle cls) {
        if (!PyObject_CheckBuffer(input.ptr()) && !py::hasattr(input, "read"))
          throw py::type_error("expected bytes or a binary file, got " + typeName(input));
        return new Reader(input, opsOfClass(cls));
      },
      py::arg("input"), py::arg("cls"), py::keep_alive<0, 1>(),
      "The objects of class cls in bytes or a binary file, read in pieces of 64 KiB as they are "
      "asked for.");
}

}  // namespace python
}  // namespace dataobjects_data
