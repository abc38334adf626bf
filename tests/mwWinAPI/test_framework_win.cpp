// The window framework under Wine: dispatch to the handlers, the one catch
// per window, worker results on the UI thread, scripted prompts, and the
// message loop's routing of a modeless dialog.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <locale>
#include <stdexcept>
#include <string>

#include "mwWinAPI/Dialog.h"
#include "mwWinAPI/Fields.h"
#include "mwWinAPI/NumberFormat.h"
#include "mwWinAPI/UserInteraction.h"
#include "mwWinAPI/WinHelpers.h"
#include "mwWinAPI/Window.h"
#include "mwWinAPI/Worker.h"
#include "tests/mwWinAPI/FrameworkTestIds.h"
#include "tests/mwWinAPI/PumpMessages.h"

using testui::PumpUntil;

namespace {

const wchar_t kClass[] = L"FrameworkTest_WNDCLASS";
constexpr UINT kThrowMwstd = WM_APP + 1, kThrowOther = WM_APP + 2, kWorkDone = WM_APP + 3, kEcho = WM_APP + 4;

HINSTANCE Instance() { return ::GetModuleHandleW(nullptr); }

class TestWindow : public mwWinAPI::Window {
 public:
  TestWindow() : Window(L"MainWindow", true) {}
  bool created = false;
  int workResult = 0;
  DWORD workThread = 0;
  int closeAnswer = 0;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CREATE:
        created = true;
        return 0;
      case kThrowMwstd:
        throw mwstd::invalid_argument(L"bad value");
      case kThrowOther:
        throw std::runtime_error("not ours");
      case kEcho:
        return mwWinAPI::SignedParam(wParam) + 1;
      case kWorkDone:
        return OnWorkDone(lParam);
      case WM_CLOSE:
        return OnClose();
      default:
        return Default(message, wParam, lParam);
    }
  }

 private:
  LRESULT OnWorkDone(LPARAM lParam) {
    workThread = ::GetCurrentThreadId();
    workResult = mwWinAPI::TakeWorkerResult<int>(lParam)->value;
    return 0;
  }
  LRESULT OnClose() {
    closeAnswer = mwWinAPI::Ui().ShowMessage(Handle(), L"Would you like to save the current file?", L"",
                                             MB_YESNOCANCEL | MB_ICONQUESTION);
    if (closeAnswer != IDCANCEL) ::DestroyWindow(Handle());
    return 0;
  }
};

class TestDialog : public mwWinAPI::Dialog {
 public:
  TestDialog() : Dialog(L"AreaDlg Window") {}
  int okCount = 0;
  bool endAtOnce = false;

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM) override {
    switch (message) {
      case WM_INITDIALOG:
        if (endAtOnce) ::PostMessageW(Handle(), WM_COMMAND, IDOK, 0);
        return TRUE;
      case WM_COMMAND:
        return OnCommand(LOWORD(wParam));
      default:
        return FALSE;
    }
  }

 private:
  INT_PTR OnCommand(int id) {
    if (id == IDC_TEST_BUTTON) throw 42;
    if (id != IDOK) return FALSE;
    ++okCount;
    if (endAtOnce) End(7);
    return TRUE;
  }
};

class Framework : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    ASSERT_NE(mwWinAPI::RegisterWindowClass(Instance(), kClass, nullptr,
                                            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr),
              0);
  }
  void SetUp() override {
    try {
      window.Create(Instance(), kClass, L"Framework test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 0, 640,
                    400, nullptr);
    } catch (const mwstd::exception& e) {  // no display: say so rather than "unknown exception"
      FAIL() << "no test window: " << std::string(e.what().begin(), e.what().end());
    }
  }

  mwWinAPI::ScriptedInteraction ui;
  TestWindow window;
};

