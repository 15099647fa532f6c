// The archive form of an object described entry by entry, for the truncation and write-failure
// sweeps: which field a given byte belongs to, and what reading an archive that ends there, or
// writing to a sink that fills there, must throw.
#ifndef TESTS_SUPPORT_WIRELAYOUT_H
#define TESTS_SUPPORT_WIRELAYOUT_H

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/Archive.h"
#include "platform/UuidEntryDO.h"
#include "tests/support/TestStreams.h"

namespace testing_support {

class WireLayout {
 public:
  // A run of bytes that fails in one way: a whole entry, or the length or body of a string or
  // byte vector.
  struct Stretch {
    std::size_t begin;
    std::size_t end;
    int field;
    ExpectedFailure read;
    ExpectedFailure write;
  };

  // Appends the entry of field number `field`, holding `value`, in the encoding of its type.
  WireLayout& add(int field, const UuidEntryDO& value);
  WireLayout& add(int field, long long value);
  WireLayout& add(int field, unsigned short value);
  WireLayout& add(int field, double value);
  WireLayout& add(int field, bool value);
  WireLayout& add(int field, const std::string& value);
  WireLayout& add(int field, const std::vector<unsigned char>& value);

  const std::string& bytes() const { return bytes_; }
  // The stretch that holds byte `offset`; offset must be below bytes().size().
  const Stretch& at(std::size_t offset) const;

  // Runs `write` on sinks that fill after each possible byte count: every run must throw what
  // the stretch at that count names and leave exactly the bytes before it.
  void expectWriteFailures(const std::function<void(Archive&)>& write) const;

 private:
  WireLayout& append(int field, const std::string& encoded, const ExpectedFailure& read,
                     const ExpectedFailure& write);

  std::string bytes_;
  std::vector<Stretch> stretches_;
};

}  // namespace testing_support

#endif  // TESTS_SUPPORT_WIRELAYOUT_H
