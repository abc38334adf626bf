#pragma once
// Background work never touches a window: RunOnWorker runs a function on a
// new thread and posts its result to a window, whose handler takes it with
// TakeWorkerResult on the UI thread. Every thread of the programs starts as a
// std::thread; StartThread adds what a window thread needs to wait for one.
#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <type_traits>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/Handles.h"

namespace mwWinAPI {

template <typename R>
struct WorkerResult {
  std::exception_ptr error;  // what the work threw, if anything
  std::conditional_t<std::is_void_v<R>, bool, R> value{};
};

// Runs `body` on a new, detached std::thread and returns an event that is set
// once `body` has ended, for a caller that waits with a time limit (closing
// it does not stop the thread). Whatever `body` throws ends there. Throws
// mwstd::runtime_error if no thread can be started.
UniqueHandle StartThread(std::function<void()> body);

// Runs `work` on a worker thread; when it ends (returning or throwing, both
// are caught there) posts `message` to `window` with `wParam` and, as lParam,
// a WorkerResult<R>* that the receiver must take with TakeWorkerResult. If
// the window is gone by then the result is dropped. Returns StartThread's
// event. Throws mwstd::runtime_error if the thread cannot be started.
template <typename R>
UniqueHandle RunOnWorker(HWND window, UINT message, WPARAM wParam, std::function<R()> work) {
  return StartThread([window, message, wParam, work = std::move(work)] {
    auto result = std::make_unique<WorkerResult<R>>();
    try {
      if constexpr (std::is_void_v<R>) {
        work();
        result->value = true;
      } else {
        result->value = work();
      }
    } catch (...) {
      result->error = std::current_exception();
    }
    if (::PostMessageW(window, message, wParam, reinterpret_cast<LPARAM>(result.get()))) result.release();
  });
}

// The result that RunOnWorker posted in `lParam`, now owned by the caller.
// Rethrows what the work threw, so that the window's catch reports it.
template <typename R>
std::unique_ptr<WorkerResult<R>> TakeWorkerResult(LPARAM lParam) {
  std::unique_ptr<WorkerResult<R>> result(reinterpret_cast<WorkerResult<R>*>(lParam));
  if (result && result->error) std::rethrow_exception(result->error);
  return result;
}

}  // namespace mwWinAPI
