// AsyncInternet and DownloadFile against the update service on 127.0.0.1 (the
// ctest fixture starts it and writes its port to service-run/port), and
// against a stalling socket of the test's own for the cancelling cases.
#include <windows.h>
#include <winsock2.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "mwWinAPI/AsyncInternet.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/Utf.h"
#include "product/UpdateService.h"
#include "tests/net/StallingServer.h"

using namespace mwWinAPI;

namespace {

using testnet::StallingServer;

constexpr UINT kDone = WM_USER + 6;

std::wstring Service() {
  std::ifstream in("service-run/port");
  int port = 0;
  in >> port;
  return L"http://127.0.0.1:" + std::to_wstring(port) + L"/Rodizozarizor/AutoServices/";
}
std::wstring File(const wchar_t* name) { return Service() + L"files.php/stable/2.2.0/" + name + L".file"; }

// A message-only window that receives the completion messages.
class Receiver {
 public:
  Receiver()
      : window_(
            ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
  ~Receiver() { ::DestroyWindow(window_); }
  HWND Window() const { return window_; }
  // wParam of the next completion, or -1 when none comes within `ms`.
  int Wait(DWORD ms = 10000) {
    const DWORD end = ::GetTickCount() + ms;
    for (;;) {
      MSG msg;
      if (::PeekMessageW(&msg, window_, kDone, kDone, PM_REMOVE)) return static_cast<int>(msg.wParam);
      const DWORD now = ::GetTickCount();
      if (static_cast<LONG>(end - now) <= 0) return -1;
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_POSTMESSAGE);
    }
  }

 private:
  HWND window_;
};

// Both phases, waiting for each completion message; the second's wParam.
int Fetch(AsyncInternet& net, Receiver& receiver, const std::wstring& address, int* progress) {
  net.OpenUrl(address, progress);  // completed at once or not, a notice follows
  if (receiver.Wait() != 1) return 0;
  net.StartDownload(progress);
  return receiver.Wait();
}

}  // namespace

TEST(AsyncInternet, BodiesWithAndWithoutContentLength) {
  Receiver receiver;
  AsyncInternet net(kDone, receiver.Window());
  int progress = -1;
  ASSERT_EQ(1, Fetch(net, receiver, File(L"body250.bin"), &progress));
  EXPECT_EQ(100, progress);
  EXPECT_EQ(250u, net.ContentLength());
  EXPECT_EQ(std::string(250, 'a'), net.Data());
  EXPECT_FALSE(net.IsBusy());

  // The service's script replies carry no length; the same object is reused.
  ASSERT_EQ(1, Fetch(net, receiver, Service() + L"get_version.php?product=XKVD", &progress));
  EXPECT_EQ(0u, net.ContentLength());
  VersionReply reply;
  ASSERT_TRUE(ParseVersionReply(
      net.Data(), [](const std::string& b) { return FromUtf8(b); }, reply));
  EXPECT_EQ(L"2.2.0", reply.version);
  EXPECT_EQ(Service() + L"get_version.php?product=XKV&links=true", reply.second);
}

TEST(AsyncInternet, FailedConnectionReportsItsTextOnce) {
  // A port nobody listens on (no lookup of an unknown name: nothing may leave
  // this machine).
  std::wstring closed;
  {
    StallingServer probe("");
    closed = probe.Address();
  }
  Receiver receiver;
  AsyncInternet net(kDone, receiver.Window());
  int progress = 0;
  if (net.OpenUrl(closed, &progress)) FAIL() << "a closed port opened";
  EXPECT_EQ(0, receiver.Wait());
  ASSERT_TRUE(net.IsError());
  const std::wstring first = net.GetLastErrorMessage();
  EXPECT_EQ(GetInternetErrorS(ERROR_INTERNET_CANNOT_CONNECT), first);
  EXPECT_FALSE(net.IsError());
  EXPECT_EQ(GetInternetErrorS(0), net.GetLastErrorMessage());
  EXPECT_THROW(net.StartDownload(&progress), mwstd::internet_error);  // nothing open
}

TEST(AsyncInternet, MisuseThrowsAndAbortEndsOpening) {
  Receiver receiver;
  AsyncInternet net(kDone, receiver.Window());
  try {
    net.StartDownload(nullptr);
    FAIL() << "no address open";
  } catch (const mwstd::internet_error& e) {
    EXPECT_EQ(StringTable().LoadS(IDS_NET_NOT_OPEN), e.what());
    EXPECT_FALSE(e.what().empty());
  }

  StallingServer silent("");  // never answers: the opening stays pending
  int progress = 0;
  ASSERT_FALSE(net.OpenUrl(silent.Address(), &progress));
  EXPECT_THROW(net.OpenUrl(File(L"body250.bin"), nullptr), mwstd::internet_error);
  EXPECT_TRUE(net.IsBusy());
  EXPECT_EQ(-1, receiver.Wait(300));

  net.Abort();
  EXPECT_EQ(1, receiver.Wait());
  EXPECT_FALSE(net.IsBusy());
  EXPECT_THROW(net.StartDownload(nullptr), mwstd::internet_error);      // the aborted open left none
  ASSERT_EQ(1, Fetch(net, receiver, File(L"body250.bin"), &progress));  // and the object works on
  EXPECT_EQ(250u, net.Data().size());
}

