#include "python/Columns.h"

#include <dlfcn.h>
#include <pybind11/numpy.h>
#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "dataobjects/detail/ObjectFields.h"
#include "libs/utilities/archive/BoundedReading.h"
#include "platform/Archive.h"
#include "python/Errors.h"
#include "python/ObjectType.h"
#include "python/Streams.h"
#include "python/Values.h"

namespace dataobjects_data {
namespace python {
namespace {

using detail::forEachField;
using detail::ObjectFields;

template <class F>
using TypeOf = typename std::decay_t<F>::Type;

// How UUID columns are given: canonical text, codes into sorted categories, or 16 bytes.
enum class UuidForm { Text, Category, Bytes };

UuidForm uuidForm(const std::string& name) {
  if (name == "str") return UuidForm::Text;
  if (name == "category") return UuidForm::Category;
  if (name == "bytes") return UuidForm::Bytes;
  throw py::value_error("uuids is \"str\", \"category\" or \"bytes\", not \"" + name + "\"");
}

// Values of a trivially copyable type in memory from malloc, grown with realloc (which moves a
// large block's pages instead of copying them) and handed to numpy without a copy.
template <class T>
class Buffer {
  static_assert(std::is_trivially_copyable<T>::value, "a buffer holds plain values");

 public:
  Buffer() = default;
  ~Buffer() { std::free(data_); }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;

  void push(T value) {
    if (size_ == capacity_) grow();
    data_[size_++] = value;
  }
  std::size_t size() const { return size_; }
  T* data() { return data_; }
  void truncate(std::size_t size) { size_ = std::min(size_, size); }

  // The values as a one-dimensional array of `dtype` (of T's size) that owns them; the buffer
  // is empty afterwards.
  py::array take(const py::dtype& dtype) {
    if (size_ == 0) return py::array(dtype, std::vector<py::ssize_t>{0});
    if (void* fitted = std::realloc(data_, size_ * sizeof(T))) data_ = static_cast<T*>(fitted);
    const py::capsule owner(data_, [](void* data) { std::free(data); });
    const py::array array(dtype, {static_cast<py::ssize_t>(size_)},
                          {static_cast<py::ssize_t>(sizeof(T))}, data_, owner);
    data_ = nullptr;
    size_ = capacity_ = 0;
    return array;
  }

 private:
  void grow() {
    const std::size_t capacity = std::max<std::size_t>(1024, capacity_ * 2);
    void* data = std::realloc(data_, capacity * sizeof(T));
    if (data == nullptr) throw std::bad_alloc();
    data_ = static_cast<T*>(data);
    capacity_ = capacity;
  }

  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// Python objects (owned references) collected for an object column.
class Objects {
 public:
  Objects() = default;
  ~Objects() {
    for (std::size_t i = 0; i < refs_.size(); ++i)
      Py_DECREF(refs_.data()[i]);
  }
  Objects(const Objects&) = delete;
  Objects& operator=(const Objects&) = delete;

  // Takes the reference `object` (a new one, not null).
  void push(PyObject* object) {
    try {
      refs_.push(object);
    } catch (...) {
      Py_DECREF(object);
      throw;
    }
  }
  std::size_t size() const { return refs_.size(); }

  // An object array holding the references, which the collection gives up.
  py::array take() {
    py::array array(py::dtype("O"), std::vector<py::ssize_t>{static_cast<py::ssize_t>(size())});
    if (size() > 0) {  // numpy fills a new object array with nulls: the references replace them
      std::memcpy(array.mutable_data(), refs_.data(), size() * sizeof(PyObject*));
      refs_.truncate(0);
    }
    return array;
  }

