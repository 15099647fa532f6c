/// @file
/// DataObjectException: thrown by the data objects themselves (a null field read, details that
/// cannot be decompressed). Its name is "DataObjectException".
#ifndef LIBS_UTILITIES_ARCHIVE_DATAOBJECTEXCEPTION_H
#define LIBS_UTILITIES_ARCHIVE_DATAOBJECTEXCEPTION_H

#include "platform/Export.h"
#include "platform/TesmiraException.h"

class DATAOBJECTS_DATA_API DataObjectException : public TesmiraException {
 public:
  DataObjectException();
  ~DataObjectException() override;
  TesmiraException* clone() const override;
};

#endif  // LIBS_UTILITIES_ARCHIVE_DATAOBJECTEXCEPTION_H
