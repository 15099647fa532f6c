#include "DataObjectStore.h"

#include <sqlite3.h>

#include <string>
#include <vector>

namespace {

// References are never reused (AUTOINCREMENT): a measurement read before its details were
// replaced still holds the old reference, and must not fetch someone else's details with it.
const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS objects (class TEXT NOT NULL, key BLOB NOT NULL,"
    "  label TEXT NOT NULL, archive BLOB NOT NULL, PRIMARY KEY (class, key)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS details (reference INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  owner BLOB NOT NULL, compressed BLOB NOT NULL);"
    "CREATE INDEX IF NOT EXISTS details_owner ON details (owner);";

// The store that serves loadDetails() on this thread: the first one opened on it.
thread_local DataObjectStore* t_detailsStore = nullptr;

[[noreturn]] void fail(sqlite3* db, const std::string& what) {
  throw StoreError(what + ": " + sqlite3_errmsg(db));
}

void execute(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(db, sql);
}

// One prepared statement. Parameters count from 1, result columns from 0.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) fail(db, sql);
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& integer(int index, long long value) {
    return check(sqlite3_bind_int64(statement_, index, value));
  }
  Statement& text(int index, const std::string& value) {
    return check(sqlite3_bind_text64(statement_, index, value.data(),
                                     static_cast<sqlite3_uint64>(value.size()), SQLITE_TRANSIENT,
                                     SQLITE_UTF8));
  }
  // An empty blob is bound as a zero-length blob, not as NULL.
  Statement& blob(int index, const void* data, std::size_t size) {
    return check(sqlite3_bind_blob64(statement_, index, size == 0 ? "" : data,
                                     static_cast<sqlite3_uint64>(size), SQLITE_TRANSIENT));
  }
  Statement& blob(int index, const std::string& bytes) {
    return blob(index, bytes.data(), bytes.size());
  }

  // True when a result row is ready, false when the statement has finished.
  bool step() {
    const int result = sqlite3_step(statement_);
    if (result != SQLITE_ROW && result != SQLITE_DONE) fail(db_, sqlite3_sql(statement_));
    return result == SQLITE_ROW;
  }
  template <class Bytes>
  Bytes columnBlob(int column) const {
    const auto* data = static_cast<const unsigned char*>(sqlite3_column_blob(statement_, column));
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement_, column));
    return data == nullptr ? Bytes() : Bytes(data, data + size);
  }

 private:
  Statement& check(int result) {
    if (result != SQLITE_OK) fail(db_, sqlite3_sql(statement_));
    return *this;
  }

  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

// Rolls back unless committed.
class Transaction {
 public:
  explicit Transaction(sqlite3* db) : db_(db) { execute(db_, "BEGIN IMMEDIATE"); }
  ~Transaction() {
    if (db_ != nullptr) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void commit() {
    execute(db_, "COMMIT");
    db_ = nullptr;
  }

 private:
  sqlite3* db_;
};

}  // namespace

DataObjectStore::DataObjectStore(const std::string& path) {
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    const std::string reason = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw StoreError("cannot open " + path + ": " + reason);
  }
  try {
    // Stores of other threads may hold the write lock on the same file for a while.
    sqlite3_busy_timeout(db_, 5000);
    execute(db_, kSchema);
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
  if (t_detailsStore == nullptr) t_detailsStore = this;
}

DataObjectStore::~DataObjectStore() {
  if (t_detailsStore == this) t_detailsStore = nullptr;
  sqlite3_close(db_);
}

void DataObjectStore::save(const MeasurementDataDO& measurement) {
  MeasurementDataDO row(measurement);
  // Without a loader, writing the row cannot fetch details into its archive.
  row.externalReferenceLoader = nullptr;
  const Row key = rowOf(row.getDataObjectId());
  Transaction transaction(db_);

  std::vector<unsigned char> details = row.getCompressedMeasurementDataDetails();
  long long reference = row.getExternalReferenceMeasurementDataDetails();
  if (details.empty() && reference != -1 && !ownsDetails(key.key, reference)) {
    // Held elsewhere: the getter fetches them through the measurement's loader and keeps them.
    MeasurementDataDO source(measurement);
    source.getMeasurementDataDetails();
    details = source.getCompressedMeasurementDataDetails();
    reference = -1;
  }
  if (!details.empty()) reference = insertDetails(key.key, details);
  row.setCompressedMeasurementDataDetails({});
  row.SetExternalReferenceMeasurementDataDetails(reference);
  deleteDetailsExcept(key.key, reference);
  putRow(key, archiveOf(row));
  transaction.commit();
}

bool DataObjectStore::load(const MeasurementDataDO::Id& id, MeasurementDataDO& measurement) {
  if (!load<MeasurementDataDO>(id, measurement)) return false;
  measurement.externalReferenceLoader = &DataObjectStore::loadDetails;
  return true;
}

std::vector<unsigned char> DataObjectStore::loadDetails(long long reference) {
  DataObjectStore* store = t_detailsStore;
  if (store == nullptr) {
    throw StoreError("no DataObjectStore is open on this thread to load the details " +
                     std::to_string(reference));
  }
  Statement select(store->db_, "SELECT compressed FROM details WHERE reference = ?");
  select.integer(1, reference);
  if (!select.step()) {
    throw StoreError("no details are stored under the reference " + std::to_string(reference));
  }
  ++store->detailsReads_;
  return select.columnBlob<std::vector<unsigned char>>(0);
}

void DataObjectStore::putRow(const Row& row, const std::string& archive) {
  Statement insert(db_,
                   "INSERT OR REPLACE INTO objects (class, key, label, archive)"
                   " VALUES (?, ?, ?, ?)");
  insert.text(1, row.className).blob(2, row.key).text(3, row.label).blob(4, archive).step();
}

bool DataObjectStore::getRow(const Row& row, std::string& archive) {
  Statement select(db_, "SELECT archive FROM objects WHERE class = ? AND key = ?");
  select.text(1, row.className).blob(2, row.key);
  if (!select.step()) return false;
  archive = select.columnBlob<std::string>(0);
  return true;
}

bool DataObjectStore::ownsDetails(const std::string& owner, long long reference) {
  Statement select(db_, "SELECT 1 FROM details WHERE reference = ? AND owner = ?");
  return select.integer(1, reference).blob(2, owner).step();
}

long long DataObjectStore::insertDetails(const std::string& owner,
                                         const std::vector<unsigned char>& compressed) {
  Statement insert(db_, "INSERT INTO details (owner, compressed) VALUES (?, ?)");
  insert.blob(1, owner).blob(2, compressed.data(), compressed.size()).step();
  return static_cast<long long>(sqlite3_last_insert_rowid(db_));
}

void DataObjectStore::deleteDetailsExcept(const std::string& owner, long long reference) {
  Statement remove(db_, "DELETE FROM details WHERE owner = ? AND reference != ?");
  remove.blob(1, owner).integer(2, reference).step();
}