 private:
  Buffer<PyObject*> refs_;
};

PyObject* newReference(PyObject* object) {
  if (object == nullptr) raised();
  return object;
}

using UuidBytes = Uuid::Bytes;

std::size_t hash(const UuidBytes& bytes) {
  std::uint64_t a = 0;
  std::uint64_t b = 0;
  std::memcpy(&a, bytes.data(), 8);
  std::memcpy(&b, bytes.data() + 8, 8);
  const std::uint64_t h = (a ^ (b * 0x9E3779B97F4A7C15ull)) * 0xBF58476D1CE4E5B9ull;
  return static_cast<std::size_t>(h ^ (h >> 29));
}

// The two hex digits of each byte value, lower case.
struct HexPairs {
  char pairs[256][2];
  constexpr HexPairs() : pairs() {
    constexpr char digits[] = "0123456789abcdef";
    for (int i = 0; i < 256; ++i) {
      pairs[i][0] = digits[i >> 4];
      pairs[i][1] = digits[i & 0x0F];
    }
  }
};
constexpr HexPairs kHexPairs;

// The canonical text of a UUID, as Uuid::toString writes it, made straight into a str.
PyObject* uuidText(const UuidBytes& bytes) {
  PyObject* text = newReference(PyUnicode_New(36, 127));
  char* out = reinterpret_cast<char*>(PyUnicode_1BYTE_DATA(text));
  // Where each byte's two digits go: the groups are 4, 2, 2, 2 and 6 bytes, dashes between.
  static constexpr unsigned char kAt[16] = {0,  2,  4,  6,  9,  11, 14, 16,
                                            19, 21, 24, 26, 28, 30, 32, 34};
  for (std::size_t i = 0; i < 16; ++i)
    std::memcpy(out + kAt[i], kHexPairs.pairs[bytes[i]], 2);
  out[8] = out[13] = out[18] = out[23] = '-';
  return text;
}

// ---- columns --------------------------------------------------------------------------------
//
// A column takes its field's value from each object read (append, without the GIL), makes the
// Python objects of the values appended since the last time (materialize, with the GIL) and
// hands over what it holds (take). rows() counts the values appended; truncate(rows) drops those
// appended after the first `rows`, for an object whose fields could not all be taken.

template <class O>
class Column {
 public:
  virtual ~Column() = default;
  virtual void append(const O& object) = 0;
  virtual std::size_t rows() const = 0;
  virtual void truncate(std::size_t rows) = 0;
  virtual void materialize() {}
  // The column's payload: an array, (values, null mask) or (codes, categories).
  virtual py::object take() = 0;
};

// A number or bool; a nullable one with a mask (true: null, the value 0).
template <class O, class F>
class NumberColumn : public Column<O> {
  using T = TypeOf<F>;

 public:
  explicit NumberColumn(const F& field) : field_(field) {}
  void append(const O& object) override {
    const bool null = field_.isNull != nullptr && (object.*field_.isNull)();
    values_.push(null ? T{} : (object.*field_.get)());
    if (field_.isNull != nullptr) nulls_.push(null);
  }
  std::size_t rows() const override { return values_.size(); }
  void truncate(std::size_t rows) override {
    values_.truncate(rows);
    nulls_.truncate(rows);
  }
  py::object take() override {
    py::array values = values_.take(py::dtype::of<T>());
    if (field_.isNull == nullptr) return std::move(values);
    return py::make_tuple(values, nulls_.take(py::dtype::of<bool>()));
  }

 private:
  F field_;
  Buffer<T> values_;
  Buffer<bool> nulls_;
};

// Values kept in C++ until the GIL is held again, then made Python objects; a null is None.
template <class O, class F, class Staged>
class StagedColumn : public Column<O> {
 public:
  explicit StagedColumn(const F& field) : field_(field) {}
  void append(const O& object) override {
    if (field_.isNull != nullptr && (object.*field_.isNull)()) {
      staged_.null();
    } else {
      staged_.add((object.*field_.get)());
    }
  }
  std::size_t rows() const override { return objects_.size() + staged_.size(); }
  void truncate(std::size_t rows) override { staged_.truncate(rows - objects_.size()); }
  void materialize() override {
    for (std::size_t i = 0; i < staged_.size(); ++i)
      objects_.push(staged_.isNull(i) ? (Py_INCREF(Py_None), Py_None) : staged_.make(i));
    staged_.clear();
  }
  py::object take() override {
    staged_.forgetMade();
    return objects_.take();
  }
  Staged& staged() { return staged_; }

