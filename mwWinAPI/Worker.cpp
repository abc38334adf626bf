#include "Worker.h"

#include <system_error>
#include <thread>

namespace mwWinAPI::detail {

void StartThread(std::function<void()> body) {
  try {
    std::thread([body = std::move(body)] {
      try {
        body();
      } catch (...) {
        // Nothing may leave a thread; body already hands every failure on.
      }
    }).detach();
  } catch (const std::system_error&) {
    throw mwstd::runtime_error(L"The worker thread could not be started");
  }
}

}  // namespace mwWinAPI::detail
