// Timing of the editor under Wine: the program started on a project until
// its 3D view has drawn the first frame; Open of the largest project until
// the first frame; and how long the window keeps messages waiting while a
// file loads and while an update check runs. Medians of repeated runs; needs
// a display (Xvfb will do).
//   orbiform_editor_timing [PROJECT.ek7mobj ...]   more projects to start on
#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <commctrl.h>
#include "bench/BenchObjects.h"
#include "bench/Median.h"

#include "editor/MainWindow.h"
#include "editor/PrivateMessages.h"
#include "editor/res/resource.h"
#include "files/ProjectFile.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/UserInteraction.h"
#include "mwWinAPI/Utf.h"
#include "tests/net/Loopback.h"

using namespace orbiform;
using orbiform::bench::MedianMilliseconds;

namespace {

void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// The longest time a message waited in the window's queue while `work` ran
// on the window's thread: a probe thread posts one message at a time, 5 ms
// after the last was handled, stamped with its posting time.
double LongestWait(HWND window, const std::function<bool()>& stepUntilDone) {
  using Clock = std::chrono::steady_clock;
  constexpr UINT kProbe = WM_APP + 99;
  std::atomic<bool> stop{false}, handled{true};
  std::atomic<Clock::rep> posted{Clock::now().time_since_epoch().count()};
  std::thread probe([&] {
    while (!stop) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (!handled.exchange(false)) {
        handled = false;
        continue;
      }
      posted = Clock::now().time_since_epoch().count();
      if (!::PostMessageW(window, kProbe, 0, 0)) handled = true;
    }
  });
  double longest = 0, slowest = 0;
  UINT slowestMessage = 0;
  while (!stepUntilDone()) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == kProbe) {
        const auto waited = Clock::now() - Clock::time_point(Clock::duration(posted.load()));
        longest = std::max(longest, std::chrono::duration<double, std::milli>(waited).count());
        handled = true;
        continue;
      }
      const auto before = Clock::now();
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
      const double took = std::chrono::duration<double, std::milli>(Clock::now() - before).count();
      if (took > slowest) {
        slowest = took;
        slowestMessage = msg.message;
      }
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  std::printf("  (the longest message: 0x%04X, %.1f ms)\n", slowestMessage, slowest);
  stop = true;
  probe.join();
  MSG stale;
  while (::PeekMessageW(&stale, window, kProbe, kProbe, PM_REMOVE)) {
  }
  return longest;
}

struct FindRender {
  HWND found = nullptr;
};

BOOL CALLBACK MatchRender(HWND window, LPARAM data) {
  wchar_t type[64] = {};
  ::GetClassNameW(window, type, 64);
  if (std::wstring(type) != L"Render_WNDCLASS") return TRUE;
  reinterpret_cast<FindRender*>(data)->found = window;
  return FALSE;
}

struct FindMain {
  DWORD process = 0;
  HWND found = nullptr;
};

BOOL CALLBACK MatchMain(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<FindMain*>(data);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  wchar_t type[64] = {};
  ::GetClassNameW(window, type, 64);
  if (process != search.process || std::wstring(type) != L"OrbiformMain_WNDCLASS") return TRUE;
  search.found = window;
  return FALSE;
}

