/// @file
/// Values straight through a stream's buffer. Not installed: only the library's sources include
/// it.
///
/// The codec writes and reads values through the put and get areas of the stream's buffer itself
/// whenever the stream's own write, read, get or put would do nothing besides: the stream has no
/// error state and no tied stream to flush first, and (for output) no unitbuf to flush after and
/// no field width, and the bytes fit the area. A transfer is then a copy and a pointer bump,
/// which is what the buffer's sputn and sgetn amount to (they behave as repeated sputc and
/// sbumpc), and the stream is left as its member functions would leave it, down to gcount(). A
/// cursor does this for a run of values at once (the fields of one object), with one look at the
/// stream. Values go direct only when they succeed: whatever could fail, and anything a cursor
/// cannot take whole, goes through the stream's member functions, which set the state and
/// report failures as they always do.
///
/// Setting gcount() and reading the stream's locale without a copy need members that the
/// standard library keeps protected. They are reached only with libstdc++, whose members are
/// known; with any other standard library (or with DATAOBJECTS_PORTABLE_STREAM_ACCESS defined,
/// which the tests use to check that route) every read takes the stream's own route and the
/// locale is compared through getloc().
#ifndef LIBS_UTILITIES_ARCHIVE_DETAIL_STREAMACCESS_H
#define LIBS_UTILITIES_ARCHIVE_DETAIL_STREAMACCESS_H

#include <climits>
#include <cstddef>
#include <istream>
#include <locale>
#include <ostream>
#include <streambuf>

namespace dataobjects_data {
namespace detail {

// The put and get areas of a stream buffer, which std::streambuf keeps protected.
struct Areas : std::streambuf {
  static char* put_next(std::streambuf* b) { return (b->*&Areas::pptr)(); }
  static char* put_end(std::streambuf* b) { return (b->*&Areas::epptr)(); }
  static void put_skip(std::streambuf* b, int n) { (b->*&Areas::pbump)(n); }
  static char* get_next(std::streambuf* b) { return (b->*&Areas::gptr)(); }
  static char* get_end(std::streambuf* b) { return (b->*&Areas::egptr)(); }
  static void get_skip(std::streambuf* b, int n) { (b->*&Areas::gbump)(n); }
};

#if defined(__GLIBCXX__) && !defined(DATAOBJECTS_PORTABLE_STREAM_ACCESS)
// The count of the last unformatted input, which std::istream keeps protected; direct reads set
// it as read() and get() do.
struct LastCount : std::istream {
  static void set(std::istream& is, std::streamsize n) { is.*(&LastCount::_M_gcount) = n; }
};
constexpr bool kDirectReads = true;

// The stream's locale, which std::ios_base keeps protected; getloc() would copy it.
struct StreamLocale : std::ios_base {
  static const std::locale& of(const std::ios_base& s) { return s.*(&StreamLocale::_M_ios_locale); }
};
inline bool classic_locale(const std::ios_base& stream) {
  return StreamLocale::of(stream) == std::locale::classic();
}
#else
struct LastCount {
  static void set(std::istream&, std::streamsize) {}
};
constexpr bool kDirectReads = false;

inline bool classic_locale(const std::ios_base& stream) {
  return stream.getloc() == std::locale::classic();
}
#endif

/// Room in the put area of a stream for a run of values of at most `size` bytes, or none (false)
/// when they must go through the stream's functions. What was written is marked as written when
/// the cursor ends.
class PutCursor {
 public:
  PutCursor(std::ostream& os, std::size_t size) {
    const std::ios& ios = os;
    if (ios.rdstate() != std::ios_base::goodbit || ios.tie() != nullptr ||
        (ios.flags() & std::ios_base::unitbuf) != 0 || ios.width() != 0) {
      return;
    }
    std::streambuf* const b = ios.rdbuf();
    char* const next = Areas::put_next(b);
    if (next == nullptr || size > static_cast<std::size_t>(Areas::put_end(b) - next) ||
        size > static_cast<std::size_t>(INT_MAX)) {
      return;
    }
    buffer_ = b;
    start_ = next;
  }
  PutCursor(const PutCursor&) = delete;
  PutCursor& operator=(const PutCursor&) = delete;
  ~PutCursor() {
    if (written_ > 0) Areas::put_skip(buffer_, written_);
  }

  explicit operator bool() const { return start_ != nullptr; }
  /// Where the run goes.
  char* room() const { return start_; }
  /// The run ends at `end`.
  void wrote(const char* end) { written_ = static_cast<int>(end - start_); }

 private:
  std::streambuf* buffer_ = nullptr;
  char* start_ = nullptr;
  int written_ = 0;
};

/// Writes a run of at most `size` bytes straight into the put area of `os` with `write`, which
/// is given where to write and moves that past what it writes; false, with nothing written, when
/// the stream does not allow it.
template <class Write>
bool put_direct(std::ostream& os, std::size_t size, Write&& write) {
  PutCursor cursor(os, size);
  if (!cursor) return false;
  char* out = cursor.room();
  write(out);
  cursor.wrote(out);
  return true;
}

/// The bytes a stream's get area holds for direct reading, or none (available() 0, active()
/// false) when every value must go through the stream's functions. What was taken is marked as
/// read, with the gcount() of the last value, when the cursor is done or ends.
class GetCursor {
 public:
  explicit GetCursor(std::istream& is) : is_(is) { open(); }
  GetCursor(const GetCursor&) = delete;
  GetCursor& operator=(const GetCursor&) = delete;
  ~GetCursor() { done(); }

  /// Whether values may be taken at all: of no bytes, as a read of nothing, even without an area.
  bool active() const { return buffer_ != nullptr; }
  std::size_t available() const { return static_cast<std::size_t>(end_ - next_); }
  const char* next() const { return next_; }
  /// Takes `n` bytes for a value whose last read, on the stream's route, got `count` bytes.
  void take(std::size_t n, std::streamsize count) {
    next_ += n;
    last_ = count;
    taken_ = true;
  }
  /// Marks what was taken as read and stops: later values go through the stream's functions.
  void done() {
    if (taken_) {
      if (next_ != start_) Areas::get_skip(buffer_, static_cast<int>(next_ - start_));
      LastCount::set(is_, last_);
    }
    buffer_ = nullptr;
    start_ = next_ = end_ = nullptr;
    taken_ = false;
  }

 private:
  void open() {
    const std::ios& ios = is_;
    if (!kDirectReads || ios.rdstate() != std::ios_base::goodbit || ios.tie() != nullptr) return;
    buffer_ = ios.rdbuf();
    start_ = next_ = end_ = Areas::get_next(buffer_);
    if (next_ == nullptr) return;
    end_ = Areas::get_end(buffer_);
    if (end_ - next_ > INT_MAX) end_ = next_ + INT_MAX;
  }

  std::istream& is_;
  std::streambuf* buffer_ = nullptr;
  const char* start_ = nullptr;
  const char* next_ = nullptr;
  const char* end_ = nullptr;
  std::streamsize last_ = 0;
  bool taken_ = false;
};

}  // namespace detail
}  // namespace dataobjects_data

#endif  // LIBS_UTILITIES_ARCHIVE_DETAIL_STREAMACCESS_H