TEST(AsyncInternet, AbortWhileReading) {
  // Part of a body, then silence. Wine ends the cut read only when the
  // server lets go of the connection; Windows at once.
  auto stalling = std::make_unique<StallingServer>("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" +
                                                   std::string(1000, 'x'));
  Receiver receiver;
  AsyncInternet net(kDone, receiver.Window());
  int progress = 0;
  net.OpenUrl(stalling->Address(), &progress);
  ASSERT_EQ(1, receiver.Wait());
  ASSERT_FALSE(net.StartDownload(&progress));
  net.Abort();
  EXPECT_FALSE(net.IsBusy());
  stalling.reset();
  EXPECT_EQ(0, receiver.Wait());
  EXPECT_TRUE(net.IsError());
  EXPECT_FALSE(net.Data().size() == 100000);
  net.GetLastErrorMessage();
  EXPECT_EQ(1, Fetch(net, receiver, File(L"body250.bin"), &progress));
  EXPECT_EQ(250u, net.Data().size());
}

TEST(AsyncInternet, EachPhaseWaitsForItsOwnNotice) {
  // A phase that completes at once still sets the event; the next phase
  // must not take that for its own completion.
  HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  {
    AsyncInternet net(event);
    for (int run = 0; run < 5; ++run) {
      int progress = 0;
      net.OpenUrl(File(L"body250.bin"), &progress);
      ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 10000));
      ASSERT_FALSE(net.IsError()) << run;
      if (!net.StartDownload(&progress)) {
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 10000));
      }
      ASSERT_EQ(std::string(250, 'a'), net.Data()) << run;
    }
    // A read given up may complete later (when its server lets go): it
    // reaches neither the event nor the request that follows.
    auto stalling = std::make_unique<StallingServer>("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" +
                                                     std::string(1000, 'x'));
    int progress = 0;
    net.OpenUrl(stalling->Address(), &progress);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 10000));
    ASSERT_FALSE(net.StartDownload(&progress));
    net.Abort();
    net.GetLastErrorMessage();
    net.OpenUrl(File(L"body250.bin"), &progress);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 10000));
    stalling.reset();
    EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(event, 300));
    ASSERT_FALSE(net.IsError());
    if (!net.StartDownload(&progress)) {
      ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 10000));
    }
    EXPECT_FALSE(net.IsError());
    EXPECT_EQ(std::string(250, 'a'), net.Data());
  }
  ::CloseHandle(event);
}

TEST(AsyncInternet, LargeBodyArrivesWholeWithTheEvent) {
  HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  {
    AsyncInternet net(event);
    int progress = 0;
    net.OpenUrl(File(L"large.bin"), &progress);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 10000));
    ASSERT_FALSE(net.IsError());
    if (!net.StartDownload(&progress)) {
      ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 60000));
    }
    ASSERT_FALSE(net.IsError());
    const std::string& data = net.Data();
    ASSERT_EQ(50u << 20, data.size());
    EXPECT_EQ(100, progress);
    // Every 64-byte block starts with its own number: nothing lost or repeated.
    for (std::size_t block = 0; block < data.size() / 64; block += 4099) {
      char expected[9];
      std::snprintf(expected, sizeof(expected), "%08x", static_cast<unsigned>(block));
      ASSERT_EQ(expected, data.substr(block * 64, 8)) << block;
    }
    EXPECT_EQ("000c7fff", data.substr(data.size() - 64, 8));
  }
  ::CloseHandle(event);
}

TEST(AsyncInternet, DestroyedWhileReading) {
  // The owner may go away mid-body (the program closing): the pending read
  // must neither write into freed memory nor call back into the object.
  for (int i = 0; i < 3; ++i) {
    HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    {
      AsyncInternet net(event);
      int progress = 0;
      net.OpenUrl(File(L"large.bin"), &progress);
      ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 10000));
      ASSERT_FALSE(net.IsError()) << ToUtf8(net.GetLastErrorMessage());
      net.StartDownload(&progress);
    }
    ::Sleep(100);  // time for a late callback to strike
    ::CloseHandle(event);
  }
}

TEST(DownloadFile, ReadsStopsAndCarriesTheFeedbackIntact) {
  std::string body;
  EXPECT_EQ(250u, DownloadFile(File(L"body250.bin"), body, nullptr));
  EXPECT_EQ(std::string(250, 'a'), body);

  bool keepGoing = false;
  body = "old";
  try {
    DownloadFile(File(L"body250.bin"), body, &keepGoing);
    FAIL() << "a cleared flag must stop the download";
  } catch (const mwstd::internet_error& e) {
    EXPECT_EQ(0u, e.what().rfind(StringTable().LoadS(IDS_NET_OPEN), 0));
  }
  EXPECT_EQ("old", body);  // nothing was read

  const std::wstring text = L"Gr\u00fc\u00dfe & \"mehr\" #1\r\nZeile 2 \u20ac";
  ::SetEnvironmentVariableW(L"ORBIFORM_SERVICE_URL", nullptr);
  const std::wstring local = Service();
  const std::wstring address = local + FeedbackAddress(L"2.1.4", text, L"a&b@c.de")
                                           .substr(FeedbackAddress(L"", L"", L"").find(L"feedback.php"));
  EXPECT_EQ(3u, DownloadFile(address, body, nullptr));
  EXPECT_EQ("OK\n", body);
  std::ifstream log("service-run/data/feedback.log", std::ios::binary);
  std::stringstream all;
  all << log.rdbuf();
  EXPECT_NE(std::string::npos,
            all.str().find("\"mail\":\"a&b@c.de\",\"text\":\"" +
                           ToUtf8(L"Gr\u00fc\u00dfe & \\\"mehr\\\" #1\\r\\nZeile 2 \u20ac") + "\""))
      << all.str();
}
