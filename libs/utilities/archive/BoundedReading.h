/// @file
/// Reading archives that come from elsewhere without trusting their counts.
///
/// operator>> on an Archive resizes a byte vector to the count it reads before it reads the
/// bytes (see Serialize), and the data objects read their blobs and details slots so. An archive
/// of a few hundred bytes whose count claims 1 GiB therefore costs 1 GiB before the read fails
/// on the missing bytes, and a claim of 4294967295 costs 4 GiB (or ends in the standard library's
/// allocation failure where memory or the address space is smaller).
///
/// A reader that throws away an object whose read failed (a service reading uploads, a
/// converter) reads on the bounded route instead: while a BoundedReading lives, every byte
/// vector read on its thread grows in steps no larger than the bytes that have already arrived,
/// so memory stays within a small multiple of the input actually present. Everything else is
/// the same: the bytes, the values read, the exceptions with their types, files and lines, and
/// where the stream stops. Only the vector itself differs after a failed read: it holds the bytes
/// that arrived rather than the count's number of elements.
///
/// @code
///   dataobjects_data::BoundedReading bounded;
///   Archive archive(&uploadBuffer);
///   MeasurementDataDO measurement;
///   archive >> measurement;   // a hostile count fails on the missing bytes, not on memory
/// @endcode
///
/// Texts (std::string) are always read so, on every route.
#ifndef LIBS_UTILITIES_ARCHIVE_BOUNDEDREADING_H
#define LIBS_UTILITIES_ARCHIVE_BOUNDEDREADING_H

#include "platform/Export.h"

namespace dataobjects_data {

/// Turns the bounded route on or off for the byte vectors read on the calling thread; returns
/// the setting it replaces. Off is the default of every thread.
DATAOBJECTS_DATA_API bool setBoundedReading(bool bounded) noexcept;

/// The bounded route for the calling thread while the object lives; the setting before it
/// comes back when it ends, so scopes nest.
class BoundedReading {
 public:
  BoundedReading() noexcept : previous_(setBoundedReading(true)) {}
  ~BoundedReading() { setBoundedReading(previous_); }
  BoundedReading(const BoundedReading&) = delete;
  BoundedReading& operator=(const BoundedReading&) = delete;

 private:
  bool previous_;
};

}  // namespace dataobjects_data

#endif  // LIBS_UTILITIES_ARCHIVE_BOUNDEDREADING_H
