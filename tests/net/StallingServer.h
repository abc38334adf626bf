#pragma once
// A one-connection HTTP server on 127.0.0.1 for the download tests: it sends
// a fixed reply and then holds the connection, so a test controls exactly
// what arrives and when nothing more does.
#include <string>
#include <thread>

#include "tests/net/Loopback.h"

namespace testnet {

// Accepts one connection on 127.0.0.1, sends `reply` and then holds the
// connection open without another byte until destroyed.
class StallingServer {
 public:
  explicit StallingServer(std::string reply) : reply_(std::move(reply)), listener_(1) {
    thread_ = std::thread([this] {
      if (!listener_.WaitReadable(listener_.Socket())) return;
      const SOCKET client = ::accept(listener_.Socket(), nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      char request[4096];
      if (listener_.WaitReadable(client)) ::recv(client, request, sizeof(request), 0);
      if (!reply_.empty()) ::send(client, reply_.data(), static_cast<int>(reply_.size()), 0);
      listener_.WaitForStop();
      ::closesocket(client);
    });
  }
  ~StallingServer() {
    listener_.Stop();
    thread_.join();
  }
  int Port() const { return listener_.Port(); }
  std::wstring Address() const { return L"http://127.0.0.1:" + std::to_wstring(Port()) + L"/stall"; }

 private:
  std::string reply_;
  LoopbackListener listener_;
  std::thread thread_;
};

}  // namespace testnet
