/// @file
/// ExceptionFactory, which builds every exception of the library from its throw site. It is
/// defined with the other platform services; this header is where applications find it beside
/// the codec's exceptions.
#ifndef LIBS_UTILITIES_ARCHIVE_EXCEPTIONFACTORY_H
#define LIBS_UTILITIES_ARCHIVE_EXCEPTIONFACTORY_H

#include "platform/ExceptionFactory.h"

#endif  // LIBS_UTILITIES_ARCHIVE_EXCEPTIONFACTORY_H
