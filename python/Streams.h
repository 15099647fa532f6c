// The stream buffers between archives and Python: input from a bytes-like object in place, from
// a binary file object read in pieces or from a file named by its path, each telling the offset
// of the next byte, and output collected in a string.
#ifndef PYTHON_STREAMS_H
#define PYTHON_STREAMS_H

#include <pybind11/pybind11.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

namespace dataobjects_data {
namespace python {

namespace py = pybind11;

// Input from somewhere; offset() is the position of the next byte in the whole input.
class Source : public std::streambuf {
 public:
  virtual long long offset() const = 0;
  // Asks the processor for the input a few KiB ahead of the reading, a KiB at a time: decoding a
  // large archive then finds its bytes in cache instead of waiting on memory for each of them.
  void prefetch() {
    const auto at = reinterpret_cast<std::uintptr_t>(gptr());
    if (fetched_ >= at + kAhead) return;
    const std::uintptr_t end =
        std::min(reinterpret_cast<std::uintptr_t>(egptr()), at + kAhead + kPiece);
    for (std::uintptr_t line = std::max(fetched_, at); line < end; line += 64)
      __builtin_prefetch(reinterpret_cast<const char*>(line));
    fetched_ = at + kAhead + kPiece;
  }
  // Raises the Python error that ended the input early, if one did: the stream took it for the
  // end of the input. Called with the GIL held.
  virtual void raisePending() {
    if (pending_) {
      std::unique_ptr<py::error_already_set> error = std::move(pending_);
      throw py::error_already_set(std::move(*error));
    }
  }

 protected:
  std::unique_ptr<py::error_already_set> pending_;

  // Makes [begin, end) the bytes to read next.
  void setPiece(char* begin, char* end) {
    setg(begin, begin, end);
    fetched_ = 0;
  }

 private:
  static constexpr std::uintptr_t kAhead = 4096;
  static constexpr std::uintptr_t kPiece = 1024;
  std::uintptr_t fetched_ = 0;  // the input below this address has been asked for
};

// The bytes of a bytes-like object, read in place; the object is held while the source lives.
class MemorySource : public Source {
 public:
  explicit MemorySource(py::handle data) {
    if (PyObject_GetBuffer(data.ptr(), &view_, PyBUF_SIMPLE) != 0) throw py::error_already_set();
    char* begin = static_cast<char*>(view_.buf);
    setPiece(begin, begin + view_.len);
  }
  ~MemorySource() override { PyBuffer_Release(&view_); }
  MemorySource(const MemorySource&) = delete;
  MemorySource& operator=(const MemorySource&) = delete;
  long long offset() const override { return gptr() - eback(); }

 private:
  Py_buffer view_;
};

// A binary file's read(), called for 64 KiB at a time. The GIL is taken for each call, so that
// the archive may be decoded with it released.
class FileSource : public Source {
 public:
  explicit FileSource(py::handle file) : read_(file.attr("read")) {}
  long long offset() const override { return before_ + (gptr() - eback()); }

 protected:
  int_type underflow() override {
    before_ += egptr() - eback();
    setg(nullptr, nullptr, nullptr);
    const py::gil_scoped_acquire gil;
    py::object piece;
    try {
      piece = read_(kPiece);
      if (!PyBytes_Check(piece.ptr())) {
        PyErr_Format(PyExc_TypeError, "read() of a binary file returns bytes, not %s",
                     Py_TYPE(piece.ptr())->tp_name);
        throw py::error_already_set();
      }
    } catch (py::error_already_set& e) {
      pending_ = std::make_unique<py::error_already_set>(std::move(e));
      return traits_type::eof();
    }
    const char* data = PyBytes_AS_STRING(piece.ptr());
    buffer_.assign(data, data + PyBytes_GET_SIZE(piece.ptr()));
    setPiece(buffer_.data(), buffer_.data() + buffer_.size());
    return buffer_.empty() ? traits_type::eof() : traits_type::to_int_type(buffer_[0]);
  }