 private:
  F field_;
  Staged staged_;
  Objects objects_;
};

// The object last made for each of a few recent values, in a direct-mapped cache, so that rows
// of one value (a configuration over many rows, a mode's name) mostly share one object, as
// pandas.read_csv's rows of one text do, at the cost of a hash and a compare for a value seen
// once. The cache does not own the objects: the column holds every object made until it hands
// them over, and then forgets them (forget).
template <class Key>
class RecentObjects {
 public:
  // A new reference to the object for `key`, made by `make` unless the cache holds it.
  template <class Make>
  PyObject* get(const Key& key, Make make) {
    Entry& entry = entries_[hash(key) & (kSize - 1)];
    if (entry.object != nullptr && entry.key == key) {
      Py_INCREF(entry.object);
      return entry.object;
    }
    entry.object = make();
    entry.key = key;
    return entry.object;
  }
  void forget() { entries_.fill(Entry{}); }

 private:
  static constexpr std::size_t kSize = 1024;
  struct Entry {
    Key key{};
    PyObject* object = nullptr;
  };
  std::array<Entry, kSize> entries_{};
};

// A text short enough to be worth a cache entry.
struct ShortText {
  static constexpr std::size_t kMax = 23;
  unsigned char size = 0;
  char bytes[kMax] = {};

  static bool fits(std::size_t size) { return size <= kMax; }
  ShortText() = default;
  ShortText(const char* data, std::size_t size) : size(static_cast<unsigned char>(size)) {
    std::memcpy(bytes, data, size);
  }
  bool operator==(const ShortText& other) const {
    return size == other.size && std::memcmp(bytes, other.bytes, size) == 0;
  }
};

std::size_t hash(const ShortText& text) {
  return std::hash<std::string_view>{}(std::string_view(text.bytes, text.size));
}

// Texts and blobs staged end to end in one string; texts of a few recent values share an object.
template <bool kText>
class StagedBytes {
 public:
  template <class Value>
  void add(const Value& value) {
    bytes_.append(reinterpret_cast<const char*>(value.data()), value.size());
    ends_.push_back(bytes_.size());
    nulls_.push_back(false);
  }
  void null() {
    ends_.push_back(bytes_.size());
    nulls_.push_back(true);
  }
  std::size_t size() const { return ends_.size(); }
  bool isNull(std::size_t i) const { return nulls_[i]; }
  void truncate(std::size_t size) {
    if (size >= ends_.size()) return;
    ends_.resize(size);
    nulls_.resize(size);
    bytes_.resize(ends_.empty() ? 0 : ends_.back());
  }
  void clear() { truncate(0); }
  void forgetMade() { recent_.forget(); }
  PyObject* make(std::size_t i) {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    const char* data = bytes_.data() + begin;
    const std::size_t size = ends_[i] - begin;
    if (!kText) return newReference(PyBytes_FromStringAndSize(data, static_cast<Py_ssize_t>(size)));
    const auto text = [&] {
      return newReference(
          PyUnicode_DecodeUTF8(data, static_cast<Py_ssize_t>(size), "surrogateescape"));
    };
    return ShortText::fits(size) ? recent_.get(ShortText(data, size), text) : text();
  }

 private:
  std::string bytes_;
  std::vector<std::size_t> ends_;
  std::vector<bool> nulls_;
  RecentObjects<ShortText> recent_;  // texts only
};

// UUIDs staged as their 16 bytes and made str or bytes; rows of a few recent UUIDs share an
// object.
template <UuidForm kForm>
class StagedUuids {
 public:
  StagedUuids() = default;
  StagedUuids(const StagedUuids&) = delete;
  StagedUuids& operator=(const StagedUuids&) = delete;

