#include "mwWinAPI/Worker.h"

#include <process.h>

#include <memory>

#include "mwWinAPI/ErrorText.h"

namespace mwWinAPI::detail {
namespace {

unsigned __stdcall ThreadMain(void* argument) {
  const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
  try {
    (*body)();
  } catch (...) {
    // Nothing may leave a thread; RunOnWorker's body hands every failure on.
  }
  return 0;
}

}  // namespace

UniqueHandle StartThread(std::function<void()> body) {
  auto argument = std::make_unique<std::function<void()>>(std::move(body));
  // _beginthreadex rather than CreateThread: the thread uses the C runtime.
  const uintptr_t thread = ::_beginthreadex(nullptr, 0, &ThreadMain, argument.get(), 0, nullptr);
  if (thread == 0) throw mwstd::runtime_error(GetLastErrorS());
  argument.release();  // the thread owns it now
  return UniqueHandle(reinterpret_cast<HANDLE>(thread));
}

}  // namespace mwWinAPI::detail
