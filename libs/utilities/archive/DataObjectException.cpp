#include "libs/utilities/archive/DataObjectException.h"

DataObjectException::DataObjectException() : TesmiraException("DataObjectException") {}
DataObjectException::~DataObjectException() = default;
TesmiraException* DataObjectException::clone() const {
  return new DataObjectException(*this);
}
