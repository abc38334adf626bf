#pragma once
// Exception tree shared by every program. Messages are wide strings so that
// texts from the string tables reach message boxes unchanged. What the user
// is told of a failure is an mwstd exception's text; the standard library's
// own exceptions (bad_alloc, the model's plain checks) reach the user only
// through CurrentErrorText, the one place that maps both.
#include <string>

namespace mwstd {

class exception {
 public:
  explicit exception(const std::wstring& message) : message_(message) {}
  exception(const exception&) = default;
  exception& operator=(const exception&) = default;
  virtual const std::wstring& what() const noexcept { return message_; }
  virtual ~exception() = default;

 private:
  std::wstring message_;
};

class logic_error : public exception {
 public:
  using exception::exception;
};
class invalid_argument : public logic_error {
 public:
  using logic_error::logic_error;
};
class out_of_range : public logic_error {
 public:
  using logic_error::logic_error;
};
class runtime_error : public exception {
 public:
  using exception::exception;
};
class file_io_error : public runtime_error {
 public:
  using runtime_error::runtime_error;
};
class internet_error : public runtime_error {
 public:
  using runtime_error::runtime_error;
};

// The text of the exception being handled: an mwstd exception's own, a
// standard exception's UTF-8 text widened, else `unknown`. Only inside a
// catch block; throws nothing.
std::wstring CurrentErrorText(const std::wstring& unknown = std::wstring());

}  // namespace mwstd
