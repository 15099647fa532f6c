// The Python module dataobjects_data (its compiled part, dataobjects_data._core): the data
// object classes with their fields as dataobjects/detail/ObjectFields.h describes them,
// UuidEntryDO, the archive functions and the library's exceptions, all bound to the library.
#include <pybind11/pybind11.h>

#include <cstring>
#include <deque>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
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
  explicit LoaderScope(PyObject* loader) : previous_(currentLoader) { currentLoader = loader; }
  ~LoaderScope() { currentLoader = previous_; }
  LoaderScope(const LoaderScope&) = delete;
  LoaderScope& operator=(const LoaderScope&) = delete;

 private:
  PyObject* previous_;
};

// Sets the Python error of the exception being handled, as pybind11's functions do.
void setError() {
  try {
    throw;
  } catch (py::error_already_set& e) {
    e.restore();
  } catch (const py::builtin_exception& e) {
    e.set_error();
  } catch (const TesmiraException& e) {
    const py::object exception = toPython(e);
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())), exception.ptr());
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
  } catch (const std::exception& e) {
    PyErr_SetString(PyExc_RuntimeError, e.what());
  }
}

// Runs f, which returns a new reference; a C++ exception becomes the Python error and null.
template <class F>
PyObject* guarded(F f) {
  try {
    return f();
  } catch (...) {
    setError();
    return nullptr;
  }
}
template <class F>
int guardedStatus(F f) {
  try {
    f();
    return 0;
  } catch (...) {
    setError();
    return -1;
  }
}

// ---- the classes ----------------------------------------------------------------------------
//
// Each class is a plain Python type whose instances hold the C++ object in place: reading an
// archive makes one allocation per object and no registration, which keeps loads() ahead of
// msgpack's unpacking of the same fields.

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
PyTypeObject* classType = nullptr;

template <class O>
Instance<O>& instance(PyObject* self) {
  return *reinterpret_cast<Instance<O>*>(self);
}

// A new instance holding a default object.
template <class O>
PyObject* make(PyTypeObject* type) {
  PyObject* self = type->tp_alloc(type, 0);
  if (self == nullptr) raised();
  try {
    new (instance<O>(self).storage) O();
  } catch (...) {
    type->tp_free(self);
    Py_DECREF(type);
    throw;
  }
  instance<O>(self).loader = nullptr;
  return self;
}

template <class O>
void dealloc(PyObject* self) {
  PyTypeObject* type = Py_TYPE(self);
  instance<O>(self).object().~O();
  Py_CLEAR(instance<O>(self).loader);
  type->tp_free(self);
  Py_DECREF(type);
}

// How the archive functions read and write objects of one class.
struct ClassOps {
  PyTypeObject* type;
  PyObject* (*read)(Archive& archive);
  void (*write)(Archive& archive, PyObject* object);
};
std::vector<ClassOps> classOps;

const ClassOps* opsOfObject(py::handle object) {
  for (const ClassOps& ops : classOps)
    if (Py_TYPE(object.ptr()) == ops.type) return &ops;
  return nullptr;
}

const ClassOps& opsOfClass(py::handle cls) {
  for (const ClassOps& ops : classOps)
    if (cls.ptr() == reinterpret_cast<PyObject*>(ops.type)) return ops;
  throw py::type_error("expected a data object class, got " + std::string(py::repr(cls)));
}

template <class O>
PyObject* readObject(Archive& archive) {
  const py::object self = py::reinterpret_steal<py::object>(make<O>(classType<O>));
  archive >> instance<O>(self.ptr()).object();
  return self.inc_ref().ptr();
}

