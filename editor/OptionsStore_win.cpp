#include "editor/OptionsStore.h"

#include <shlobj.h>
#include <windows.h>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/WinHelpers.h"

namespace orbiform {

Date CurrentDate() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return Date{now.wYear, now.wMonth,  now.wDayOfWeek, now.wDay,
              now.wHour, now.wMinute, now.wSecond,    now.wMilliseconds};
}

std::wstring OptionsFilePath() {
  wchar_t folder[MAX_PATH] = {};
  const HRESULT result = ::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                            SHGFP_TYPE_CURRENT, folder);
  if (FAILED(result)) throw mwstd::file_io_error(mwWinAPI::GetLastErrorS(static_cast<DWORD>(result)));
  std::wstring path = folder;
  for (const wchar_t* part : {L"\\mwTools", L"\\Orbiform"}) {
    path += part;
    if (!::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      throw mwstd::file_io_error(mwWinAPI::GetLastErrorS());
    }
  }
  return path + L"\\options.xml";
}

bool LoadOptions(Options& options, const std::wstring& path) {
  return ParseOptions(mwWinAPI::ReadFileBytes(path), options, CurrentDate());
}

void SaveOptions(const Options& options, const std::wstring& path) {
  mwWinAPI::WriteUtf8FileReplacing(path, OptionsFileText(options));
}

}  // namespace orbiform