  void add(const UuidEntryDO& entry) {
    uuids_.push_back(entry.getUuid().bytes());
    nulls_.push_back(false);
  }
  void null() {
    uuids_.emplace_back();
    nulls_.push_back(true);
  }
  std::size_t size() const { return uuids_.size(); }
  bool isNull(std::size_t i) const { return nulls_[i]; }
  void truncate(std::size_t size) {
    if (size >= uuids_.size()) return;
    uuids_.resize(size);
    nulls_.resize(size);
  }
  void clear() { truncate(0); }
  PyObject* make(std::size_t i) {
    const UuidBytes& uuid = uuids_[i];
    return recent_.get(uuid, [&] {
      return kForm == UuidForm::Text
                 ? uuidText(uuid)
                 : newReference(PyBytes_FromStringAndSize(
                       reinterpret_cast<const char*>(uuid.data()), uuid.size()));
    });
  }
  void forgetMade() { recent_.forget(); }

 private:
  std::vector<UuidBytes> uuids_;
  std::vector<bool> nulls_;
  RecentObjects<UuidBytes> recent_;
};

// The distinct UUIDs of a column, each with its code: its place in the order of first sight.
// An open-addressing table of codes, at most half full.
class UuidTable {
 public:
  std::int32_t code(const UuidBytes& uuid) {
    if (2 * (uuids_.size() + 1) > slots_.size())
      rehash(std::max<std::size_t>(1024, 2 * slots_.size()));
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash(uuid) & mask;; at = (at + 1) & mask) {
      const std::int32_t code = slots_[at];
      if (code < 0) {
        slots_[at] = static_cast<std::int32_t>(uuids_.size());
        uuids_.push_back(uuid);
        return slots_[at];
      }
      if (uuids_[static_cast<std::size_t>(code)] == uuid) return code;
    }
  }
  const std::vector<UuidBytes>& uuids() const { return uuids_; }
  void clear() {
    slots_.clear();
    uuids_.clear();
  }

 private:
  void rehash(std::size_t size) {
    slots_.assign(size, -1);
    for (std::size_t code = 0; code < uuids_.size(); ++code) {
      std::size_t at = hash(uuids_[code]) & (size - 1);
      while (slots_[at] >= 0)
        at = (at + 1) & (size - 1);
      slots_[at] = static_cast<std::int32_t>(code);
    }
  }

  std::vector<std::int32_t> slots_;
  std::vector<UuidBytes> uuids_;
};

// UUIDs as int32 codes into the distinct UUIDs of the rows (-1: null), renumbered when taken so
// that the categories sort as their texts do.
template <class O, class F>
class CategoryColumn : public Column<O> {
 public:
  explicit CategoryColumn(const F& field) : field_(field) {}
  void append(const O& object) override {
    const bool null = field_.isNull != nullptr && (object.*field_.isNull)();
    codes_.push(null ? -1 : table_.code((object.*field_.get)().getUuid().bytes()));
  }
  std::size_t rows() const override { return codes_.size(); }
  void truncate(std::size_t rows) override { codes_.truncate(rows); }
  py::object take() override {
    const std::vector<UuidBytes>& uuids = table_.uuids();
    std::vector<std::int32_t> order(uuids.size());
    for (std::size_t i = 0; i < order.size(); ++i)
      order[i] = static_cast<std::int32_t>(i);
    std::sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
      return uuids[static_cast<std::size_t>(a)] < uuids[static_cast<std::size_t>(b)];
    });
    Objects categories;
    std::vector<std::int32_t> rank(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
      rank[static_cast<std::size_t>(order[i])] = static_cast<std::int32_t>(i);
      categories.push(uuidText(uuids[static_cast<std::size_t>(order[i])]));
    }
    table_.clear();
    std::int32_t* codes = codes_.data();
    for (std::size_t i = 0; i < codes_.size(); ++i)
      if (codes[i] >= 0) codes[i] = rank[static_cast<std::size_t>(codes[i])];
    return py::make_tuple(codes_.take(py::dtype::of<std::int32_t>()), categories.take());
  }

