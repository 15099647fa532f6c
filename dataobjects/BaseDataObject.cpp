#include "dataobjects/BaseDataObject.h"

BaseDataObject::~BaseDataObject() = default;