template <class O>
void writeObject(Archive& archive, PyObject* self) {
  const LoaderScope scope(instance<O>(self).loader);
  archive << instance<O>(self).object();
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
py::object getField(const Instance<O>& self, const F& field) {
  if (field.isNull && (self.object().*field.isNull)()) return py::none();
  const LoaderScope scope(self.loader);
  return PyValue<TypeOf<F>>::to((self.object().*field.get)());
}

template <class O, class F>
void setField(Instance<O>& self, const F& field, py::handle value, Accept accept) {
  if (value.is_none()) {
    if (!field.setNull) throw py::type_error(std::string(field.name) + " cannot be None");
    (self.object().*field.setNull)(true);
    return;
  }
  try {
    (self.object().*field.set)(PyValue<TypeOf<F>>::from(value, accept));
  } catch (const py::type_error& e) {
    throw py::type_error(std::string(field.name) + ": " + e.what());
  } catch (const py::value_error& e) {
    throw py::value_error(std::string(field.name) + ": " + e.what());
  }
}

// Sets the fields a dict names; a name that is no field raises TypeError.
template <class O>
void setFields(Instance<O>& self, PyObject* fields, Accept accept) {
  PyObject* name = nullptr;
  PyObject* value = nullptr;
  for (Py_ssize_t position = 0; PyDict_Next(fields, &position, &name, &value);) {
    bool found = false;
    forEachField(ObjectFields<O>::fields(), [&](const auto& field) {
      if (!found && PyUnicode_Check(name) &&
          PyUnicode_CompareWithASCIIString(name, field.name) == 0) {
        found = true;
        setField(self, field, value, accept);
      }
    });
    if (!found) {
      throw py::type_error(std::string(ObjectFields<O>::name) + " has no field " +
                           std::string(py::repr(name)));
    }
  }
}

template <class O>
py::dict toDict(const Instance<O>& self) {
  const LoaderScope scope(self.loader);
  py::dict dict;
  PyObject* const* name = fieldNames<O>().data();
  forEachField(ObjectFields<O>::fields(), [&](const auto& field) {
    const py::object value =
        field.isNull && (self.object().*field.isNull)()
            ? py::none()
            : PyValue<TypeOf<decltype(field)>>::text((self.object().*field.get)());
    if (PyDict_SetItem(dict.ptr(), *name++, value.ptr()) != 0) raised();
  });
  return dict;
}

// Reads the details of an object through its own loader, so that comparing it with another
// needs no loader any more.
template <class O>
void fetchDetails(const Instance<O>& self) {
  forEachField(ObjectFields<O>::fields(), [&](const auto& field) {
    if (field.role == FieldRole::Details && self.loader != nullptr) {
      const LoaderScope scope(self.loader);
      (self.object().*field.get)();
    }
  });
}

// The kind of a field's value, as FIELD_INFO names it.
template <class T>
const char* kindOf() {
  if (std::is_same<T, UuidEntryDO>::value) return "uuid";
  if (std::is_same<T, bool>::value) return "bool";
  if (std::is_same<T, double>::value) return "float";
  if (std::is_same<T, std::string>::value) return "str";
  if (std::is_same<T, Bytes>::value) return "bytes";
  if (std::is_same<T, unsigned short>::value) return "uint16";
  if (std::is_same<T, unsigned int>::value) return "uint32";
  return "int64";
}

const char* roleOf(FieldRole role) {
  static const char* const roles[] = {"key", "plain", "details", "reference", "", "nullable"};
  return roles[static_cast<int>(role)];
}

template <class F>
std::string fieldDoc(const F& field) {
  static const char* const kinds[][2] = {
      {"uuid", "UuidEntryDO (set from it, a UUID text, a uuid.UUID or 16 bytes)"},
      {"bool", "bool"},
      {"float", "float"},
      {"str", "str (set from str or bytes; bytes that are not UTF-8 read as surrogate escapes)"},
      {"bytes", "bytes (set from any bytes-like object)"},
      {"uint16", "int, 0 to 65535"},
      {"uint32", "int, 0 to 4294967295"},
      {"int64", "int, signed 64 bits"}};
  std::string doc;
  for (const auto& kind : kinds)
    if (std::strcmp(kind[0], kindOf<TypeOf<F>>()) == 0) doc = kind[1];
  const std::string role = roleOf(field.role);
  return doc +
         (role == "plain" ? "" : "; " + role + (role == "nullable" ? " (None while null)" : ""));
}

// Texts that Python keeps pointers to, for the process's lifetime.
const char* kept(std::string text) {
  static std::deque<std::string> texts;
  texts.push_back(std::move(text));
  return texts.back().c_str();
}

// ---- slots and methods ----------------------------------------------------------------------

template <class O, std::size_t I>
PyObject* getAt(PyObject* self, void*) {
  return guarded([&] {
    return getField(instance<O>(self), std::get<I>(ObjectFields<O>::fields())).release().ptr();
  });
}

template <class O, std::size_t I>
int setAt(PyObject* self, PyObject* value, void*) {
  return guardedStatus([&] {
    if (value == nullptr) throw py::type_error("a field cannot be deleted");
    setField(instance<O>(self), std::get<I>(ObjectFields<O>::fields()), value, Accept::Python);
  });
}

template <class O, std::size_t... I>
std::vector<PyGetSetDef> fieldDefs(std::index_sequence<I...>) {
  const auto fields = ObjectFields<O>::fields();
  return {PyGetSetDef{std::get<I>(fields).name, &getAt<O, I>, &setAt<O, I>,
                      kept(fieldDoc(std::get<I>(fields))), nullptr}...};
}

template <class O>
int init(PyObject* self, PyObject* args, PyObject* kwargs) {
  return guardedStatus([&] {
    if (PyTuple_GET_SIZE(args) != 0) {
      throw py::type_error(std::string(ObjectFields<O>::name) + "() takes keyword arguments only");
    }
    if (kwargs != nullptr) setFields(instance<O>(self), kwargs, Accept::Python);
  });
}

template <class O>
PyObject* newObject(PyTypeObject* type, PyObject*, PyObject*) {
  return guarded([&] { return make<O>(type); });
}

template <class O>
PyObject* copyObject(PyObject* self, PyObject* = nullptr) {
  return guarded([&] {
    PyObject* copy = make<O>(Py_TYPE(self));
    instance<O>(copy).object() = instance<O>(self).object();
    Py_XINCREF(instance<O>(self).loader);
    instance<O>(copy).loader = instance<O>(self).loader;
    return copy;
  });
}

template <class O>
PyObject* str(PyObject* self) {
  return guarded([&] {
    const LoaderScope scope(instance<O>(self).loader);
    return PyValue<std::string>::to(instance<O>(self).object().ToString()).release().ptr();
  });
}

template <class O>
PyObject* repr(PyObject* self) {
  return guarded([&] {
    return py::str(std::string(ObjectFields<O>::name) + ".from_dict(" +
                   std::string(py::repr(toDict(instance<O>(self)))) + ")")
        .release()
        .ptr();
  });
}

// == and != compare every field (isIdentical).
template <class O>
PyObject* compare(PyObject* a, PyObject* b, int op) {
  if ((op != Py_EQ && op != Py_NE) || Py_TYPE(a) != Py_TYPE(b)) Py_RETURN_NOTIMPLEMENTED;
  return guarded([&] {
    fetchDetails(instance<O>(a));
    fetchDetails(instance<O>(b));
    const bool identical = instance<O>(a).object().isIdentical(instance<O>(b).object());
    return PyBool_FromLong(identical == (op == Py_EQ));
  });
}

template <class O>
PyObject* toDictMethod(PyObject* self, PyObject*) {
  return guarded([&] { return toDict(instance<O>(self)).release().ptr(); });
}

template <class O>
PyObject* fromDict(PyObject* cls, PyObject* dict) {
  return guarded([&] {
    const py::object self =
        py::reinterpret_steal<py::object>(make<O>(reinterpret_cast<PyTypeObject*>(cls)));
    const py::dict fields(py::reinterpret_borrow<py::object>(dict));
    setFields(instance<O>(self.ptr()), fields.ptr(), Accept::Json);
    return self.inc_ref().ptr();
  });
}

template <class O>
PyObject* key(PyObject* self, PyObject*) {
  return guarded(
      [&] { return py::cast(instance<O>(self).object().getDataObjectId()).release().ptr(); });
}

template <class O>
PyObject* getState(PyObject* self, PyObject*) {
  return guarded([&] {
    Archive archive;
    writeObject<O>(archive, self);
    return py::bytes(archive.str()).release().ptr();
  });
}

template <class O>
PyObject* setState(PyObject* self, PyObject* state) {
  return guarded([&] {
    Archive archive(std::string(py::reinterpret_borrow<py::bytes>(state)));
    archive >> instance<O>(self).object();
    Py_RETURN_NONE;
  });
}

template <class O>
PyObject* loaderGet(PyObject* self, void*) {
  PyObject* loader = instance<O>(self).loader ? instance<O>(self).loader : Py_None;
  Py_INCREF(loader);
  return loader;
}

template <class O>
int loaderSet(PyObject* self, PyObject* loader, void*) {
  return guardedStatus([&] {
    if (loader != nullptr && loader != Py_None && !PyCallable_Check(loader))
      throw py::type_error("a loader is a callable or None");
    Instance<O>& o = instance<O>(self);
    const bool none = loader == nullptr || loader == Py_None;
    Py_XINCREF(none ? nullptr : loader);
    Py_XSETREF(o.loader, none ? nullptr : loader);
    o.object().externalReferenceLoader = none ? nullptr : &callLoader;
  });
}

template <class O, Bytes& (O::*Get)(), void (O::*Set)(const Bytes&)>
PyObject* storedGet(PyObject* self, void*) {
  return guarded(
      [&] { return PyValue<Bytes>::to((instance<O>(self).object().*Get)()).release().ptr(); });
}

template <class O, Bytes& (O::*Get)(), void (O::*Set)(const Bytes&)>
int storedSet(PyObject* self, PyObject* value, void*) {
  return guardedStatus([&] {
    if (value == nullptr) throw py::type_error("a field cannot be deleted");
    (instance<O>(self).object().*Set)(PyValue<Bytes>::from(value));
  });
}

// What a class has beyond its fields: nothing, or stored details and a loader.
template <class O>
void addExtras(std::vector<PyGetSetDef>&) {}

template <class O, Bytes& (O::*Get)(), void (O::*Set)(const Bytes&)>
void addDetails(std::vector<PyGetSetDef>& defs, const char* name) {
  defs.push_back({name, &storedGet<O, Get, Set>, &storedSet<O, Get, Set>,
                  "bytes: the details as stored, a 4-byte little-endian length and a gzip "
                  "stream (nothing is fetched)",
                  nullptr});
  defs.push_back({"loader", &loaderGet<O>, &loaderSet<O>,
                  "Called with the external reference (int) when the details are read and none "
                  "are held; returns their stored form (bytes) or None",
                  nullptr});
}
template <>
void addExtras<MeasurementDataDO>(std::vector<PyGetSetDef>& defs) {
  using O = MeasurementDataDO;
  addDetails<O, &O::getCompressedMeasurementDataDetails, &O::setCompressedMeasurementDataDetails>(
      defs, "CompressedMeasurementDataDetails");
}
template <>
void addExtras<CharacteristicValueDataDO>(std::vector<PyGetSetDef>& defs) {
  using O = CharacteristicValueDataDO;
  addDetails<O, &O::getCompressedCharacteristicValueDataDetails,
             &O::setCompressedCharacteristicValueDataDetails>(
      defs, "CompressedCharacteristicValueDataDetails");
}

template <class O>
void bindId(py::handle cls) {
  using Id = typename O::Id;
  py::class_<Id>(cls, "Id",
                 "The key of the class: hashable, ordered as in C++ (< by the first part that "
                 "differs, > as soon as a part is greater).")
      .def(py::init([](py::args parts) {
             const py::object holder = py::reinterpret_steal<py::object>(make<O>(classType<O>));
             Instance<O>& object = instance<O>(holder.ptr());
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
             return object.object().getDataObjectId();
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

template <class O>
std::string classDoc() {
  std::string doc = std::string(ObjectFields<O>::name) +
                    "(**fields)\n\nA data object; the fields, in archive order:";
  forEachField(ObjectFields<O>::fields(),
               [&](const auto& field) { doc += std::string(" ") + field.name; });
  return doc +
         ".\n\n== compares every field (C++ isIdentical), not only the key as C++'s == "
         "does; key() gives the key.";
}

template <class O>
void bindClass(py::module_& m) {
  constexpr std::size_t count = std::tuple_size<decltype(ObjectFields<O>::fields())>::value;
  static std::vector<PyGetSetDef> getset = fieldDefs<O>(std::make_index_sequence<count>());
  addExtras<O>(getset);
  getset.push_back({nullptr, nullptr, nullptr, nullptr, nullptr});
  static PyMethodDef methods[] = {
      {"to_dict", &toDictMethod<O>, METH_NOARGS,
       "to_dict() -> dict\n\nThe fields by name in archive order, as dump --json gives them: "
       "UUIDs as str, blobs as bytes, null as None."},
      {"from_dict", &fromDict<O>, METH_O | METH_CLASS,
       "from_dict(d) -> object\n\nAn object from to_dict()'s dict or the tool's JSON object "
       "(base64 blobs, \"inf\", \"-inf\", \"nan\", {\"base64\": ...} texts); missing fields take "
       "their defaults."},
      {"key", &key<O>, METH_NOARGS, "key() -> Id\n\nThe object's key."},
      {"__copy__", reinterpret_cast<PyCFunction>(&copyObject<O>), METH_NOARGS, nullptr},
      {"__deepcopy__", reinterpret_cast<PyCFunction>(&copyObject<O>), METH_O, nullptr},
      {"__getstate__", &getState<O>, METH_NOARGS, nullptr},
      {"__setstate__", &setState<O>, METH_O, nullptr},
      {nullptr, nullptr, 0, nullptr}};
  static PyType_Slot slots[] = {{Py_tp_new, reinterpret_cast<void*>(&newObject<O>)},
                                {Py_tp_init, reinterpret_cast<void*>(&init<O>)},
                                {Py_tp_dealloc, reinterpret_cast<void*>(&dealloc<O>)},
                                {Py_tp_str, reinterpret_cast<void*>(&str<O>)},
                                {Py_tp_repr, reinterpret_cast<void*>(&repr<O>)},
                                {Py_tp_richcompare, reinterpret_cast<void*>(&compare<O>)},
                                {Py_tp_hash, reinterpret_cast<void*>(&PyObject_HashNotImplemented)},
                                {Py_tp_methods, methods},
                                {Py_tp_getset, getset.data()},
                                {Py_tp_doc, const_cast<char*>(kept(classDoc<O>()))},
                                {0, nullptr}};
  static PyType_Spec typeSpec = {kept(std::string("dataobjects_data.") + ObjectFields<O>::name),
                                 static_cast<int>(sizeof(Instance<O>)), 0, Py_TPFLAGS_DEFAULT,
                                 slots};
  PyObject* type = PyType_FromSpec(&typeSpec);
  if (type == nullptr) raised();
  classType<O> = reinterpret_cast<PyTypeObject*>(type);  // the module's reference keeps it
  m.add_object(ObjectFields<O>::name, type);
  py::tuple names(fieldNames<O>().size());
  for (std::size_t i = 0; i < fieldNames<O>().size(); ++i)
    names[i] = py::reinterpret_borrow<py::str>(fieldNames<O>()[i]);
  py::handle(type).attr("FIELDS") = names;
  py::dict info;
  forEachField(ObjectFields<O>::fields(), [&](const auto& field) {
    info[field.name] = py::make_tuple(kindOf<TypeOf<decltype(field)>>(), roleOf(field.role));
  });
  py::handle(type).attr("FIELD_INFO") = info;
  bindId<O>(type);
  classOps.push_back({classType<O>, &readObject<O>, &writeObject<O>});
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
    ops->write(archive, objects.ptr());
    return;
  }
  if (!PyIter_Check(objects.ptr()) && !py::hasattr(objects, "__iter__")) {
    throw py::type_error("expected a data object or an iterable of them, got " + typeName(objects));
  }
  for (const py::handle object : py::iter(objects)) {
    const ClassOps* ops = opsOfObject(object);
    if (ops == nullptr) throw py::type_error("expected a data object, got " + typeName(object));
    ops->write(archive, object.ptr());
    written();
  }
}

py::bytes dumps(py::handle objects) {
  BytesSink sink;
  Archive archive(&sink);
  writeObjects(archive, objects, [] {});
  return sink.take();
}

void dump(py::handle objects, py::handle file) {
  const py::object write = file.attr("write");
  BytesSink sink;
  Archive archive(&sink);
  const auto flush = [&] {
    if (sink.size() > 0) write(sink.take());
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
    } catch (const TesmiraException&) {
      setError();
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
      [](py::handle input, py::handle cls) {
        if (!PyObject_CheckBuffer(input.ptr()) && !py::hasattr(input, "read"))
          throw py::type_error("expected bytes or a binary file, got " + typeName(input));
        return new Reader(input, opsOfClass(cls));
      },
      py::arg("input"), py::arg("cls"), py::keep_alive<0, 1>(),
      "The objects of class cls in bytes or a binary file, read in pieces of 64 KiB as they are "
      "asked for.");

  for (const char* name : {"UuidEntryDO", "ObjectIterator"})
    m.attr(name).attr("__module__") = "dataobjects_data";
}
