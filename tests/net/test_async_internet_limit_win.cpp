// The byte limit of AsyncInternet: a body that announces or streams more than
// allowed fails at once instead of filling the memory.
#include <windows.h>
#include <winsock2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>

#include "mwWinAPI/AsyncInternet.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/Utf.h"
#include "tests/net/StallingServer.h"

using mwWinAPI::AsyncInternet;
using testnet::StallingServer;

namespace {

// Opens the server's address and starts the body; false when StartDownload
// refused at once.
bool Start(AsyncInternet& net, HANDLE event, const StallingServer& server, int& progress) {
  net.OpenUrl(server.Address(), &progress);
  EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 10000));
  EXPECT_FALSE(net.IsError());
  try {
    net.StartDownload(&progress);
  } catch (const mwstd::internet_error&) {
    return false;
  }
  return true;
}

}  // namespace

TEST(AsyncInternetLimit, AnnouncedOrStreamedExcessFails) {
  HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  {
    // A length above the limit is refused before a byte of the body is read.
    StallingServer announced("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nxx");
    AsyncInternet net(event);
    net.SetMaxBytes(16384);
    int progress = 0;
    EXPECT_FALSE(Start(net, event, announced, progress));
    EXPECT_TRUE(net.IsError());
    EXPECT_FALSE(net.IsBusy());
  }
  {
    // No length, a body that goes on and never ends: it fails once past the
    // limit, without waiting for the end.
    StallingServer endless("HTTP/1.0 200 OK\r\n\r\n" + std::string(200000, 'y'));
    AsyncInternet net(event);
    net.SetMaxBytes(16384);
    int progress = 0;
    if (Start(net, event, endless, progress)) {
      ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 10000));
    }
    EXPECT_TRUE(net.IsError());
    EXPECT_FALSE(net.IsBusy());
    EXPECT_LT(net.Data().size(), 16384u + 65536u);
  }
  {
    // Within the limit: whole.
    StallingServer small("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(1000, 'z'));
    AsyncInternet net(event);
    net.SetMaxBytes(1000);
    int progress = 0;
    if (Start(net, event, small, progress)) {
      ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 10000));
    }
    EXPECT_FALSE(net.IsError());
    EXPECT_EQ(std::string(1000, 'z'), net.Data());
  }
  ::CloseHandle(event);
}

TEST(AsyncInternetLimit, SilenceAndSlownessRunOutOfTime) {
  HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  // Headers and a little of the body, then nothing: below the minimum rate.
  StallingServer trickle("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(100, 'x'));
  // Not even headers: only the deadline ends the opening.
  StallingServer mute("");
  AsyncInternet net(event);
  int progress = 0;
  net.SetLimits({60000, 1000, 300});
  const DWORD start = ::GetTickCount();
  ASSERT_TRUE(Start(net, event, trickle, progress));
  ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 10000));
  EXPECT_LT(::GetTickCount() - start, 5000u);
  EXPECT_FALSE(net.IsBusy());
  EXPECT_EQ(mwWinAPI::GetInternetErrorS(ERROR_INTERNET_TIMEOUT), net.GetLastErrorMessage());

  net.SetLimits({400, 0, 300});
  net.OpenUrl(mute.Address(), &progress);
  ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 10000));
  EXPECT_EQ(mwWinAPI::GetInternetErrorS(ERROR_INTERNET_TIMEOUT), net.GetLastErrorMessage());
  ::CloseHandle(event);
}

namespace {

// Sends a body of `total` bytes in `chunk`-byte pieces every `everyMs`, a
// slow but steady link, then holds the connection.
class TricklingServer {
 public:
  TricklingServer(std::size_t total, std::size_t chunk, DWORD everyMs) : listener_(1) {
    thread_ = std::thread([this, total, chunk, everyMs] {
      if (!listener_.WaitReadable(listener_.Socket())) return;
      const SOCKET client = ::accept(listener_.Socket(), nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      char request[4096];
      if (listener_.WaitReadable(client)) ::recv(client, request, sizeof(request), 0);
      const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(total) + "\r\n\r\n";
      ::send(client, head.data(), static_cast<int>(head.size()), 0);
      const std::string piece(chunk, 't');
      for (std::size_t sent = 0; sent < total && !listener_.Stopped(); sent += chunk) {
        ::send(client, piece.data(), static_cast<int>(std::min(chunk, total - sent)), 0);
        ::Sleep(everyMs);
      }
      listener_.WaitForStop();
      ::closesocket(client);
    });
  }
  ~TricklingServer() {
    listener_.Stop();
    thread_.join();
  }
  std::wstring Address() const { return L"http://127.0.0.1:" + std::to_wstring(listener_.Port()) + L"/t"; }

 private:
  testnet::LoopbackListener listener_;
  std::thread thread_;
};

}  // namespace

TEST(AsyncInternetLimit, ASlowSteadyLinkAboveTheMinimumIsNotCutOff) {
  // 40 KiB/s for 1.5 s against a minimum of 8 KiB/s a second: each second
  // must show its bytes, so the reads must not wait for the whole body.
  TricklingServer slow(60 * 1024, 2048, 50);
  HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  {
    AsyncInternet net(event);
    net.SetLimits({20000, 8 * 1024, 1000});
    int progress = 0;
    net.OpenUrl(slow.Address(), &progress);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 10000));
    ASSERT_FALSE(net.IsError());
    if (!net.StartDownload(&progress)) {
      ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 15000));
    }
    EXPECT_FALSE(net.IsError()) << mwWinAPI::ToUtf8(net.GetLastErrorMessage());
    EXPECT_EQ(60u * 1024, net.Data().size());
  }
  ::CloseHandle(event);
}

TEST(AsyncInternetLimit, RedirectToAnotherOriginIsRefused) {
  StallingServer target("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nevil");
  const std::string redirect =
      "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:" + std::to_string(target.Port()) +
      "/stall\r\nContent-Length: 0\r\n\r\n";
  StallingServer elsewhere(redirect);
  HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  {
    AsyncInternet net(event);
    int progress = 0;
    if (!net.OpenUrl(elsewhere.Address(), &progress)) {
      ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event, 10000));
    }
    EXPECT_EQ(mwWinAPI::GetInternetErrorS(ERROR_HTTP_REDIRECT_FAILED), net.GetLastErrorMessage());
    EXPECT_THROW(net.StartDownload(&progress), mwstd::internet_error);
  }
  ::CloseHandle(event);
  StallingServer again(redirect);
  std::string body;
  EXPECT_THROW(mwWinAPI::DownloadFile(again.Address(), body, nullptr), mwstd::internet_error);
  EXPECT_TRUE(body.empty());
}
