/// @file
/// ExceptionFactory: one throw site (a source file name and a line) that builds the exception
/// to throw. Every exception of the library is built this way:
///
/// @code
///   throw ExceptionFactory("JobDataDO", 42).createException<DataObjectException>("bad %s", what);
/// @endcode
#ifndef PLATFORM_EXCEPTIONFACTORY_H
#define PLATFORM_EXCEPTIONFACTORY_H

#include <cstdarg>

#include "platform/TesmiraException.h"

class ExceptionFactory {
 public:
  /// `file` must point to a string with static storage; it is not copied until an exception is
  /// built.
  ExceptionFactory(const char* file, int line) : file_(file), line_(line) {}

  /// A T with this site's file and line and the reason formatted from `format` and its arguments.
  template <class T>
  T createException(const char* format, ...) const {
    T exception;
    exception.setFile(file_);
    exception.setLine(line_);
    va_list args;
    va_start(args, format);
    fill(exception, format, args);
    va_end(args);
    return exception;
  }

  /// As above, with a copy of `rootCause` attached before the reason is formatted.
  template <class T>
  T createException(const TesmiraException& rootCause, const char* format, ...) const {
    T exception;
    exception.setFile(file_);
    exception.setLine(line_);
    exception.setRootCause(rootCause);
    va_list args;
    va_start(args, format);
    fill(exception, format, args);
    va_end(args);
    return exception;
  }

 private:
  /// Keeps va_end on every path: a throwing formatter must not skip it.
  static void fill(TesmiraException& exception, const char* format, va_list args) {
    exception.fillInArgumentString(format, args);
  }

  const char* file_;
  int line_;
};

#endif  // PLATFORM_EXCEPTIONFACTORY_H
