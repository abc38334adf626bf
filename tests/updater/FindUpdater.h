#pragma once
// The updater's main window in another process, found by its class.
#include <windows.h>

#include <string>

namespace updatertest {

namespace detail {
struct UpdaterSearch {
  DWORD pid;
  HWND found;
};
// A named callback: a lambda has no stdcall conversion in 32-bit builds.
inline BOOL CALLBACK MatchUpdater(HWND w, LPARAM p) {
  auto& s = *reinterpret_cast<UpdaterSearch*>(p);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(w, &owner);
  wchar_t name[64] = {};
  ::GetClassNameW(w, name, 64);
  if (owner == s.pid && std::wstring(name) == L"QZ7UpdaterClass") s.found = w;
  return s.found == nullptr;
}
}  // namespace detail

// The top-level updater window of process `pid`, or null.
inline HWND FindUpdaterWindow(DWORD pid) {
  detail::UpdaterSearch search{pid, nullptr};
  ::EnumWindows(detail::MatchUpdater, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace updatertest
