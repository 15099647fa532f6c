// The Python module dataobjects_data (its compiled part, dataobjects_data._core): the data
// object classes with their fields as dataobjects/detail/ObjectFields.h describes them,
// UuidEntryDO, the archive functions and the library's exceptions, all bound to the library.
#include <pybind11/pybind11.h>

#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "dataobjects/detail/ObjectFields.h"
#include "libs/utilities/archive/DataObjectException.h"
#include "libs/utilities/archive/Serialize"
#include "platform/CompressionGZip.h"
#include "python/Streams.h"
#include "python/Values.h"

namespace dataobjects_data {
namespace python {
namespace {

using detail::FieldRole;
using detail::forEachField;
using detail::ObjectFields;

// ---- exceptions ---------------------------------------------------------------------------

struct ExceptionTypes {
  PyObject* tesmira;
  PyObject* dataObject;
  PyObject* serialization;
  PyObject* compression;
};
ExceptionTypes exceptionTypes;

py::str decoded(const char* text) {
  PyObject* s = PyUnicode_DecodeUTF8(text, static_cast<Py_ssize_t>(std::strlen(text)), "replace");
  if (s == nullptr) raised();
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

// The Python exception of a library exception, its root causes chained as root_cause and as
// __cause__.
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

[[noreturn]] void raise(const py::object& exception) {
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())), exception.ptr());
  raised();
}

PyObject* exceptionType(py::module_& m, const char* name, PyObject* base, const char* doc) {
  PyObject* type = PyErr_NewExceptionWithDoc((std::string("dataobjects_data.") + name).c_str(), doc,
                                             base, nullptr);
  if (type == nullptr) raised();
  const py::handle handle(type);
  handle.attr("reason") = "";
  handle.attr("file") = "";
  handle.attr("line") = 0;
  handle.attr("root_cause") = py::none();
  m.add_object(name, handle);  // the module takes a reference; ours stays for the translator
  return type;
}

// ---- Python loaders -------------------------------------------------------------------------

// The loader of the object whose details are being read on this thread, if it has one.
thread_local PyObject* currentLoader = nullptr;

std::vector<unsigned char> callLoader(long long reference) {
  if (currentLoader == nullptr) return {};
  const py::object result = py::reinterpret_borrow<py::object>(currentLoader)(reference);
  if (result.is_none()) return {};
  return bytesOf(result, "bytes from the loader");
}

// While it lives, details getters that ask their object's loader call `loader`.
class LoaderScope {
 public:
  explicit LoaderScope(const py::object& loader) : previous_(currentLoader) {
    currentLoader = loader.ptr();
  }
  ~LoaderScope() { currentLoader = previous_; }
  LoaderScope(const LoaderScope&) = delete;
  LoaderScope& operator=(const LoaderScope&) = delete;

