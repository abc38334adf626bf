// Stand-in for a program that MiniSwap or the updater starts: appends its
// command line (UTF-8, one line per start) to "args.log" beside itself.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t own[MAX_PATH * 2] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, own, MAX_PATH * 2);
  std::wstring path(own, length);
  path = path.substr(0, path.find_last_of(L'\\') + 1) + L"args.log";
  const std::wstring line = std::wstring(::GetCommandLineW()) + L"\n";
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(bytes, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &text[0], bytes, nullptr, nullptr);
  text.pop_back();  // the terminating zero
  const HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
  return 0;
}