 private:
  F field_;
  Buffer<std::int32_t> codes_;
  UuidTable table_;
};

template <class O, class F>
std::unique_ptr<Column<O>> makeColumn(const F& field, UuidForm uuids) {
  using T = TypeOf<F>;
  if constexpr (std::is_arithmetic<T>::value) {
    return std::make_unique<NumberColumn<O, F>>(field);
  } else if constexpr (std::is_same<T, std::string>::value) {
    return std::make_unique<StagedColumn<O, F, StagedBytes<true>>>(field);
  } else if constexpr (std::is_same<T, Bytes>::value) {
    return std::make_unique<StagedColumn<O, F, StagedBytes<false>>>(field);
  } else {
    static_assert(std::is_same<T, UuidEntryDO>::value, "a field of a kind the reader knows");
    if (uuids == UuidForm::Category) return std::make_unique<CategoryColumn<O, F>>(field);
    if (uuids == UuidForm::Bytes)
      return std::make_unique<StagedColumn<O, F, StagedUuids<UuidForm::Bytes>>>(field);
    return std::make_unique<StagedColumn<O, F, StagedUuids<UuidForm::Text>>>(field);
  }
}

// ---- tables ---------------------------------------------------------------------------------

// The chosen columns of one class; their names in the order asked for.
class Table {
 public:
  virtual ~Table() = default;
  // Reads one object and appends its fields; without the GIL.
  virtual void read(Archive& archive) = 0;
  virtual void materialize() = 0;
  // The payloads by name, in the order asked for; the columns are empty afterwards.
  virtual py::dict take() = 0;
};

template <class O>
class ClassTable : public Table {
 public:
  ClassTable(const std::vector<std::string>& names, UuidForm uuids) : names_(names) {
    forEachField(ObjectFields<O>::fields(), [&](const auto& field) {
      if (std::find(names.begin(), names.end(), field.name) == names.end()) return;
      columns_.push_back(makeColumn<O>(field, uuids));
      fieldNames_.emplace_back(field.name);
    });
  }
  void read(Archive& archive) override {
    archive >> object_;
    try {
      for (auto& column : columns_)
        column->append(object_);
    } catch (...) {  // every column keeps the rows before this object, and only those
      for (auto& column : columns_)
        column->truncate(rows_);
      throw;
    }
    ++rows_;
  }
  void materialize() override {
    for (auto& column : columns_)
      column->materialize();
  }
  py::dict take() override {
    rows_ = 0;
    py::dict payloads;
    for (const std::string& name : names_) {
      const std::size_t at = static_cast<std::size_t>(
          std::find(fieldNames_.begin(), fieldNames_.end(), name) - fieldNames_.begin());
      payloads[py::str(name)] = columns_[at]->take();
    }
    return payloads;
  }

