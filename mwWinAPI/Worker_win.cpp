#include "mwWinAPI/Worker.h"

#include <system_error>
#include <thread>

#include "mwWinAPI/ErrorText.h"
#include "mwWinAPI/Utf.h"

namespace mwWinAPI {

UniqueHandle StartThread(std::function<void()> body) {
  UniqueHandle ended(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE copy = nullptr;
  if (!ended || !::DuplicateHandle(::GetCurrentProcess(), ended.Get(), ::GetCurrentProcess(), &copy, 0, FALSE,
                                   DUPLICATE_SAME_ACCESS))
    throw mwstd::runtime_error(GetLastErrorS());
  // The thread sets its own copy, so the caller may close the event early.
  auto signal = std::make_shared<UniqueHandle>(copy);
  try {
    std::thread([job = std::move(body), signal]() mutable {
      try {
        job();
      } catch (...) {
        // Nothing may leave a thread; RunOnWorker's body hands every failure on.
      }
      job = nullptr;  // what the job holds goes before a waiter goes on
      ::SetEvent(signal->Get());
    }).detach();
  } catch (const std::system_error& error) {
    throw mwstd::runtime_error(FromUtf8(error.what()));
  }
  return ended;
}

}  // namespace mwWinAPI
