// DataObjectStore: data objects kept in a SQLite database, each as its archive form under its
// class and key.
//
//   objects(class TEXT, key BLOB, label TEXT, archive BLOB)   primary key (class, key)
//   details(reference INTEGER, owner BLOB, compressed BLOB)   primary key reference
//
// `class` is the prefix of the Id's text ("JobData", "AlarmLearningValues"), `key` the archive
// form of the Id and `label` its text, for people reading the database. The key is not the
// text, because the text of a multi-part key can be ambiguous: the AlarmLearningValuesDO keys
// with X=1, Y=23 and X=12, Y=3 render alike.
//
// Measurements keep their details apart. save() stores a MeasurementDataDO's compressed details
// in `details` under a new reference owned by the measurement's key, and writes the measurement
// with that external reference and no details, so its archive holds an empty details text.
// load() installs DataObjectStore::loadDetails as the measurement's externalReferenceLoader: the
// details are read from the database only when the measurement is first asked for them, once.
//
// Threads. A loader is a plain function pointer without context, so loadDetails reaches the
// database through a thread-local pointer: the first store opened on a thread serves the details
// of that thread until it is closed, and a thread without an open store cannot fetch details
// (loadDetails throws StoreError). Hence:
//   - Open one store, one SQLite connection, per thread that touches measurements, and close it
//     on that thread. Stores on different threads may open the same database file.
//   - Details are fetched from the store of the thread that asks for them, whichever store the
//     measurement came from. Fetch a measurement's details before copying it to another
//     database, since references are numbered per database.
//   - A data object must not be used by two threads at once: the details getter changes the
//     object, even through const access. Handing it over between threads is fine.
#ifndef EXAMPLES_SQLITE_STORE_DATAOBJECTSTORE_H
#define EXAMPLES_SQLITE_STORE_DATAOBJECTSTORE_H

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "dataobjects/MeasurementDataDO.h"
#include "platform/Archive.h"

struct sqlite3;

// A failed SQLite call, or details that cannot be fetched.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class DataObjectStore {
 public:
  // Opens the database at `path`, creating it and its tables when missing.
  explicit DataObjectStore(const std::string& path);
  ~DataObjectStore();
  DataObjectStore(const DataObjectStore&) = delete;
  DataObjectStore& operator=(const DataObjectStore&) = delete;

  // Stores `object` under its key, replacing what was stored there.
  template <class T>
  void save(const T& object) {
    putRow(rowOf(object.getDataObjectId()), archiveOf(object));
  }
  // Replaces `object` with the one stored under `id`, as stored: base fields zero, no loader,
  // no cached options. False, `object` untouched, when nothing is stored there; a stored archive
  // that does not read leaves `object` untouched too.
  template <class T>
  bool load(const typename T::Id& id, T& object) {
    std::string bytes;
    if (!getRow(rowOf(id), bytes)) return false;
    Archive input(bytes);
    T stored;
    input >> stored;
    object = stored;
    return true;
  }

  // Stores the measurement with its details apart (see above); the argument is not changed.
  // Details that the measurement holds go under a new reference. Details it does not hold stay
  // where they are when this store holds them for its key; otherwise they are fetched through
  // the measurement's own loader first. Details the key owned before and no longer uses are
  // deleted. A measurement has no details when it holds none and its reference is -1: setting
  // the empty text leaves the reference, and with it the stored details, in place.
  void save(const MeasurementDataDO& measurement);
  // As the template, and installs loadDetails as the measurement's loader.
  bool load(const MeasurementDataDO::Id& id, MeasurementDataDO& measurement);

  // The loader of the measurements read by load(): the compressed details stored under
  // `reference` in the store serving the calling thread. Throws StoreError when the thread has
  // no store or the store has nothing under `reference`.
  static std::vector<unsigned char> loadDetails(long long reference);
  // How many details loadDetails() has read from this store.
  std::size_t detailsReads() const { return detailsReads_; }

 private:
  struct Row {
    std::string className;
    std::string key;
    std::string label;
  };

  template <class Id>
  static Row rowOf(const Id& id) {
    Archive key;
    key << id;
    const std::string label = id.ToString();
    return {label.substr(0, label.find('[')), key.str(), label};
  }
  template <class T>
  static std::string archiveOf(const T& object) {
    Archive archive;
    archive << object;
    return archive.str();
  }

  void putRow(const Row& row, const std::string& archive);
  bool getRow(const Row& row, std::string& archive);
  bool ownsDetails(const std::string& owner, long long reference);
  long long insertDetails(const std::string& owner, const std::vector<unsigned char>& compressed);
  void deleteDetailsExcept(const std::string& owner, long long reference);

  sqlite3* db_ = nullptr;
  std::size_t detailsReads_ = 0;
};

#endif  // EXAMPLES_SQLITE_STORE_DATAOBJECTSTORE_H
