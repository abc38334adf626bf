#pragma once
// A one-connection HTTP server on 127.0.0.1 for the download tests: it sends
// a fixed reply and then holds the connection, so a test controls exactly
// what arrives and when nothing more does.
#include <functional>
#include <string>
#include <thread>

#include "tests/net/Loopback.h"

namespace testnet {

// Accepts one connection on 127.0.0.1, sends `reply` and then holds the
// connection open without another byte until destroyed.
class StallingServer {
 public:
  explicit StallingServer(std::string reply) : StallingServer([reply](int) { return reply; }) {}
  // The reply made once the port is known, for replies that name the server.
  explicit StallingServer(std::function<std::string(int port)> makeReply) : listener_(1) {
    thread_ = std::thread([this, makeReply] {
      const std::string reply = makeReply(listener_.Port());
      if (!listener_.WaitReadable(listener_.Socket())) return;
      const SOCKET client = ::accept(listener_.Socket(), nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      char request[4096];
      if (listener_.WaitReadable(client)) ::recv(client, request, sizeof(request), 0);
      if (!reply.empty()) ::send(client, reply.data(), static_cast<int>(reply.size()), 0);
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
  LoopbackListener listener_;
  std::thread thread_;
};

}  // namespace testnet
