// Timing of the editor under Wine: Open of the largest project until the 3D
// view has drawn its first frame, and how long the window keeps messages
// waiting while a file loads and while an update check runs. Medians of
// repeated runs; needs a display (Xvfb will do).
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

}  // namespace

int main() {
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

  HWND active = nullptr;
  MainWindow window(&active);
  window.CreateMain(instance, folder + L"editor_timing_options.xml");
  ::ShowWindow(window.Handle(), SW_SHOWNORMAL);
  ::SetWindowPos(window.Handle(), nullptr, 0, 0, 1200, 800, SWP_NOZORDER);
  Pump();
  // As the program does at start-up.
  const double prepare = MedianMilliseconds([&] { window.View().PrepareDevice(); }, 1);
  std::printf("The 3D device made at start-up: %.1f ms\n", prepare);

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

  // A selection in the tree of that object: plain 1, then its first point.
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
  ::DestroyWindow(window.Handle());
  Pump();
  ::DeleteFileW(project.c_str());
  return 0;
}