 private:
  PyObject* previous_;
};

// A data object as Python holds it: with the Python callable that fetches its details.
template <class O>
struct Bound : O {
  py::object loader;  // null or None: no loader
};

// ---- the classes ----------------------------------------------------------------------------

// How the archive functions read and write objects of one class.
struct ClassOps {
  PyTypeObject* type;
  py::object (*read)(Archive& archive);
  void (*write)(Archive& archive, py::handle object);
};
std::vector<ClassOps> classOps;

const ClassOps* opsOfObject(py::handle object) {
  for (const ClassOps& ops : classOps)
    if (Py_TYPE(object.ptr()) == ops.type) return &ops;
  for (const ClassOps& ops : classOps)
    if (PyType_IsSubtype(Py_TYPE(object.ptr()), ops.type)) return &ops;
  return nullptr;
}

const ClassOps& opsOfClass(py::handle cls) {
  for (const ClassOps& ops : classOps)
    if (PyType_Check(cls.ptr()) &&
        PyType_IsSubtype(reinterpret_cast<PyTypeObject*>(cls.ptr()), ops.type)) {
      return ops;
    }
  throw py::type_error("expected a data object class, got " + std::string(py::repr(cls)));
}

template <class O>
py::object readObject(Archive& archive) {
  auto object = std::make_unique<Bound<O>>();
  archive >> static_cast<O&>(*object);
  return py::cast(std::move(object));
}

template <class O>
void writeObject(Archive& archive, py::handle item) {
  const Bound<O>& object = item.cast<const Bound<O>&>();
  const LoaderScope scope(object.loader);
  archive << static_cast<const O&>(object);
}

template <class F>
using TypeOf = typename std::decay_t<F>::Type;

// The interned names of a class's fields, in archive order.
template <class O>
std::vector<PyObject*>& fieldNames() {
  static std::vector<PyObject*> names;  // kept for the process's lifetime
  if (names.empty()) {
    forEachField(ObjectFields<O>::fields(), [&](const auto& field) {
      names.push_back(PyUnicode_InternFromString(field.name));
    });
  }
  return names;
}

template <class O, class F>
py::object getField(const Bound<O>& object, const F& field) {
  if (field.isNull && (object.*field.isNull)()) return py::none();
  const LoaderScope scope(object.loader);
  return PyValue<TypeOf<F>>::to((object.*field.get)());
}

template <class O, class F>
void setField(Bound<O>& object, const F& field, py::handle value, Accept accept) {
  if (value.is_none()) {
    if (!field.setNull) throw py::type_error(std::string(field.name) + " cannot be None");
    (object.*field.setNull)(true);
    return;
  }
  try {
    (object.*field.set)(PyValue<TypeOf<F>>::from(value, accept));
  } catch (const py::type_error& e) {
    throw py::type_error(std::string(field.name) + ": " + e.what());
  } catch (const py::value_error& e) {
    throw py::value_error(std::string(field.name) + ": " + e.what());
  }
}

// Sets the fields a dict names; a name that is no field raises TypeError.
template <class O>
void setFields(Bound<O>& object, py::handle fields, Accept accept) {
  PyObject* name = nullptr;
  PyObject* value = nullptr;
  for (Py_ssize_t position = 0; PyDict_Next(fields.ptr(), &position, &name, &value);) {
    bool found = false;
    forEachField(ObjectFields<O>::fields(), [&](const auto& field) {
      if (!found && PyUnicode_Check(name) &&
          PyUnicode_CompareWithASCIIString(name, field.name) == 0) {
        found = true;
        setField(object, field, value, accept);
      }
    });
    if (!found) {
      throw py::type_error(std::string(ObjectFields<O>::name) + " has no field " +
                           std::string(py::repr(name)));
    }
  }
}

template <class O>
py::dict toDict(const Bound<O>& object) {
  const LoaderScope scope(object.loader);
  py::dict dict;
  PyObject* const* name = fieldNames<O>().data();
  forEachField(ObjectFields<O>::fields(), [&](const auto& field) {
    const py::object value = field.isNull && (object.*field.isNull)()
                                 ? py::none()
                                 : PyValue<TypeOf<decltype(field)>>::text((object.*field.get)());
    if (PyDict_SetItem(dict.ptr(), *name++, value.ptr()) != 0) raised();
  });
  return dict;
}

// Reads the details of an object through its own loader, so that comparing it with another
// needs no loader any more.
template <class O>
void fetchDetails(const Bound<O>& object) {
  forEachField(ObjectFields<O>::fields(), [&](const auto& field) {
    if (field.role == FieldRole::Details && object.loader) {
      const LoaderScope scope(object.loader);
      (object.*field.get)();
    }
  });
}

std::string fieldDoc(const char* type, FieldRole role) {
  static const char* const roles[] = {"a part of the key",
                                      "",
                                      "details text, stored compressed",
                                      "external reference (-1: none)",
                                      "",
                                      "None while null"};
  const std::string what = roles[static_cast<int>(role)];
  return std::string(type) + (what.empty() ? "" : "; " + what);
}

template <class T>
const char* pythonType() {
  if (std::is_same<T, UuidEntryDO>::value)
    return "UuidEntryDO (set from it, a str, a uuid.UUID or 16 bytes)";
  if (std::is_same<T, bool>::value) return "bool";
  if (std::is_same<T, double>::value) return "float";
  if (std::is_same<T, std::string>::value) return "str";
  if (std::is_same<T, Bytes>::value) return "bytes";
  if (std::is_same<T, unsigned short>::value) return "int (unsigned 16 bits)";
  if (std::is_same<T, unsigned int>::value) return "int (unsigned 32 bits)";
  return "int (signed 64 bits)";
}

template <class O>
void bindId(py::class_<Bound<O>>& cls) {
  using Id = typename O::Id;
  py::class_<Id>(cls, "Id",
                 "The key of the class: hashable, ordered as in C++ (< by the first part that "
                 "differs, > as soon as a part is greater).")
      .def(py::init([](py::args parts) {
             Bound<O> object;
             std::size_t given = 0, keys = 0;
             forEachField(ObjectFields<O>::fields(), [&](const auto& field) {
               if (field.role != FieldRole::Key) return;
               ++keys;
               if (given < parts.size()) setField(object, field, parts[given++], Accept::Python);
             });
             if (keys != parts.size()) {
               throw py::type_error(std::string(ObjectFields<O>::name) + ".Id takes " +
                                    std::to_string(keys) + " key part(s)");
             }
             return object.getDataObjectId();
           }),
           "The key with the given parts, in the class's key order.")
      .def("__str__", &Id::ToString)
      .def("__repr__", [](const Id& id) { return "<" + id.ToString() + ">"; })
      .def(
          "__eq__", [](const Id& a, const Id& b) { return a == b; }, py::is_operator())
      .def(
          "__ne__", [](const Id& a, const Id& b) { return a != b; }, py::is_operator())
      .def(
          "__lt__", [](const Id& a, const Id& b) { return a < b; }, py::is_operator())
      .def(
          "__gt__", [](const Id& a, const Id& b) { return a > b; }, py::is_operator())
      .def(
          "__le__", [](const Id& a, const Id& b) { return a < b || a == b; }, py::is_operator())
      .def(
          "__ge__", [](const Id& a, const Id& b) { return a > b || a == b; }, py::is_operator())
      .def("__hash__", [](const Id& id) {
        Archive archive;
        archive << id;
        return py::hash(py::bytes(archive.str()));
      });
}

// What a class has beyond its fields: nothing, or compressed details and their loader.
template <class O>
void bindExtras(py::class_<Bound<O>>&) {}

template <class O>
void bindDetails(py::class_<Bound<O>>& cls, const char* name,
                 std::vector<unsigned char>& (O::*get)(),
                 void (O::*set)(const std::vector<unsigned char>&)) {
  cls.def_property(
      name, [get](Bound<O>& o) { return PyValue<Bytes>::to((o.*get)()); },
      [set](Bound<O>& o, py::handle v) { (o.*set)(PyValue<Bytes>::from(v)); },
      "The details as stored: 4-byte little-endian length, then a gzip stream (nothing is "
      "fetched).");
  cls.def_property(
      "loader", [](const Bound<O>& o) { return o.loader ? o.loader : py::none(); },
      [](Bound<O>& o, py::handle loader) {
        if (!loader.is_none() && !PyCallable_Check(loader.ptr()))
          throw py::type_error("a loader is a callable or None");
        o.loader = py::reinterpret_borrow<py::object>(loader);
        o.externalReferenceLoader = loader.is_none() ? nullptr : &callLoader;
      },
      "Called with the external reference (int) when the details are read and none are held; "
      "returns the stored form (bytes) or None.");
}

template <>
void bindExtras(py::class_<Bound<MeasurementDataDO>>& cls) {
  bindDetails<MeasurementDataDO>(cls, "CompressedMeasurementDataDetails",
                                 &MeasurementDataDO::getCompressedMeasurementDataDetails,
                                 &MeasurementDataDO::setCompressedMeasurementDataDetails);
}
template <>
void bindExtras(py::class_<Bound<CharacteristicValueDataDO>>& cls) {
  bindDetails<CharacteristicValueDataDO>(
      cls, "CompressedCharacteristicValueDataDetails",
      &CharacteristicValueDataDO::getCompressedCharacteristicValueDataDetails,
      &CharacteristicValueDataDO::setCompressedCharacteristicValueDataDetails);
}

template <class O>
void bindClass(py::module_& m) {
  using B = Bound<O>;
  using D = ObjectFields<O>;
  py::class_<B> cls(m, D::name);
  cls.def(py::init([](py::kwargs fields) {
            auto object = std::make_unique<B>();
            setFields(*object, fields, Accept::Python);
            return object;
          }),
          "An object with the fields given by name; the others take their defaults.");
  forEachField(D::fields(), [&](const auto& field) {
    const std::string doc = fieldDoc(pythonType<TypeOf<decltype(field)>>(), field.role);
    cls.def_property(
        field.name, [field](const B& o) { return getField(o, field); },
        [field](B& o, py::handle v) { setField(o, field, v, Accept::Python); }, doc.c_str());
  });
  cls.def("to_dict", &toDict<O>,
          "The fields by name in archive order, as dump --json gives them: UUIDs as str, blobs "
          "as bytes, null as None.");
  cls.def_static(
      "from_dict",
      [](py::handle dict) {
        auto object = std::make_unique<B>();
        setFields(*object, py::dict(py::reinterpret_borrow<py::object>(dict)), Accept::Json);
        return object;
      },
      "An object from to_dict()'s dict or the tool's JSON object (base64 blobs, \"inf\", "
      "\"-inf\", \"nan\", {\"base64\": ...} texts); missing fields take their defaults.");
  cls.def("__str__", [](const B& o) {
    const LoaderScope scope(o.loader);
    return o.ToString();
  });
  cls.def("__repr__", [](const B& o) {
    return std::string(D::name) + ".from_dict(" + std::string(py::repr(toDict(o))) + ")";
  });
  cls.def("key", &O::getDataObjectId, "The object's key, an Id.");
  cls.def(
      "__eq__",
      [](const B& a, const B& b) {
        fetchDetails(a);
        fetchDetails(b);
        return a.isIdentical(b);
      },
      py::is_operator());
  cls.attr("__hash__") = py::none();
  cls.def("__copy__", [](const B& o) { return B(o); });
  cls.def("__deepcopy__", [](const B& o, py::handle) { return B(o); });
  cls.def(py::pickle(
      [](const B& o) {
        Archive archive;
        writeObject<O>(archive, py::cast(o));
        return py::bytes(archive.str());
      },
      [](const py::bytes& bytes) {
        Archive archive{std::string(bytes)};
        auto object = std::make_unique<B>();
        archive >> static_cast<O&>(*object);
        return object;
      }));
  py::tuple names(fieldNames<O>().size());
  for (std::size_t i = 0; i < fieldNames<O>().size(); ++i)
    names[i] = py::reinterpret_borrow<py::str>(fieldNames<O>()[i]);
  cls.attr("FIELDS") = names;
  bindId<O>(cls);
  bindExtras<O>(cls);
  classOps.push_back({reinterpret_cast<PyTypeObject*>(cls.ptr()), &readObject<O>, &writeObject<O>});
}

void bindUuid(py::module_& m) {
  using U = UuidEntryDO;
  const auto bytes = [](const U& u) {
    return py::bytes(reinterpret_cast<const char*>(u.getUuid().bytes().data()), 16);
  };
  py::class_<U>(m, "UuidEntryDO", "A UUID reference: equal, ordered and hashable by value.")
      .def(py::init<>(), "The nil UUID.")
      .def(py::init([](py::handle value) { return PyValue<U>::from(value); }), py::arg("value"),
           "From a UUID text, a uuid.UUID, 16 bytes or another UuidEntryDO.")
      .def_static(
          "generate", [] { return U(Uuid::generate()); }, "A new random UUID.")
      .def("__str__", &U::ToString)
      .def("__repr__", [](const U& u) { return "UuidEntryDO('" + u.ToString() + "')"; })
      .def_property_readonly("bytes", bytes, "The 16 bytes, in text order.")
      .def_property_readonly(
          "uuid",
          [bytes](const U& u) {
            return py::module_::import("uuid").attr("UUID")(py::arg("bytes") = bytes(u));
          },
          "As a uuid.UUID.")
      .def(
          "__eq__", [](const U& a, const U& b) { return a.getUuid() == b.getUuid(); },
          py::is_operator())
      .def(
          "__ne__", [](const U& a, const U& b) { return a.getUuid() != b.getUuid(); },
          py::is_operator())
      .def(
          "__lt__", [](const U& a, const U& b) { return a.getUuid() < b.getUuid(); },
          py::is_operator())
      .def(
          "__gt__", [](const U& a, const U& b) { return a.getUuid() > b.getUuid(); },
          py::is_operator())
      .def(
          "__le__", [](const U& a, const U& b) { return !(a.getUuid() > b.getUuid()); },
          py::is_operator())
      .def(
          "__ge__", [](const U& a, const U& b) { return !(a.getUuid() < b.getUuid()); },
          py::is_operator())
      .def("__hash__", [bytes](const U& u) { return py::hash(bytes(u)); })
      .def(py::pickle([](const U& u) { return u.ToString(); },
                      [](const std::string& text) { return U(Uuid::fromString(text)); }));
}

// ---- the archive functions ------------------------------------------------------------------

// Writes one data object, or each object of an iterable in order, calling `written` after each.
template <class Written>
void writeObjects(Archive& archive, py::handle objects, Written written) {
  if (const ClassOps* ops = opsOfObject(objects)) {
    ops->write(archive, objects);
    return;
  }
  if (!PyIter_Check(objects.ptr()) && !py::hasattr(objects, "__iter__")) {
    throw py::type_error("expected a data object or an iterable of them, got " + typeName(objects));
  }
  for (const py::handle object : py::iter(objects)) {
    const ClassOps* ops = opsOfObject(object);
    if (ops == nullptr) throw py::type_error("expected a data object, got " + typeName(object));
    ops->write(archive, object);
    written();
  }
}

py::bytes dumps(py::handle objects) {
  StringSink sink;
  Archive archive(&sink);
  writeObjects(archive, objects, [] {});
  return py::bytes(sink.take());
}

void dump(py::handle objects, py::handle file) {
  const py::object write = file.attr("write");
  StringSink sink;
  Archive archive(&sink);
  const auto flush = [&] {
    const std::string bytes = sink.take();
    if (!bytes.empty()) write(py::bytes(bytes));
  };
  writeObjects(archive, objects, [&] {
    if (sink.size() >= (1u << 20)) flush();
  });
  flush();
}

// Reads objects of one class until the input ends. A failed read raises the library's exception
// with the object's index and the offset where it started, and ends the reading.
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
      py::object object = ops_.read(archive_);
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
  py::list objects;
  while (const py::object object = reader.next())
    objects.append(object);
  return objects;
}

}  // namespace
}  // namespace python
}  // namespace dataobjects_data

