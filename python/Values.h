// Field values between C++ and Python: each value type of the data objects to its Python value
// and back, strictly for attributes and keyword arguments (a wrong type raises TypeError, an
// integer out of range OverflowError), and leniently for from_dict, which also takes the tool's
// JSON forms (blobs as base64 text, doubles as "inf", "-inf" or "nan", a text as
// {"base64": ...}).
#ifndef PYTHON_VALUES_H
#define PYTHON_VALUES_H

#include <pybind11/pybind11.h>

#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Uuid.h"
#include "platform/UuidEntryDO.h"
#include "tools/json/Base64.h"

namespace dataobjects_data {
namespace python {

namespace py = pybind11;
using Bytes = std::vector<unsigned char>;

// Whether from_dict's JSON forms are taken as well as the Python values.
enum class Accept { Python, Json };

// Raises the Python error that the C API has set.
[[noreturn]] inline void raised() {
  throw py::error_already_set();
}

inline std::string typeName(py::handle value) {
  return Py_TYPE(value.ptr())->tp_name;
}

[[noreturn]] inline void wrongType(py::handle value, const char* expected) {
  throw py::type_error(std::string("expected ") + expected + ", got " + typeName(value));
}

// The bytes of a bytes-like object (bytes, bytearray, memoryview, ...).
inline Bytes bytesOf(py::handle value, const char* expected) {
  if (PyBytes_Check(value.ptr())) {
    const auto* data = reinterpret_cast<const unsigned char*>(PyBytes_AS_STRING(value.ptr()));
    return Bytes(data, data + PyBytes_GET_SIZE(value.ptr()));
  }
  if (!PyObject_CheckBuffer(value.ptr())) wrongType(value, expected);
  Py_buffer view;
  if (PyObject_GetBuffer(value.ptr(), &view, PyBUF_SIMPLE) != 0) raised();
  const auto* data = static_cast<const unsigned char*>(view.buf);
  Bytes bytes(data, data + view.len);
  PyBuffer_Release(&view);
  return bytes;
}

// The bytes of base64 text, decoded as the dataobjects tool decodes its JSON (canonical padded
// base64 only); anything else raises ValueError.
inline Bytes fromBase64(py::handle text) {
  if (!PyUnicode_Check(text.ptr())) wrongType(text, "base64 text");
  try {
    return base64Decode(text.cast<std::string>());
  } catch (const std::invalid_argument& e) {
    throw py::value_error(e.what());
  }
}

template <class T>
struct PyValue;

template <>
struct PyValue<UuidEntryDO> {
  static py::object to(const UuidEntryDO& entry) { return py::cast(entry); }
  static py::object text(const UuidEntryDO& entry) {  // ASCII, so made without decoding
    const std::string text = entry.ToString();
    PyObject* s = PyUnicode_New(static_cast<Py_ssize_t>(text.size()), 127);
    if (s == nullptr) raised();
    std::memcpy(PyUnicode_1BYTE_DATA(s), text.data(), text.size());
    return py::reinterpret_steal<py::object>(s);
  }
  // A UuidEntryDO, its text, a uuid.UUID or its 16 bytes.
  static UuidEntryDO from(py::handle value, Accept = Accept::Python) {
    static PyObject* uuidType =
        py::object(py::module_::import("uuid").attr("UUID")).release().ptr();
    if (py::isinstance<UuidEntryDO>(value)) return value.cast<UuidEntryDO>();
    if (PyUnicode_Check(value.ptr())) {
      try {
        return UuidEntryDO(Uuid::fromString(value.cast<std::string>()));
      } catch (const std::invalid_argument& e) {
        throw py::value_error(e.what());
      }
    }
    const bool isUuid = PyObject_IsInstance(value.ptr(), uuidType) == 1;
    const char* expected = "a UuidEntryDO, a UUID text, a uuid.UUID or 16 bytes";
    const Bytes raw = bytesOf(
        isUuid ? py::object(value.attr("bytes")) : py::reinterpret_borrow<py::object>(value),
        expected);
    Uuid::Bytes bytes{};
    if (raw.size() != bytes.size())
      throw py::value_error("a UUID has 16 bytes, not " + std::to_string(raw.size()));
    for (std::size_t i = 0; i < bytes.size(); ++i)
      bytes[i] = raw[i];
    return UuidEntryDO(Uuid(bytes));
  }
};

// Integers: int (not bool) or anything with __index__; out of the type's range OverflowError.
template <class I, const char* kRange>
struct IntegerValue {
  static py::object to(I value) { return py::int_(value); }
  static py::object text(I value) { return to(value); }
  static I from(py::handle value, Accept = Accept::Python) {
    if (PyBool_Check(value.ptr()) || !PyIndex_Check(value.ptr())) wrongType(value, "an int");
    const py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
    if (!index) raised();
    const long long n = PyLong_AsLongLong(index.ptr());
    if (n == -1 && PyErr_Occurred()) raised();
    if (n < static_cast<long long>(std::numeric_limits<I>::min()) ||
        (n > 0 && static_cast<unsigned long long>(n) > std::numeric_limits<I>::max())) {
      PyErr_Format(PyExc_OverflowError, "%lld is out of range for %s", n, kRange);
      raised();
    }
    return static_cast<I>(n);
  }
};
inline constexpr char kInt64[] = "a signed 64-bit integer";
inline constexpr char kUInt16[] = "an unsigned 16-bit integer";
inline constexpr char kUInt32[] = "an unsigned 32-bit integer";
template <>
struct PyValue<long long> : IntegerValue<long long, kInt64> {};
template <>
struct PyValue<unsigned short> : IntegerValue<unsigned short, kUInt16> {};
template <>
struct PyValue<unsigned int> : IntegerValue<unsigned int, kUInt32> {};

template <>
struct PyValue<bool> {
  static py::object to(bool value) { return py::bool_(value); }
  static py::object text(bool value) { return to(value); }
  static bool from(py::handle value, Accept = Accept::Python) {
    if (!PyBool_Check(value.ptr())) wrongType(value, "a bool");
    return value.ptr() == Py_True;
  }
};

template <>
struct PyValue<double> {
  static py::object to(double value) { return py::float_(value); }
  static py::object text(double value) { return to(value); }
  // A float or an int (too large for a double: OverflowError); with Accept::Json also "inf",
  // "-inf" and "nan".
  static double from(py::handle value, Accept accept = Accept::Python) {
    if (accept == Accept::Json && PyUnicode_Check(value.ptr())) {
      const std::string text = value.cast<std::string>();
      if (text == "inf") return std::numeric_limits<double>::infinity();
      if (text == "-inf") return -std::numeric_limits<double>::infinity();
      if (text == "nan") return std::numeric_limits<double>::quiet_NaN();
      throw py::value_error("expected a number, \"inf\", \"-inf\" or \"nan\", got \"" + text +
                            "\"");
    }
    if (PyBool_Check(value.ptr()) || !(PyFloat_Check(value.ptr()) || PyLong_Check(value.ptr()) ||
                                       Py_TYPE(value.ptr())->tp_as_number != nullptr)) {
      wrongType(value, "a float");
    }
    const double d = PyFloat_AsDouble(value.ptr());
    if (d == -1.0 && PyErr_Occurred()) raised();
    return d;
  }
};

// Texts are str; bytes that are not UTF-8 come and go through "surrogateescape", so that a text
// comes back as the same bytes (an archive's texts end at their first zero byte, though).
template <>
struct PyValue<std::string> {
  static py::object to(const std::string& text) {
    PyObject* s =
        PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
    if (s == nullptr) raised();
    return py::reinterpret_steal<py::object>(s);
  }
  static py::object text(const std::string& value) { return to(value); }
  static std::string from(py::handle value, Accept accept = Accept::Python) {
    if (PyUnicode_Check(value.ptr())) {
      const py::object encoded = py::reinterpret_steal<py::object>(
          PyUnicode_AsEncodedString(value.ptr(), "utf-8", "surrogateescape"));
      if (!encoded) raised();
      return std::string(PyBytes_AS_STRING(encoded.ptr()),
                         static_cast<std::size_t>(PyBytes_GET_SIZE(encoded.ptr())));
    }
    if (accept == Accept::Json && PyDict_Check(value.ptr()) && PyDict_Size(value.ptr()) == 1 &&
        PyDict_GetItemString(value.ptr(), "base64") != nullptr) {
      const Bytes bytes = fromBase64(PyDict_GetItemString(value.ptr(), "base64"));
      return std::string(bytes.begin(), bytes.end());
    }
    if (PyBytes_Check(value.ptr()) || PyByteArray_Check(value.ptr())) {
      const Bytes bytes = bytesOf(value, "");
      return std::string(bytes.begin(), bytes.end());
    }
    wrongType(value,
              accept == Accept::Json ? "a str, bytes or {\"base64\": str}" : "a str or bytes");
  }
};

template <>
struct PyValue<Bytes> {
  static py::object to(const Bytes& bytes) {
    return py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  static py::object text(const Bytes& bytes) { return to(bytes); }
  // A bytes-like object; with Accept::Json also base64 text.
  static Bytes from(py::handle value, Accept accept = Accept::Python) {
    if (accept == Accept::Json && PyUnicode_Check(value.ptr())) return fromBase64(value);
    return bytesOf(value, accept == Accept::Json ? "bytes or base64 text" : "a bytes-like object");
  }
};

}  // namespace python
}  // namespace dataobjects_data

#endif  // PYTHON_VALUES_H