// The editor program started on `project`, from process creation until its
// 3D view has drawn the object: the title names the file, the window takes
// input again (the view is made), and a paint of the 3D window has returned.
// The program is closed afterwards. -1 when it did not get there in 60 s.
double StartToFirstFrame(const std::wstring& editor, const std::wstring& project) {
  std::wstring command = L"\"" + editor + L"\" \"" + project + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const auto start = std::chrono::steady_clock::now();
  if (!::CreateProcessW(editor.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return -1;
  std::wstring name = project.substr(project.find_last_of(L"\\/") + 1);
  name = name.substr(0, name.find(L'.'));
  double took = -1;
  FindMain main{process.dwProcessId};
  for (int i = 0; i < 12000 && took < 0; ++i) {
    if (!main.found) ::EnumWindows(MatchMain, reinterpret_cast<LPARAM>(&main));
    wchar_t title[256] = {};
    if (main.found) ::GetWindowTextW(main.found, title, 256);
    if (main.found && std::wstring(title).find(name) != std::wstring::npos) {
      // The handler that set the title has returned once this is answered.
      ::SendMessageTimeoutW(main.found, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
      if (::IsWindowEnabled(main.found)) {
        FindRender render;
        ::EnumChildWindows(main.found, MatchRender, reinterpret_cast<LPARAM>(&render));
        if (render.found) {
          ::UpdateWindow(render.found);
          took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        }
      }
    }
    if (took < 0) ::Sleep(5);
  }
  if (main.found) ::PostMessageW(main.found, WM_CLOSE, 0, 0);
  if (::WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
    ::TerminateProcess(process.hProcess, 1);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return took;
}

// Starts of the editor on each project: the median and the range of 5.
void ReportStarts(const std::vector<std::wstring>& projects) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring editor = self;
  editor = editor.substr(0, editor.find_last_of(L'\\'));
  editor = editor.substr(0, editor.find_last_of(L'\\')) + L"\\editor\\Orbiform2.exe";
  if (::GetFileAttributesW(editor.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::printf("The editor program is not beside the harness: no start figures\n");
    return;
  }
  // Options in place: a first start would open the options dialog.
  wchar_t data[MAX_PATH] = {};
  if (::GetEnvironmentVariableW(L"ProgramData", data, MAX_PATH)) {
    const std::wstring folder = std::wstring(data) + L"\\mwTools\\Orbiform";
    const std::wstring options = folder + L"\\options.xml";
    if (::GetFileAttributesW(options.c_str()) == INVALID_FILE_ATTRIBUTES) {
      ::CreateDirectoryW((std::wstring(data) + L"\\mwTools").c_str(), nullptr);
      ::CreateDirectoryW(folder.c_str(), nullptr);
      mwWinAPI::WriteUtf8FileReplacing(
          options,
          L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<QZ7OPTIONS>\r\n<Updates "
          L"HowOften=\"0\" LastSearch=\"1.1.2026\" IncludeBetaUpdates=\"0\"/>\r\n</QZ7OPTIONS>");
    }
  }
  for (const std::wstring& project : projects) {
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) runs.push_back(StartToFirstFrame(editor, project));
    std::sort(runs.begin(), runs.end());
    if (runs.front() < 0) {
      std::printf("The editor did not show %ls\n", project.c_str());
      continue;
    }
    std::printf("The editor started on %ls until its first frame: %.0f ms (median; %.0f-%.0f ms)\n",
                project.c_str(), runs[2], runs.front(), runs.back());
  }
}

// Open of the largest project to its first frame, and its parts.
void ReportOpen(MainWindow& window, const std::wstring& project) {
  double loaded = 0, frame = 0;
  const double open = MedianMilliseconds(
      [&] {
        const auto start = std::chrono::steady_clock::now();
        ::SendMessageW(window.Handle(), WM_COMMAND, IDM_OPEN, reinterpret_cast<LPARAM>(project.c_str()));
        while (window.Loading()) {
          Pump();
          ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
        const auto shown = std::chrono::steady_clock::now();
        ::UpdateWindow(window.View().RenderHandle());  // the first frame
        loaded = std::chrono::duration<double, std::milli>(shown - start).count();
        frame = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - shown).count();
      },
      9);
  std::printf("Open of the largest project (5000 points, 20 layers) to the first frame: %.1f ms (median)\n",
              open);
  std::printf("  the last run: %.1f ms until the object was in place, %.1f ms for the first frame\n", loaded,
              frame);
  // Its parts: reading and parsing, the tree, the view (device and geometry).
  const double parse = MedianMilliseconds(
      [&] {
        std::unique_ptr<RoundObject> slot;
        ParseProject(mwWinAPI::ReadFileBytes(project), slot);
      },
      9);
  const double tree =
      MedianMilliseconds([&] { ::SendMessageW(window.Tree().Handle(), TWM_REFRESH, 0, 0); }, 9);
  const double view = MedianMilliseconds([&] { window.View().NewView(L""); }, 5);
  const double refresh = MedianMilliseconds([&] { window.View().RefreshView(); }, 9);
  std::printf("  of which: read and parse %.1f ms, tree %.1f ms, new view %.1f ms (its refresh %.1f ms)\n",
              parse, tree, view, refresh);
}

// A selection in the tree of that object: plain 1, then its first point.
void ReportSelection(MainWindow& window) {
  HWND treeControl = window.Tree().Tree();
  HTREEITEM plain = TreeView_GetChild(treeControl, TreeView_GetRoot(treeControl));
  TreeView_Expand(treeControl, plain, TVE_EXPAND);
  HTREEITEM point = TreeView_GetChild(treeControl, plain);
  bool onPoint = false;
  const double select = MedianMilliseconds([&] {
    TreeView_SelectItem(treeControl, onPoint ? plain : point);
    onPoint = !onPoint;
  });
  std::printf("A selection change in its tree (plain and point, with the point dialog): %.2f ms (median)\n",
              select);
}

// The longest a message waits while a file opens and while an update
// check waits for a server that never answers.
void ReportWaits(MainWindow& window, const std::wstring& project) {
  const double loadWait = LongestWait(window.Handle(), [&, started = false]() mutable {
    if (started) return !window.Loading();
    ::SendMessageW(window.Handle(), WM_COMMAND, IDM_OPEN, reinterpret_cast<LPARAM>(project.c_str()));
    started = true;
    return false;
  });
  std::printf("Longest wait of a message while that file opened: %.1f ms\n", loadWait);

  // An update check against a local server that never answers: the window
  // must go on handling messages while it waits.
  const testnet::LoopbackListener silent(4);  // never accepts
  const std::string url = "http://127.0.0.1:" + std::to_string(silent.Port()) + "/";
  _putenv_s("ORBIFORM_SERVICE_URL", url.c_str());
  const auto start = std::chrono::steady_clock::now();
  ::PostMessageW(window.Handle(), TWM_SEARCH_UPDATES, 1, 0);
  const double checkWait = LongestWait(
      window.Handle(), [&] { return std::chrono::steady_clock::now() - start > std::chrono::seconds(2); });
  std::printf("Longest wait of a message during 2 s of an update check: %.1f ms\n", checkWait);
}

}  // namespace

int main(int argc, char** argv) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  MainWindow::RegisterClasses(instance);
  mwWinAPI::ScriptedInteraction quiet;  // no box may wait for a user
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = temp;
  const std::wstring project = folder + L"editor_timing.ek7mobj";

  auto largest = BuildLargest(100, 19);
  largest->ApplyTextures();
  mwWinAPI::WriteUtf8FileReplacing(project, ProjectFileText(*largest, L"", project));

  // Whole starts of the program first, while nothing else runs.
  std::vector<std::wstring> starts;
  for (int i = 1; i < argc; ++i) starts.push_back(mwWinAPI::FromUtf8(argv[i]));
  starts.push_back(project);
  ReportStarts(starts);

  HWND active = nullptr;
  MainWindow window(&active);
  window.CreateMain(instance, folder + L"editor_timing_options.xml");
  ::ShowWindow(window.Handle(), SW_SHOWNORMAL);
  ::SetWindowPos(window.Handle(), nullptr, 0, 0, 1200, 800, SWP_NOZORDER);
  Pump();
  // As the program does at start-up.
  const double prepare = MedianMilliseconds([&] { window.View().PrepareDevice(); }, 1);
  std::printf("The 3D device made at start-up: %.1f ms\n", prepare);

  ReportOpen(window, project);
  ReportSelection(window);
  ReportWaits(window, project);
  ::DestroyWindow(window.Handle());
  Pump();
  ::DeleteFileW(project.c_str());
  return 0;
}