 private:
  O object_;              // every object is read into this one
  std::size_t rows_ = 0;  // since the last take()
  std::vector<std::string> names_;
  std::vector<std::string> fieldNames_;  // of columns_, in archive order
  std::vector<std::unique_ptr<Column<O>>> columns_;
};

// The field names of class `cls` that `columns` (None: all) asks for, checked.
template <class O>
std::vector<std::string> chosenNames(py::handle columns) {
  std::vector<std::string> all;
  forEachField(ObjectFields<O>::fields(), [&](const auto& field) { all.emplace_back(field.name); });
  if (columns.is_none()) return all;
  if (PyUnicode_Check(columns.ptr())) throw py::type_error("columns is a list of field names");
  std::vector<std::string> names;
  for (const py::handle name : py::iter(columns)) {
    if (!PyUnicode_Check(name.ptr())) wrongType(name, "a field name (str)");
    const std::string text = name.cast<std::string>();
    if (std::find(all.begin(), all.end(), text) == all.end()) {
      throw py::value_error(std::string(ObjectFields<O>::name) + " has no field " +
                            std::string(py::repr(name)));
    }
    if (std::find(names.begin(), names.end(), text) != names.end())
      throw py::value_error("the column " + std::string(py::repr(name)) + " is asked for twice");
    names.push_back(text);
  }
  return names;
}

std::unique_ptr<Table> makeTable(py::handle cls, py::handle columns, UuidForm uuids) {
  opsOfClass(cls);  // a data object class, or TypeError
  const std::string name = py::str(cls.attr("__name__"));
  std::unique_ptr<Table> table;
  detail::forEachClass([&](auto* tag) {
    using O = std::remove_pointer_t<decltype(tag)>;
    if (name == ObjectFields<O>::name)
      table = std::make_unique<ClassTable<O>>(chosenNames<O>(columns), uuids);
  });
  return table;
}

// ---- the reader -----------------------------------------------------------------------------

std::unique_ptr<Source> openSource(py::handle source, bool path) {
  if (path) {
    if (!PyBytes_Check(source.ptr())) wrongType(source, "a path as bytes");
    return std::make_unique<PathSource>(py::reinterpret_borrow<py::bytes>(source));
  }
  if (PyObject_CheckBuffer(source.ptr())) return std::make_unique<MemorySource>(source);
  if (py::hasattr(source, "read")) return std::make_unique<FileSource>(source);
  throw py::type_error("expected bytes, a binary file or a path, got " + typeName(source));
}

// While it lives, the arenas in which Python places its small objects come with their pages
// mapped at once, rather than one page fault at a time as the objects fill them. Where Python
// maps its arenas itself (its own allocator, not one an application installed), they are cut
// from regions the kernel may back with huge pages: a first touch then costs one fault per 2 MiB
// rather than one per 4 KiB, which on a virtual machine is most of the cost of a new object. Such
// an arena is memory that munmap releases, like one of Python's own, so Python frees it the same
// way once the scope has ended.
class PrefaultedArenas {
 public:
  PrefaultedArenas() {
    PyObject_GetArenaAllocator(&saved_);
    cut_ = mapsItself(saved_);
    PyObjectArenaAllocator ours{this, &allocate, &release};
    PyObject_SetArenaAllocator(&ours);
  }
  ~PrefaultedArenas() { PyObject_SetArenaAllocator(&saved_); }
  PrefaultedArenas(const PrefaultedArenas&) = delete;
  PrefaultedArenas& operator=(const PrefaultedArenas&) = delete;

 private:
  static constexpr std::size_t kHuge = std::size_t{2} << 20;
  static constexpr std::size_t kRegion = 2 * kHuge;

  // The rest of the region that arenas were last cut from, [next, end): kept for the next batch,
  // so that a batch that needs less than a huge page leaves the rest of it to the following one.
  // Used only with the GIL held.
  struct Region {
    char* next = nullptr;
    char* end = nullptr;
  };
  static Region region;

  // Whether `arenas` is the interpreter's own arena allocator, which maps and unmaps: told by
  // the module its function lives in, which is the interpreter's.
  static bool mapsItself(const PyObjectArenaAllocator& arenas) {
    Dl_info python{};
    Dl_info allocator{};
    return dladdr(reinterpret_cast<void*>(&PyObject_Malloc), &python) != 0 &&
           dladdr(reinterpret_cast<void*>(arenas.alloc), &allocator) != 0 &&
           python.dli_fbase == allocator.dli_fbase;
  }
  static void* allocate(void* context, std::size_t size) {
    auto& self = *static_cast<PrefaultedArenas*>(context);
    void* arena = self.cut_ ? cut(size) : nullptr;
    if (arena == nullptr) arena = self.saved_.alloc(self.saved_.ctx, size);
    if (arena != nullptr) madvise(arena, size, 23 /* MADV_POPULATE_WRITE */);
    return arena;
  }
  static void release(void* context, void* arena, std::size_t size) {
    const PyObjectArenaAllocator& saved = static_cast<PrefaultedArenas*>(context)->saved_;
    saved.free(saved.ctx, arena, size);
  }
  // The next `size` bytes of the current region, or null.
  static char* cut(std::size_t size) {
    if (size == 0 || kHuge % size != 0) return nullptr;
    if (static_cast<std::size_t>(region.end - region.next) < size) {
      if (region.next != region.end)
        munmap(region.next, static_cast<std::size_t>(region.end - region.next));
      region = Region{};
      void* mapped = mmap(nullptr, kRegion + kHuge, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (mapped == MAP_FAILED) return nullptr;
      char* const begin = static_cast<char*>(mapped);
      const std::size_t skip = (kHuge - reinterpret_cast<std::uintptr_t>(begin) % kHuge) % kHuge;
      if (skip != 0) munmap(begin, skip);
      munmap(begin + skip + kRegion, kHuge - skip);
      region.next = begin + skip;
      region.end = region.next + kRegion;
      madvise(region.next, kRegion, MADV_HUGEPAGE);
    }
    char* const arena = region.next;
    region.next += size;
    return arena;
  }

  PyObjectArenaAllocator saved_;
  bool cut_ = false;
};
PrefaultedArenas::Region PrefaultedArenas::region;

// Reads the objects of one class into columns, a given number of rows at a time. A failed read
// ends the reading: the rows before it are returned, and `error` is the exception loads()
// raises for it, with the object's index and the offset where it started.
class ColumnReader {
 public:
  ColumnReader(py::handle source, py::handle cls, py::handle columns, const std::string& uuids,
               bool path)
      : table_(makeTable(cls, columns, uuidForm(uuids))),
        source_(openSource(source, path)),
        archive_(source_.get()) {}

