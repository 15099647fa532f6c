#include "python/ObjectType.h"

#include <cstring>
#include <deque>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "dataobjects/detail/ObjectFields.h"
#include "libs/utilities/archive/BoundedReading.h"
#include "libs/utilities/archive/Serialize"
#include "python/Errors.h"
#include "python/Values.h"
#include "tools/json/ObjectCatalog.h"

namespace dataobjects_data {
namespace python {
namespace {

using detail::FieldRole;
using detail::forEachField;
using detail::ObjectFields;

template <class O>
PyTypeObject* classType = nullptr;

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

// ---- instances ------------------------------------------------------------------------------
//
// Only the classes with a loader take part in the cyclic garbage collector (a loader may hold
// its own object, as a store's method does when the store holds the object), and an instance
// is tracked only once it holds a loader: as CPython leaves tuples of plain values untracked,
// reading an archive pays nothing for it.

// A new instance holding a default object. It is allocated as PyObject_New does (not zeroed,
// and not tracked by the collector), since every member is set here: no type is subclassed.
template <class O>
PyObject* make(PyTypeObject* type) {
  PyObject* self = PyType_IS_GC(type) ? _PyObject_GC_New(type) : _PyObject_New(type);
  if (self == nullptr) throw py::error_already_set();
  instance<O>(self).loader = nullptr;
  try {
    new (instance<O>(self).storage) O();
  } catch (...) {
    type->tp_free(self);
    Py_DECREF(type);
    throw;
  }
  return self;
}

// Makes `loader` (a callable, or null for none) the instance's loader.
template <class O>
void setLoader(PyObject* self, PyObject* loader) {
  Instance<O>& o = instance<O>(self);
  Py_XINCREF(loader);
  Py_XSETREF(o.loader, loader);
  o.object().externalReferenceLoader = loader ? &callLoader : nullptr;
  if (loader && !PyObject_GC_IsTracked(self)) PyObject_GC_Track(self);
}

template <class O>
void dealloc(PyObject* self) {
  PyTypeObject* type = Py_TYPE(self);
  if (PyType_IS_GC(type)) PyObject_GC_UnTrack(self);
  instance<O>(self).object().~O();
  Py_CLEAR(instance<O>(self).loader);
  type->tp_free(self);
  Py_DECREF(type);
}

template <class O>
int traverse(PyObject* self, visitproc visit, void* arg) {
  Py_VISIT(Py_TYPE(self));
  Py_VISIT(instance<O>(self).loader);
  return 0;
}

template <class O>
int clear(PyObject* self) {
  instance<O>(self).object().externalReferenceLoader = nullptr;
  Py_CLEAR(instance<O>(self).loader);
  return 0;
}

// ---- the archive form -----------------------------------------------------------------------

std::vector<ClassOps> classOps;

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

// ---- fields ---------------------------------------------------------------------------------

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
    if (PyDict_SetItem(dict.ptr(), *name++, value.ptr()) != 0) throw py::error_already_set();
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
  static const char* const roles[] = {"key", "plain", "details", "reference", "nullable"};
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
    const py::object copy = py::reinterpret_steal<py::object>(make<O>(Py_TYPE(self)));
    instance<O>(copy.ptr()).object() = instance<O>(self).object();
    setLoader<O>(copy.ptr(), instance<O>(self).loader);
    return copy.inc_ref().ptr();
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
const ObjectClass& catalogEntry() {
  static const ObjectClass& entry = *findObjectClass(ObjectFields<O>::name);
  return entry;
}

// The line dataobjects dump --json prints for the object's archive form.
template <class O>
PyObject* toJson(PyObject* self, PyObject*) {
  return guarded([&] {
    Archive archive;
    writeObject<O>(archive, self);
    Json json;
    catalogEntry<O>().read(archive, nullptr, &json);
    const std::string line = json.dump();
    return py::str(line.data(), line.size()).release().ptr();
  });
}

// The object whose archive form dataobjects encode makes of the line.
template <class O>
PyObject* fromJson(PyObject* cls, PyObject* line) {
  return guarded([&] {
    Archive archive;
    try {
      catalogEntry<O>().write(Json::parse(PyValue<std::string>::from(line)), archive);
    } catch (const FieldError& e) {
      throw py::value_error("field " + (e.field().empty() ? "(object)" : e.field()) + ": " +
                            e.what());
    } catch (const Json::exception& e) {
      throw py::value_error(std::string("not JSON: ") + e.what());
    }
    const py::object self =
        py::reinterpret_steal<py::object>(make<O>(reinterpret_cast<PyTypeObject*>(cls)));
    archive >> instance<O>(self.ptr()).object();
    return self.inc_ref().ptr();
  });
}

template <class O>
PyObject* key(PyObject* self, PyObject*) {
  return guarded(
      [&] { return py::cast(instance<O>(self).object().getDataObjectId()).release().ptr(); });
}

// Pickled as the archive form: the class, no arguments, and the bytes for __setstate__.
template <class O>
PyObject* reduce(PyObject* self, PyObject*) {
  return guarded([&] {
    Archive archive;
    writeObject<O>(archive, self);
    return py::make_tuple(py::handle(reinterpret_cast<PyObject*>(Py_TYPE(self))), py::tuple(),
                          py::bytes(archive.str()))
        .release()
        .ptr();
  });
}

template <class O>
PyObject* setState(PyObject* self, PyObject* state) {
  return guarded([&] {
    if (!PyBytes_Check(state)) wrongType(state, "bytes");
    const BoundedReading bounded;
    Archive archive(
        std::string(PyBytes_AS_STRING(state), static_cast<std::size_t>(PyBytes_GET_SIZE(state))));
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
    setLoader<O>(self, loader == Py_None ? nullptr : loader);
  });
}

template <class O, std::size_t I>
PyObject* storedGet(PyObject* self, void*) {
  return guarded([&] {
    const auto stored =
        std::get<I>(ObjectFields<O>::stored());  // a copy: stored() returns a temporary
    return PyValue<Bytes>::to((instance<O>(self).object().*stored.get)()).release().ptr();
  });
}

template <class O, std::size_t I>
int storedSet(PyObject* self, PyObject* value, void*) {
  return guardedStatus([&] {
    if (value == nullptr) throw py::type_error("a field cannot be deleted");
    const auto stored = std::get<I>(ObjectFields<O>::stored());
    (instance<O>(self).object().*stored.set)(PyValue<Bytes>::from(value));
  });
}

// The attributes beyond the fields of a class that keeps details compressed: their stored form
// and the loader that fetches it.
template <class O, std::size_t... I>
void addStored(std::vector<PyGetSetDef>& defs, std::index_sequence<I...>) {
  [[maybe_unused]] const auto stored = ObjectFields<O>::stored();
  (defs.push_back({std::get<I>(stored).name, &storedGet<O, I>, &storedSet<O, I>,
                   "bytes: the details as stored, a 4-byte little-endian length and a gzip "
                   "stream (nothing is fetched)",
                   nullptr}),
   ...);
  if (sizeof...(I) > 0) {
    defs.push_back({"loader", &loaderGet<O>, &loaderSet<O>,
                    "Called with the external reference (int) when the details are read and "
                    "none are held; returns their stored form (bytes) or None",
                    nullptr});
  }
}

// ---- keys -----------------------------------------------------------------------------------

// The parts of a key, in key order, as Python values: read back from its archive form.
template <class O>
py::tuple keyParts(const typename O::Id& id) {
  Archive archive;
  archive << id;
  py::list parts;
  forEachField(ObjectFields<O>::fields(), [&](const auto& field) {
    using T = TypeOf<decltype(field)>;
    T part{};
    if (field.role != FieldRole::Key) return;
    if constexpr (std::is_same<T, UuidEntryDO>::value) {
      archive >> part;
    } else if constexpr (std::is_same<T, unsigned short>::value) {  // the keys' only number
      KavSerialize::deserialize(part, archive);
    }
    parts.append(PyValue<T>::to(part));
  });
  return py::tuple(parts);
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
      .def("__hash__",
           [](const Id& id) {
             Archive archive;
             archive << id;
             return py::hash(py::bytes(archive.str()));
           })
      .def("__reduce__",
           [](const Id& id) { return py::make_tuple(py::type::of<Id>(), keyParts<O>(id)); });
}

// ---- the types ------------------------------------------------------------------------------

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
  constexpr std::size_t stored = std::tuple_size<decltype(ObjectFields<O>::stored())>::value;
  addStored<O>(getset, std::make_index_sequence<stored>());
  getset.push_back({nullptr, nullptr, nullptr, nullptr, nullptr});
  static PyMethodDef methods[] = {
      {"to_dict", &toDictMethod<O>, METH_NOARGS,
       "to_dict() -> dict\n\nThe fields by name in archive order, as Python values: UUIDs and "
       "texts as str (bytes that are not UTF-8 as surrogate escapes), blobs as bytes, floats as "
       "float (NaN and infinities too), null as None. to_json() gives the JSON line."},
      {"from_dict", &fromDict<O>, METH_O | METH_CLASS,
       "from_dict(d) -> object\n\nAn object from to_dict()'s dict or the tool's JSON object "
       "(base64 blobs, \"inf\", \"-inf\", \"nan\", {\"base64\": ...} texts); missing fields take "
       "their defaults."},
      {"to_json", &toJson<O>, METH_NOARGS,
       "to_json() -> str\n\nThe line dataobjects dump --json prints for the object's archive "
       "form (texts end at their first zero byte there)."},
      {"from_json", &fromJson<O>, METH_O | METH_CLASS,
       "from_json(line) -> object\n\nThe object of the JSON line, as dataobjects encode reads it: "
       "every field present, each in the tool's JSON form."},
      {"key", &key<O>, METH_NOARGS, "key() -> Id\n\nThe object's key."},
      {"__copy__", reinterpret_cast<PyCFunction>(&copyObject<O>), METH_NOARGS, nullptr},
      {"__deepcopy__", reinterpret_cast<PyCFunction>(&copyObject<O>), METH_O, nullptr},
      {"__reduce__", &reduce<O>, METH_NOARGS, nullptr},
      {"__setstate__", &setState<O>, METH_O, nullptr},
      {nullptr, nullptr, 0, nullptr}};
  const bool collected = stored > 0;  // a class with a loader
  static std::vector<PyType_Slot> slots = {
      {Py_tp_new, reinterpret_cast<void*>(&newObject<O>)},
      {Py_tp_init, reinterpret_cast<void*>(&init<O>)},
      {Py_tp_dealloc, reinterpret_cast<void*>(&dealloc<O>)},
      {Py_tp_str, reinterpret_cast<void*>(&str<O>)},
      {Py_tp_repr, reinterpret_cast<void*>(&repr<O>)},
      {Py_tp_richcompare, reinterpret_cast<void*>(&compare<O>)},
      {Py_tp_hash, reinterpret_cast<void*>(&PyObject_HashNotImplemented)},
      {Py_tp_methods, methods},
      {Py_tp_getset, getset.data()},
      {Py_tp_doc, const_cast<char*>(kept(classDoc<O>()))}};
  if (collected) {
    slots.push_back({Py_tp_traverse, reinterpret_cast<void*>(&traverse<O>)});
    slots.push_back({Py_tp_clear, reinterpret_cast<void*>(&clear<O>)});
  }
  slots.push_back({0, nullptr});
  static PyType_Spec typeSpec = {
      kept(std::string("dataobjects_data.") + ObjectFields<O>::name),
      static_cast<int>(sizeof(Instance<O>)), 0,
      static_cast<unsigned>(Py_TPFLAGS_DEFAULT | (collected ? Py_TPFLAGS_HAVE_GC : 0)),
      slots.data()};
  PyObject* type = PyType_FromSpec(&typeSpec);
  if (type == nullptr) throw py::error_already_set();
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
      .def("__reduce__", [](const U& u) {
        return py::make_tuple(py::type::of<U>(), py::make_tuple(u.ToString()));
      });
  m.attr("UuidEntryDO").attr("__module__") = "dataobjects_data";
}

}  // namespace

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

void addClasses(py::module_& m) {
  bindUuid(m);
  detail::forEachClass([&](auto* tag) { bindClass<std::remove_pointer_t<decltype(tag)>>(m); });
}

}  // namespace python
}  // namespace dataobjects_data
