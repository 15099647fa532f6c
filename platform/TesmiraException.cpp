#include "platform/TesmiraException.h"

#include <cstdio>

TesmiraException::TesmiraException(const char* name) : name_(name ? name : "") {
  updateWhat();
}

TesmiraException::TesmiraException(const TesmiraException& other)
    : std::exception(other),
      name_(other.name_),
      reason_(other.reason_),
      file_(other.file_),
      line_(other.line_),
      rootCause_(other.rootCause_ ? other.rootCause_->clone() : nullptr),
      what_(other.what_) {}

TesmiraException& TesmiraException::operator=(const TesmiraException& other) {
  if (this != &other) {
    std::unique_ptr<TesmiraException> cause(other.rootCause_ ? other.rootCause_->clone() : nullptr);
    name_ = other.name_;
    reason_ = other.reason_;
    file_ = other.file_;
    line_ = other.line_;
    rootCause_ = std::move(cause);
    what_ = other.what_;
  }
  return *this;
}

TesmiraException::~TesmiraException() = default;

const char* TesmiraException::what() const noexcept {
  return what_.c_str();
}

TesmiraException* TesmiraException::clone() const {
  return new TesmiraException(*this);
}

void TesmiraException::setFile(const char* file) {
  file_ = file ? file : "";
  updateWhat();
}

void TesmiraException::setLine(int line) {
  line_ = line;
  updateWhat();
}

void TesmiraException::setRootCause(const TesmiraException& rootCause) {
  rootCause_.reset(rootCause.clone());
  updateWhat();
}

void TesmiraException::fillInArgumentString(const char* format, va_list args) {
  if (format == nullptr) {
    reason_.clear();
  } else {
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) {
      reason_.clear();
    } else {
      std::string text(static_cast<std::size_t>(length) + 1, '\0');
      va_list format_args;
      va_copy(format_args, args);
      std::vsnprintf(&text[0], text.size(), format, format_args);
      va_end(format_args);
      text.resize(static_cast<std::size_t>(length));
      reason_ = std::move(text);
    }
  }
  updateWhat();
}

void TesmiraException::updateWhat() {
  what_ = name_ + ": " + reason_ + " [" + file_ + ":" + std::to_string(line_) + "]";
  if (rootCause_) {
    what_ += "\n";
    what_ += rootCause_->what();
  }
}