  // (rows, payloads by name) of at most `rows` objects (0: until the input ends).
  py::tuple read(std::size_t rows) {
    if (busy_) throw py::value_error("the reader is being read by another thread");
    busy_ = true;
    struct Done {
      bool& busy;
      ~Done() { busy = false; }
    } done{busy_};
    const std::size_t target = rows == 0 ? static_cast<std::size_t>(-1) : rows;
    std::size_t read = 0;
    while (!done_ && read < target) {
      const std::size_t step = std::min<std::size_t>(target - read, kStep);
      std::size_t count = 0;
      long long offset = 0;
      bool ended = false;
      std::exception_ptr failure;
      {
        const py::gil_scoped_release unlocked;
        const BoundedReading bounded;  // no other code runs on this thread meanwhile
        try {
          for (; count < step; ++count) {
            if (archive_.peek() == EOF) {
              ended = true;
              break;
            }
            offset = source_->offset();
            source_->prefetch();
            table_->read(archive_);
          }
        } catch (...) {
          failure = std::current_exception();
        }
      }
      {
        const PrefaultedArenas arenas;
        table_->materialize();
      }
      read += count;
      index_ += count;
      if (ended || failure) finish(failure, offset);
    }
    return py::make_tuple(read, table_->take());
  }

  py::object error() const { return error_; }
  std::size_t index() const { return index_; }

 private:
  static constexpr std::size_t kStep = 1 << 13;  // objects decoded per release of the GIL

  // Ends the reading; the error of the source comes first, as the end the decoding met may be
  // its doing.
  void finish(std::exception_ptr failure, long long offset) {
    done_ = true;
    try {
      source_->raisePending();
      if (failure) std::rethrow_exception(failure);
    } catch (py::error_already_set& e) {
      error_ = e.value();
    } catch (const TesmiraException& e) {
      error_ = toPython(e);
      error_.attr("index") = index_;
      error_.attr("offset") = offset;
    }
  }

  std::unique_ptr<Table> table_;
  std::unique_ptr<Source> source_;
  Archive archive_;
  std::size_t index_ = 0;
  bool done_ = false;
  bool busy_ = false;
  py::object error_ = py::none();
};

}  // namespace

void addColumnReader(py::module_& m) {
  py::class_<ColumnReader>(m, "_ColumnReader",
                           "Reads the objects of one class into columns (see "
                           "dataobjects_data.frames).")
      .def(py::init<py::handle, py::handle, py::handle, const std::string&, bool>(),
           py::arg("source"), py::arg("cls"), py::arg("columns"), py::arg("uuids"), py::arg("path"))
      .def("read", &ColumnReader::read, py::arg("rows"),
           "(rows, {name: payload}) of at most `rows` objects (0: all that are left).")
      .def_property_readonly("error", &ColumnReader::error,
                             "The exception that ended the reading, or None.")
      .def_property_readonly("index", &ColumnReader::index, "The objects read so far.");
}

}  // namespace python
}  // namespace dataobjects_data
