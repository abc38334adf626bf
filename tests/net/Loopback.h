#pragma once
// A listening socket on 127.0.0.1 at a free port, with a stop event, for the
// tests' own small servers. Every wait is bounded and checks the stop event:
// a blocked accept or recv is not reliably woken by closing its socket from
// another thread.
#include <winsock2.h>
// after winsock2.h
#include <windows.h>

namespace testnet {

class LoopbackListener {
 public:
  explicit LoopbackListener(int backlog = 8) {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::listen(socket_, backlog);
    int length = sizeof(address);
    ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~LoopbackListener() {
    ::closesocket(socket_);
    ::CloseHandle(stop_);
    ::WSACleanup();
  }
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  SOCKET Socket() const { return socket_; }
  int Port() const { return port_; }
  // Ends every wait, now and later.
  void Stop() const { ::SetEvent(stop_); }
  bool Stopped() const { return ::WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0; }
  // Blocks until stopped.
  void WaitForStop() const { ::WaitForSingleObject(stop_, INFINITE); }

  // True once `s` has something to read (or an error to report); false when
  // stopped first.
  bool WaitReadable(SOCKET s) const {
    while (!Stopped()) {
      fd_set set;
      FD_ZERO(&set);
      FD_SET(s, &set);
      timeval tick{0, 20000};
      if (::select(0, &set, nullptr, nullptr, &tick) != 0) return true;
    }
    return false;
  }

 private:
  SOCKET socket_;
  int port_ = 0;
  HANDLE stop_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

}  // namespace testnet