TEST_F(Framework, HandlersRunAndAThrowBecomesTheCriticalErrorBox) {
  ASSERT_TRUE(window.created);
  const HWND hwnd = window.Handle();
  ::SendMessageW(hwnd, kThrowMwstd, 0, 0);
  ::SendMessageW(hwnd, kThrowOther, 0, 0);
  ASSERT_EQ(ui.prompts.size(), 2u);
  EXPECT_EQ(ui.prompts[0].text, L"Uncatched mwstd-Exeption - MainWindow\nbad value");
  EXPECT_EQ(ui.prompts[1].text, L"Uncatched Exeption - MainWindow");
  for (const auto& box : ui.prompts) {
    EXPECT_EQ(box.caption, L"Critical Error");
    EXPECT_EQ(box.owner, hwnd);
    EXPECT_EQ(box.flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  }
  // The window goes on working, and negative parameters survive 64-bit builds.
  EXPECT_EQ(::SendMessageW(hwnd, kEcho, mwWinAPI::ParamOf(-7), 0), -6);
}

TEST_F(Framework, ScriptedAnswersDriveAPrompt) {
  const HWND hwnd = window.Handle();
  ::SendMessageW(hwnd, WM_CLOSE, 0, 0);  // empty queue: the user cancels
  EXPECT_TRUE(::IsWindow(hwnd));
  ui.boxAnswers.push_back(IDNO);
  ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(window.closeAnswer, IDNO);
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(window.Handle(), nullptr);
  ASSERT_EQ(ui.prompts.size(), 2u);
  EXPECT_EQ(ui.prompts[1].text, L"Would you like to save the current file?");
  EXPECT_EQ(ui.prompts[1].flags, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
}

TEST_F(Framework, WorkerResultsArriveOnTheUiThread) {
  DWORD workerThread = 0;
  mwWinAPI::RunOnWorker<int>(window.Handle(), kWorkDone, 0, [&workerThread] {
    workerThread = ::GetCurrentThreadId();
    return 6 * 7;
  });
  ASSERT_TRUE(PumpUntil([&] { return window.workResult != 0; }));
  EXPECT_EQ(window.workResult, 42);
  EXPECT_EQ(window.workThread, ::GetCurrentThreadId());
  EXPECT_NE(workerThread, ::GetCurrentThreadId());

  // A failing worker's exception reaches the window's catch on the UI thread.
  const mwWinAPI::UniqueHandle failing = mwWinAPI::RunOnWorker<int>(
      window.Handle(), kWorkDone, 0, []() -> int { throw mwstd::file_io_error(L"disk gone"); });
  EXPECT_EQ(::WaitForSingleObject(failing.Get(), 5000), WAIT_OBJECT_0);
  ASSERT_TRUE(PumpUntil([&] { return !ui.prompts.empty(); }));
  EXPECT_EQ(ui.prompts[0].text, L"Uncatched mwstd-Exeption - MainWindow\ndisk gone");
}

TEST_F(Framework, DialogFieldsCatchAndTheMessageLoopRouting) {
  TestDialog dialog;
  dialog.CreateModeless(Instance(), MAKEINTRESOURCEW(IDD_FRAMEWORK_TEST), window.Handle());
  const HWND hwnd = dialog.Handle();
  ASSERT_NE(hwnd, nullptr);

  // Numbers in the global locale; texts beyond the old 1,022-character cut.
  const std::locale previous = std::locale::global(mwWinAPI::GermanNumberLocale());
  mwWinAPI::SetItemNumber(hwnd, IDC_TEST_EDIT, 1024.5);
  const std::wstring shown = mwWinAPI::GetItemText(hwnd, IDC_TEST_EDIT);
  const auto read = mwWinAPI::GetItemNumber(hwnd, IDC_TEST_EDIT);
  std::locale::global(previous);
  EXPECT_EQ(shown, L"1024,5");
  EXPECT_EQ(read, 1024.5);
  const std::wstring longText(3000, L'x');
  mwWinAPI::SetItemText(hwnd, IDC_TEST_EDIT, longText);
  EXPECT_EQ(mwWinAPI::GetItemText(hwnd, IDC_TEST_EDIT), longText);

  ::SendMessageW(hwnd, WM_COMMAND, IDC_TEST_BUTTON, 0);
  ASSERT_EQ(ui.prompts.size(), 1u);
  EXPECT_EQ(ui.prompts[0].text, L"Uncatched Exeption - AreaDlg Window");
  EXPECT_EQ(ui.prompts[0].owner, hwnd);

  // Return in the active modeless dialog's edit field is its default button.
  ::SetFocus(dialog.Item(IDC_TEST_EDIT));
  ::PostMessageW(dialog.Item(IDC_TEST_EDIT), WM_KEYDOWN, VK_RETURN, 1);
  ::PostQuitMessage(5);
  const HWND active = hwnd;
  EXPECT_EQ(mwWinAPI::RunMessageLoop(window.Handle(), nullptr, &active), 5);
  EXPECT_EQ(dialog.okCount, 1);
}

TEST_F(Framework, ModalDialogReturnsItsEndValue) {
  TestDialog dialog;
  dialog.endAtOnce = true;
  EXPECT_EQ(dialog.RunModal(Instance(), MAKEINTRESOURCEW(IDD_FRAMEWORK_TEST), window.Handle()), 7);
  EXPECT_EQ(dialog.okCount, 1);
  EXPECT_EQ(dialog.Handle(), nullptr);
  EXPECT_THROW(dialog.RunModal(Instance(), MAKEINTRESOURCEW(4711), window.Handle()), mwstd::runtime_error);
}

TEST_F(Framework, TreeItemsNestByLevelPerTree) {
  const HWND tree = ::CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 300,
                                      window.Handle(), nullptr, Instance(), nullptr);
  ASSERT_NE(tree, nullptr);
  const auto parent = [tree](HTREEITEM item) { return TreeView_GetParent(tree, item); };
  const HTREEITEM plains = mwWinAPI::AddItemToTree(tree, L"plains", 1, 0, 0);
  const HTREEITEM plain = mwWinAPI::AddItemToTree(tree, L"plain 1", 2, 1, 1);
  const HTREEITEM point = mwWinAPI::AddItemToTree(tree, L"point 1", 3, 2, 2);
  const HTREEITEM layers = mwWinAPI::AddItemToTree(tree, L"texture plaines", 1, 3, 0);
  const HTREEITEM layer = mwWinAPI::AddItemToTree(tree, L"texture plaine 1", 2, 4, 1);
  ASSERT_TRUE(plains && plain && point && layers && layer);
  EXPECT_EQ(parent(plains), nullptr);
  EXPECT_EQ(parent(plain), plains);
  EXPECT_EQ(parent(point), plain);
  EXPECT_EQ(parent(layers), nullptr);
  EXPECT_EQ(parent(layer), layers);
  EXPECT_EQ(TreeView_GetNextSibling(tree, plains), layers);

  // A second tree does not hang its items under the first tree's.
  const HWND other = ::CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD, 0, 0, 10, 10, window.Handle(), nullptr,
                                       Instance(), nullptr);
  const HTREEITEM orphan = mwWinAPI::AddItemToTree(other, L"x", 2, 0, 0);
  ASSERT_NE(orphan, nullptr);
  EXPECT_EQ(TreeView_GetParent(other, orphan), nullptr);
}

}  // namespace