 private:
  static constexpr Py_ssize_t kPiece = 1 << 16;
  py::object read_;
  std::vector<char> buffer_;
  long long before_ = 0;
};

// A file named by its path, read with read(2) 1 MiB at a time: no Python, so no GIL.
class PathSource : public Source {
 public:
  // Opens `path`; OSError (FileNotFoundError, ...) naming it when it cannot be opened.
  explicit PathSource(const py::bytes& path) : path_(path), buffer_(kPiece) {
    fd_ = ::open(PyBytes_AS_STRING(path.ptr()), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) raiseErrno(errno);
  }
  ~PathSource() override { ::close(fd_); }
  PathSource(const PathSource&) = delete;
  PathSource& operator=(const PathSource&) = delete;
  long long offset() const override { return before_ + (gptr() - eback()); }
  void raisePending() override {
    if (errno_ != 0) raiseErrno(std::exchange(errno_, 0));
  }

 protected:
  int_type underflow() override {
    before_ += egptr() - eback();
    setg(nullptr, nullptr, nullptr);
    ssize_t got;
    do {
      got = ::read(fd_, buffer_.data(), buffer_.size());
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
      if (got < 0) errno_ = errno;
      return traits_type::eof();
    }
    setPiece(buffer_.data(), buffer_.data() + got);
    return traits_type::to_int_type(buffer_[0]);
  }

 private:
  [[noreturn]] void raiseErrno(int error) {
    const py::object name = py::reinterpret_steal<py::object>(
        PyUnicode_DecodeFSDefault(PyBytes_AS_STRING(path_.ptr())));
    errno = error;
    PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, name.ptr());
    throw py::error_already_set();
  }

  static constexpr std::size_t kPiece = 1 << 20;
  py::bytes path_;
  int fd_ = -1;
  int errno_ = 0;
  std::vector<char> buffer_;
  long long before_ = 0;
};

// Output collected straight into a bytes object, which take() hands over.
class BytesSink : public std::streambuf {
 public:
  BytesSink() = default;
  ~BytesSink() override { Py_XDECREF(bytes_); }
  BytesSink(const BytesSink&) = delete;
  BytesSink& operator=(const BytesSink&) = delete;

  // What was written since the last take().
  py::bytes take() {
    if (bytes_ == nullptr) return py::bytes("", 0);
    if (_PyBytes_Resize(&bytes_, pptr() - pbase()) != 0) throw py::error_already_set();
    PyObject* out = bytes_;
    bytes_ = nullptr;
    setp(nullptr, nullptr);
    return py::reinterpret_steal<py::bytes>(out);
  }
  Py_ssize_t size() const { return pptr() - pbase(); }
  // Whether a write failed because the bytes could not grow.
  bool outOfMemory() const { return outOfMemory_; }

 protected:
  int_type overflow(int_type c) override {
    const Py_ssize_t used = size();
    const Py_ssize_t capacity = std::max<Py_ssize_t>(4096, 2 * (epptr() - pbase()));
    if (bytes_ == nullptr) {
      bytes_ = PyBytes_FromStringAndSize(nullptr, capacity);
    } else if (_PyBytes_Resize(&bytes_, capacity) != 0) {
      bytes_ = nullptr;
    }
    if (bytes_ == nullptr) {  // no memory: the stream reports a failed write
      PyErr_Clear();
      outOfMemory_ = true;
      setp(nullptr, nullptr);
      return traits_type::eof();
    }
    char* data = PyBytes_AS_STRING(bytes_);
    setp(data, data + capacity);
    advance(used);
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* data, std::streamsize count) override {
    for (std::streamsize done = 0; done < count;) {
      if (pptr() == epptr() &&
          traits_type::eq_int_type(overflow(traits_type::eof()), traits_type::eof())) {
        return done;
      }
      const std::streamsize room = std::min<std::streamsize>(count - done, epptr() - pptr());
      traits_type::copy(pptr(), data + done, static_cast<std::size_t>(room));
      advance(room);
      done += room;
    }
    return count;
  }

 private:
  void advance(Py_ssize_t count) {  // pbump takes an int
    for (; count > kStep; count -= kStep)
      pbump(kStep);
    pbump(static_cast<int>(count));
  }
  static constexpr int kStep = 1 << 30;
  PyObject* bytes_ = nullptr;
  bool outOfMemory_ = false;
};

}  // namespace python
}  // namespace dataobjects_data

#endif  // PYTHON_STREAMS_H
