// The options, object properties, About and feedback dialogs.
#include "editor/EditorDialogs.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "editor/Caption.h"
#include "editor/OptionsStore.h"
#include "editor/UpdateCheck.h"
#include "editor/res/resource.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/FieldTable.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/UserInteraction.h"
#include "mwWinAPI/Utf.h"
#include "mwWinAPI/Worker.h"
#include "product/UpdateService.h"

namespace orbiform {

namespace {

using mwWinAPI::LoadText;
// The feedback worker's answer (lParam: its WorkerResult).
constexpr UINT kFeedbackSent = WM_APP + 1;

HINSTANCE Instance() { return ::GetModuleHandleW(nullptr); }

bool Checked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Check(HWND dialog, int id, bool on) { ::CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

// Long texts (an object's info, feedback) must be typed and pasted in full:
// an edit control takes only about 32,000 characters from the keyboard unless told.
void Unlimit(HWND edit) { ::SendMessageW(edit, EM_SETLIMITTEXT, 0, 0); }

void FillList(HWND combo, std::initializer_list<unsigned> ids, int selected) {
  ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (unsigned id : ids) {
    const std::wstring text = LoadText(id);
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  ::SendMessageW(combo, CB_SETCURSEL, selected, 0);
}

int Selection(HWND combo) { return static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

// Box texts whose first part ends without a blank or colon get a line break
// before the detail, so that the two do not run together.
std::wstring Join(const std::wstring& head, const std::wstring& tail) {
  if (head.empty() || tail.empty() || head.back() == L' ' || head.back() == L'\n' || head.back() == L':')
    return head + tail;
  return head + L"\n" + tail;
}

void ShowFailure(HWND owner, const mwstd::exception& error) {
  mwWinAPI::Ui().ShowMessage(owner, error.what(), kCaption, MB_ICONERROR);
}

}  // namespace

// --- helpers ---

std::wstring FolderOfFirstEntry(const std::wstring& paths) {
  const std::wstring first = paths.substr(0, paths.find(L'|'));
  if (first.find_first_not_of(L' ') == std::wstring::npos) return {};
  const DWORD needed = ::GetFullPathNameW(first.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::vector<wchar_t> full(needed + 1);
  wchar_t* filePart = nullptr;
  const DWORD length = ::GetFullPathNameW(first.c_str(), needed + 1, full.data(), &filePart);
  if (length == 0 || length > needed) return {};
  std::wstring folder = filePart ? std::wstring(full.data(), filePart) : std::wstring(full.data(), length);
  if (folder.empty()) return {};
  if (folder.back() != L'\\') folder += L'\\';
  return folder;
}

std::wstring SimulatorFolderFromRegistry(const wchar_t* key) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return {};
  std::wstring value;
  DWORD type = 0, bytes = 0;
  // The value may grow between the two calls: ask again until it fits.
  LONG result = ERROR_MORE_DATA;
  for (int attempt = 0; attempt < 3 && result == ERROR_MORE_DATA; ++attempt) {
    result = ::RegQueryValueExW(handle, kSimulatorInstallValue, nullptr, &type, nullptr, &bytes);
    if (result != ERROR_SUCCESS) break;
    value.assign(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD capacity = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    result = ::RegQueryValueExW(handle, kSimulatorInstallValue, nullptr, &type,
                                reinterpret_cast<BYTE*>(value.data()), &capacity);
    bytes = capacity;
  }
  ::RegCloseKey(handle);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  // A stored text need not end with a zero; one it has is not part of it.
  value.resize(std::min<std::size_t>(value.size(), bytes / sizeof(wchar_t)));
  value.resize(std::wcslen(value.c_str()));
  return FolderOfFirstEntry(value);
}

int StepsFromText(const std::wstring& text, int current) {
  const std::size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return current;
  const std::size_t last = text.find_last_not_of(L' ');
  long long value = 0;
  for (std::size_t i = first; i <= last; ++i) {
    if (text[i] < L'0' || text[i] > L'9') return current;
    value = std::min<long long>(value * 10 + (text[i] - L'0'), kMaxHistorySteps);
  }
  return static_cast<int>(value);
}

std::wstring VersionLine(const std::wstring& path) {
  const std::wstring version = ReadFileVersion(path);
  if (version.empty()) return L"Version ?";
  std::wstring line = L"Version " + version;
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<unsigned char> block(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (size && ::GetFileVersionInfoW(path.c_str(), 0, size, block.data()) &&
      ::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
      length >= sizeof(VS_FIXEDFILEINFO) && (fixed->dwFileFlags & fixed->dwFileFlagsMask & VS_FF_PRERELEASE))
    line += L" PreRelease";
  return line;
}

// --- options ---

namespace {

using OptionsField = mwWinAPI::FieldBinding<Options>;

// Undo or redo steps: anything but digits keeps the steps there are.
template <int Options::*Steps>
constexpr OptionsField StepsField(int id) {
  return {id,
          [](HWND dialog, int control, const Options& options) {
            mwWinAPI::SetItemText(dialog, control, std::to_wstring(options.*Steps));
          },
          [](HWND dialog, int control, Options& options) {
            options.*Steps = StepsFromText(mwWinAPI::GetItemText(dialog, control), options.*Steps);
          }};
}

const OptionsField kOptionsFields[] = {
    {IDC_OPTIONS_NUMBER_FORMAT,
     [](HWND dialog, int control, const Options& options) {
       FillList(::GetDlgItem(dialog, control), {IDS_FORMAT_CLASSIC, IDS_FORMAT_GERMAN},
                options.numberFormat != 0 ? 1 : 0);
     },
     [](HWND dialog, int control, Options& options) {
       options.numberFormat = Selection(::GetDlgItem(dialog, control)) == 1 ? 1 : 0;
     }},
    mwWinAPI::TextField<&Options::voxtrakPath>(IDC_OPTIONS_SIM_FOLDER),
    StepsField<&Options::undoSteps>(IDC_OPTIONS_UNDO_STEPS),
    StepsField<&Options::redoSteps>(IDC_OPTIONS_REDO_STEPS),
    mwWinAPI::TextField<&Options::defaultAuthor>(IDC_OPTIONS_AUTHOR),
    mwWinAPI::TextField<&Options::defaultInfo>(IDC_OPTIONS_INFO),
    {IDC_OPTIONS_UPDATE_FREQUENCY,
     [](HWND dialog, int control, const Options& options) {
       // The list's order is not the stored values' order of the texts' ids.
       const int frequency =
           options.updateFrequency >= 0 && options.updateFrequency <= 4 ? options.updateFrequency : 0;
       FillList(::GetDlgItem(dialog, control),
                {IDS_UPDATES_NEVER, IDS_UPDATES_EACH_START, IDS_UPDATES_DAILY, IDS_UPDATES_WEEKLY,
                 IDS_UPDATES_MONTHLY},
                frequency);
     },
     [](HWND dialog, int control, Options& options) {
       const int frequency = Selection(::GetDlgItem(dialog, control));
       if (frequency >= 0) options.updateFrequency = frequency;
     }},
    {IDC_OPTIONS_BETA,
     [](HWND dialog, int control, const Options& options) {
       Check(dialog, IDC_OPTIONS_NO_BETA, !options.includeBetaUpdates);
       Check(dialog, control, options.includeBetaUpdates);
     },
     [](HWND dialog, int control, Options& options) {
       options.includeBetaUpdates = Checked(dialog, control);
     }},
};

}  // namespace

OptionsDialog::OptionsDialog(Options& options, std::wstring optionsPath)
    : Dialog(L"Options"), options_(options), optionsPath_(std::move(optionsPath)) {}

INT_PTR OptionsDialog::Run(HWND owner) { return RunModal(Instance(), MAKEINTRESOURCEW(IDD_OPTIONS), owner); }

INT_PTR OptionsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit();
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_OPTIONS_BROWSE:
          OnBrowse();
          return TRUE;
        case IDC_OPTIONS_FROM_REGISTRY:
          OnFromRegistry();
          return TRUE;
        case IDC_OPTIONS_BETA:
          if (HIWORD(wParam) == BN_CLICKED) OnBetaYes();
          return TRUE;
        case IDOK:
          OnOk();
          return TRUE;
        case IDCANCEL:
          End(IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

void OptionsDialog::OnInit() {
  const HWND dialog = Handle();
  Unlimit(Item(IDC_OPTIONS_INFO));
  mwWinAPI::ShowFields(dialog, kOptionsFields, options_);
  mwWinAPI::SetItemText(dialog, IDC_OPTIONS_BETA_TEXT1, LoadText(IDS_BETA_SEARCH_ALSO));
  mwWinAPI::SetItemText(dialog, IDC_OPTIONS_BETA_TEXT2, LoadText(IDS_BETA_UPDATES));
}

void OptionsDialog::OnBrowse() {
  std::wstring folder = mwWinAPI::Ui().BrowseForFolder(Handle(), LoadText(IDS_SIM_FOLDER_MISSING));
  if (folder.empty()) return;
  if (folder.back() != L'\\') folder += L'\\';
  mwWinAPI::SetItemText(Handle(), IDC_OPTIONS_SIM_FOLDER, folder);
}

void OptionsDialog::OnFromRegistry() {
  mwWinAPI::SetItemText(Handle(), IDC_OPTIONS_SIM_FOLDER, SimulatorFolderFromRegistry(registryKey_.c_str()));
}

void OptionsDialog::OnBetaYes() {
  mwWinAPI::Ui().BalloonTip(Item(IDC_OPTIONS_BETA_TEXT2), LoadText(IDS_WARNING), LoadText(IDS_BETA_WARNING),
                            TTI_WARNING);
}

void OptionsDialog::OnOk() {
  const HWND dialog = Handle();
  mwWinAPI::TakeFields(dialog, kOptionsFields, options_);
  try {
    SaveOptions(options_, optionsPath_);
  } catch (const mwstd::exception& error) {
    // The settings hold for this run; the user must know they will not return.
    mwWinAPI::Ui().ShowMessage(dialog, Join(LoadText(IDS_OPTIONS_NOT_SAVED), error.what()), kCaption,
                               MB_ICONWARNING);
  }
  End(IDOK);
}

// --- object properties ---

PropertiesDialog::PropertiesDialog(RoundObject& object) : Dialog(L"Properties"), object_(object) {}

INT_PTR PropertiesDialog::Run(HWND owner) {
  return RunModal(Instance(), MAKEINTRESOURCEW(IDD_OBJECT_PROPERTIES), owner);
}

INT_PTR PropertiesDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit();
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnOk();
          return TRUE;
        case IDCANCEL:
          End(IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

void PropertiesDialog::OnInit() {
  const HWND dialog = Handle();
  Check(dialog, IDC_PROPERTIES_BASE_AREA, HasBaseFace(object_.GrundDeckFl()));
  Check(dialog, IDC_PROPERTIES_TOP_AREA, HasTopFace(object_.GrundDeckFl()));
  Unlimit(Item(IDC_PROPERTIES_INFO));
  mwWinAPI::SetItemText(dialog, IDC_PROPERTIES_AUTHOR, object_.FileAuthor());
  mwWinAPI::SetItemText(dialog, IDC_PROPERTIES_INFO, object_.FileInfo());
}

void PropertiesDialog::OnOk() {
  const HWND dialog = Handle();
  object_.SetFileAuthor(mwWinAPI::GetItemText(dialog, IDC_PROPERTIES_AUTHOR));
  object_.SetFileInfo(mwWinAPI::GetItemText(dialog, IDC_PROPERTIES_INFO));
  const bool base = Checked(dialog, IDC_PROPERTIES_BASE_AREA), top = Checked(dialog, IDC_PROPERTIES_TOP_AREA);
  object_.SetGrundDeckFl((base ? 1 : 0) | (top ? 2 : 0));
  End(IDOK);
}

// --- About ---

AboutDialog::AboutDialog() : Dialog(L"About") {}

void AboutDialog::Run(HWND owner) { RunModal(Instance(), MAKEINTRESOURCEW(IDD_ABOUT), owner); }

INT_PTR AboutDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit();
      return TRUE;
    case WM_CTLCOLORSTATIC:
      return OnLinkColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
      if (!OnSetCursor(reinterpret_cast<HWND>(wParam))) return FALSE;
      SetMessageResult(TRUE);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_ABOUT_LINK:
          if (HIWORD(wParam) == STN_CLICKED)
            mwWinAPI::Ui().OpenWithShell(Handle(), mwWinAPI::kDefaultServiceAddress, L"", SW_SHOWNORMAL);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          End(IDOK);
          return TRUE;
      }
      break;
    case WM_DESTROY:
      // The link lets go of the font before it is deleted.
      ::SendMessageW(Item(IDC_ABOUT_LINK), WM_SETFONT, 0, FALSE);
      linkFont_.Reset();
      break;
  }
  return FALSE;
}

void AboutDialog::OnInit() {
  wchar_t path[MAX_PATH * 4];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  if (length > 0 && length < MAX_PATH * 4)
    mwWinAPI::SetItemText(Handle(), IDC_ABOUT_VERSION, VersionLine(path));
  // A build that talks to another service says so.
  const std::wstring service = mwWinAPI::ServiceAddressOverride();
  mwWinAPI::SetItemText(Handle(), IDC_ABOUT_BUILD,
                        service.empty() ? L"UNICODE" : L"UNICODE, " + LoadText(IDS_TEST_SERVICE) + service);
  mwWinAPI::SetItemText(Handle(), IDC_ABOUT_LINK, mwWinAPI::kDefaultServiceAddress);

  const auto font = reinterpret_cast<HFONT>(::SendMessageW(Handle(), WM_GETFONT, 0, 0));
  LOGFONTW description = {};
  if (::GetObjectW(font ? font : ::GetStockObject(DEFAULT_GUI_FONT), sizeof description, &description)) {
    description.lfUnderline = TRUE;
    linkFont_.Reset(::CreateFontIndirectW(&description));
    if (linkFont_)
      ::SendMessageW(Item(IDC_ABOUT_LINK), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.Get()), TRUE);
  }
}

INT_PTR AboutDialog::OnLinkColour(HDC dc, HWND control) {
  if (control != Item(IDC_ABOUT_LINK)) return FALSE;
  ::SetTextColor(dc, ::GetSysColor(COLOR_HIGHLIGHT));
  ::SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
}

bool AboutDialog::OnSetCursor(HWND control) {
  if (control != Item(IDC_ABOUT_LINK)) return false;
  ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
  return true;
}

// --- feedback ---

FeedbackDialog::FeedbackDialog() : Dialog(L"Feedback") {}

INT_PTR FeedbackDialog::Run(HWND owner) {
  return RunModal(Instance(), MAKEINTRESOURCEW(IDD_FEEDBACK), owner);
}

INT_PTR FeedbackDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Unlimit(Item(IDC_FEEDBACK_TEXT));
      return TRUE;
    case kFeedbackSent:
      OnSent(lParam);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_FEEDBACK_SEND:
          OnSend();
          return TRUE;
        case IDC_FEEDBACK_CANCEL:
        case IDCANCEL:
          OnClose();
          return TRUE;
      }
      break;
  }
  return FALSE;
}

void FeedbackDialog::OnSend() {
  const std::wstring text = mwWinAPI::GetItemText(Handle(), IDC_FEEDBACK_TEXT);
  if (text.size() <= 5) {
    mwWinAPI::Ui().ShowMessage(Handle(), LoadText(IDS_FEEDBACK_TOO_SHORT), kCaption, MB_OK);
    return;
  }
  // The request carries the text in its address, which the service caps:
  // rather than cut the text silently, the user shortens it.
  if (mwWinAPI::ToUtf8(text).size() > mwWinAPI::kMaxFeedbackBytes) {
    mwWinAPI::Ui().ShowMessage(Handle(), LoadText(IDS_FEEDBACK_TOO_LONG), kCaption, MB_ICONWARNING);
    return;
  }
  // Sent by a worker, so that a slow service never freezes the editor; Send
  // stays disabled until the answer is posted back.
  const std::wstring mail = mwWinAPI::GetItemText(Handle(), IDC_FEEDBACK_MAIL);
  ::EnableWindow(Item(IDC_FEEDBACK_SEND), FALSE);
  try {
    sender_ = mwWinAPI::RunOnWorker<std::wstring>(Handle(), kFeedbackSent, 0,
                                                  [text, mail] { return SendFeedbackRequest(text, mail); });
  } catch (const mwstd::exception& error) {
    ::EnableWindow(Item(IDC_FEEDBACK_SEND), TRUE);
    ShowFeedbackFailure(Handle(), error.what());
  }
}

void FeedbackDialog::OnSent(LPARAM result) {
  const std::wstring failure = mwWinAPI::TakeWorkerResult<std::wstring>(result)->value;
  sender_.Reset();
  if (failure.empty()) {
    End(IDOK);
    return;
  }
  // The box belongs to this dialog: with the main window as its owner, Send
  // could be pressed again while it is up.
  ShowFeedbackFailure(Handle(), failure);
  ::EnableWindow(Item(IDC_FEEDBACK_SEND), TRUE);
}

void FeedbackDialog::OnClose() {
  if (mwWinAPI::GetItemText(Handle(), IDC_FEEDBACK_TEXT).size() > 5 &&
      mwWinAPI::Ui().ShowMessage(Handle(), LoadText(IDS_CLOSE_DIALOG_PROMPT), kCaption, MB_YESNO) != IDYES)
    return;
  End(IDCANCEL);
}

// --- the main window's seam ---

bool RunOptionsDialog(HWND owner, Options& options, const std::wstring& optionsPath) {
  try {
    return OptionsDialog(options, optionsPath).Run(owner) == IDOK;
  } catch (const mwstd::exception& error) {
    ShowFailure(owner, error);
    return false;
  }
}

bool RunPropertiesDialog(HWND owner, RoundObject& object) {
  try {
    return PropertiesDialog(object).Run(owner) == IDOK;
  } catch (const mwstd::exception& error) {
    ShowFailure(owner, error);
    return false;
  }
}

void ShowAbout(HWND owner) {
  try {
    AboutDialog().Run(owner);
  } catch (const mwstd::exception& error) {
    ShowFailure(owner, error);
  }
}

void ShowFeedback(HWND owner) {
  try {
    FeedbackDialog().Run(owner);
  } catch (const mwstd::exception& error) {
    ShowFailure(owner, error);
  }
}

}  // namespace orbiform