PYBIND11_MODULE(_core, m) {
  using namespace dataobjects_data::python;
  m.doc() = "The data objects of libdataobjects_data, read and written as the library does.";
  m.attr("__version__") = DATAOBJECTS_VERSION;

  exceptionTypes.tesmira =
      exceptionType(m, "TesmiraException", PyExc_Exception,
                    "A failure of the library: reason, file and line of the throw site, and the "
                    "root cause (an exception of this kind) or None.");
  exceptionTypes.dataObject = exceptionType(m, "DataObjectException", exceptionTypes.tesmira,
                                            "A data object refused an operation.");
  exceptionTypes.serialization = exceptionType(m, "SerializationException", exceptionTypes.tesmira,
                                               "An archive could not be written or read.");
  exceptionTypes.compression = exceptionType(m, "CompressionException", exceptionTypes.tesmira,
                                             "Details could not be compressed or decompressed.");
  py::register_exception_translator([](std::exception_ptr pointer) {
    try {
      if (pointer) std::rethrow_exception(pointer);
    } catch (const TesmiraException& e) {
      const py::object exception = toPython(e);
      PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())), exception.ptr());
    }
  });

  bindUuid(m);
  dataobjects_data::detail::forEachClass(
      [&](auto* tag) { bindClass<std::remove_pointer_t<decltype(tag)>>(m); });

  py::class_<Reader>(m, "ObjectIterator", "The objects of an input, read one at a time.")
      .def("__iter__", [](py::handle self) { return py::reinterpret_borrow<py::object>(self); })
      .def("__next__", [](Reader& reader) {
        py::object object = reader.next();
        if (!object) throw py::stop_iteration();
        return object;
      });

  m.def("dumps", &dumps, py::arg("objects"),
        "The archive form of one data object, or of each of an iterable's in order.");
  m.def("dump", &dump, py::arg("objects"), py::arg("file"),
        "Writes dumps(objects) to a binary file, in pieces of about 1 MiB.");
  m.def("loads", &loads, py::arg("data"), py::arg("cls"),
        "Every object of class cls in the bytes, until they end.");
  m.def(
      "iter_load",
      [](py::handle input, py::handle cls) { return new Reader(input, opsOfClass(cls)); },
      py::arg("input"), py::arg("cls"), py::keep_alive<0, 1>(),
      "The objects of class cls in bytes or a binary file, read in pieces of 64 KiB as they are "
      "asked for.");

  for (const char* name : {"UuidEntryDO", "ObjectIterator"})
    m.attr(name).attr("__module__") = "dataobjects_data";
  for (const ClassOps& ops : classOps)
    py::handle(reinterpret_cast<PyObject*>(ops.type)).attr("__module__") = "dataobjects_data";
}
