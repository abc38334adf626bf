#pragma once
// A one-connection HTTP server on 127.0.0.1 for the download tests: it sends
// a fixed reply and then holds the connection, so a test controls exactly
// what arrives and when nothing more does.
#include <windows.h>
#include <winsock2.h>

#include <string>
#include <thread>

namespace testnet {

// Accepts one connection on 127.0.0.1, sends `reply` and then holds the
// connection open without another byte until destroyed.
class StallingServer {
 public:
  explicit StallingServer(std::string reply) : reply_(std::move(reply)) {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::listen(listener_, 1);
    int length = sizeof(address);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
      // Every wait is bounded and checks the stop event: a blocked accept or
      // recv is not reliably woken by closing its socket from another thread.
      if (!WaitReadable(listener_)) return;
      const SOCKET client = ::accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      char request[4096];
      if (WaitReadable(client)) ::recv(client, request, sizeof(request), 0);
      if (!reply_.empty()) ::send(client, reply_.data(), static_cast<int>(reply_.size()), 0);
      ::WaitForSingleObject(stop_, INFINITE);
      ::closesocket(client);
    });
  }
  ~StallingServer() {
    ::SetEvent(stop_);
    thread_.join();
    ::closesocket(listener_);
    ::CloseHandle(stop_);
    ::WSACleanup();
  }
  int Port() const { return port_; }
  std::wstring Address() const { return L"http://127.0.0.1:" + std::to_wstring(port_) + L"/stall"; }

 private:
  // True once `s` has something to read; false when the server is stopping.
  bool WaitReadable(SOCKET s) {
    while (::WaitForSingleObject(stop_, 0) != WAIT_OBJECT_0) {
      fd_set set;
      FD_ZERO(&set);
      FD_SET(s, &set);
      timeval tick{0, 20000};
      if (::select(0, &set, nullptr, nullptr, &tick) != 0) return true;  // readable, or an error to report
    }
    return false;
  }

  std::string reply_;
  SOCKET listener_;
  int port_ = 0;
  HANDLE stop_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread thread_;
};

}  // namespace testnet
