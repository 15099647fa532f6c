/// @file
/// TesmiraException: the base of every exception of the platform. It carries a name, a formatted
/// reason, the source file and line of the throw site and, optionally, a root cause of its own.
#ifndef PLATFORM_TESMIRAEXCEPTION_H
#define PLATFORM_TESMIRAEXCEPTION_H

#include <cstdarg>
#include <exception>
#include <memory>
#include <string>

#include "platform/Export.h"

class DATAOBJECTS_DATA_API TesmiraException : public std::exception {
 public:
  explicit TesmiraException(const char* name);
  /// Deep copy: the root cause is cloned, never shared.
  TesmiraException(const TesmiraException& other);
  TesmiraException& operator=(const TesmiraException& other);
  ~TesmiraException() override;

  /// One line "Name: reason [file:line]", then, on the next line, the root cause's own what().
  const char* what() const noexcept override;
  /// A heap copy of the most derived exception, owned by the caller.
  virtual TesmiraException* clone() const;

  void setFile(const char* file);
  void setLine(int line);
  /// Keeps a copy of the cause made through its clone(), so the cause may die with its handler.
  void setRootCause(const TesmiraException& rootCause);
  /// Formats the reason from a printf-style format and its arguments.
  void fillInArgumentString(const char* format, va_list args);

  const char* getName() const { return name_.c_str(); }
  const char* Reason() const { return reason_.c_str(); }
  const char* getFile() const { return file_.c_str(); }
  int getLine() const { return line_; }
  /// Null when there is no root cause.
  const TesmiraException* getRootCause() const { return rootCause_.get(); }

 private:
  DATAOBJECTS_DATA_LOCAL void updateWhat();

  std::string name_;
  std::string reason_;
  std::string file_;
  int line_ = 0;
  std::unique_ptr<TesmiraException> rootCause_;
  std::string what_;
};

#endif  // PLATFORM_TESMIRAEXCEPTION_H
