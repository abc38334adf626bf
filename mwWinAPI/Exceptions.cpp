// The one mapping of both exception families to a text for the user.
#include "mwWinAPI/Exceptions.h"

#include <exception>
#include <stdexcept>

#include "mwWinAPI/Utf.h"

namespace mwstd {

std::wstring CurrentErrorText(const std::wstring& unknown) {
  try {
    throw;
  } catch (const exception& e) {
    return e.what();
  } catch (const std::exception& e) {
    return mwWinAPI::FromUtf8(e.what());
  } catch (...) {
    return unknown;
  }
}

}  // namespace mwstd
