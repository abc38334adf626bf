#pragma once
// A small HTTP server on 127.0.0.1 for the updater's download tests: each
// path has a fixed reply; a path marked as stalling sends its part and then
// holds the connection, as a reply that never ends.
#include <map>
#include <string>
#include <thread>

#include "tests/net/Loopback.h"

namespace updatertest {

class TestServer {
 public:
  TestServer() = default;
  ~TestServer() {
    listener_.Stop();
    if (thread_.joinable()) thread_.join();
  }

  // Routes are set before Start.
  void Serve(const std::string& path, const std::string& body) { routes_[path] = {body, false}; }
  // Sends `head` (status line, headers and part of a body) and nothing more.
  void Stall(const std::string& path, const std::string& head) { routes_[path] = {head, true}; }
  void Start() {
    thread_ = std::thread([this] {
      while (listener_.WaitReadable(listener_.Socket())) {
        const SOCKET client = ::accept(listener_.Socket(), nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        Answer(client);
      }
    });
  }

  std::wstring Address(const std::string& path) const {
    return L"http://127.0.0.1:" + std::to_wstring(listener_.Port()) + std::wstring(path.begin(), path.end());
  }

 private:
  struct Route {
    std::string text;
    bool stall = false;
  };

  void Answer(SOCKET client) {
    std::string request;
    char chunk[2048];
    while (request.find("\r\n\r\n") == std::string::npos && listener_.WaitReadable(client)) {
      const int got = ::recv(client, chunk, sizeof chunk, 0);
      if (got <= 0) break;
      request.append(chunk, got);
    }
    const std::size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    auto route = routes_.find(path);
    // A key ending in '*' answers every path that begins with the rest.
    for (auto r = routes_.begin(); route == routes_.end() && r != routes_.end(); ++r) {
      const std::string& key = r->first;
      if (!key.empty() && key.back() == '*' && path.compare(0, key.size() - 1, key, 0, key.size() - 1) == 0)
        route = r;
    }
    std::string reply;
    if (route == routes_.end()) {
      reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    } else if (route->second.stall) {
      reply = route->second.text;
    } else {
      reply = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(route->second.text.size()) +
              "\r\nConnection: close\r\n\r\n" + route->second.text;
    }
    for (std::size_t sent = 0; sent < reply.size();) {
      const int n = ::send(client, reply.data() + sent, static_cast<int>(reply.size() - sent), 0);
      if (n <= 0) break;
      sent += n;
    }
    if (route != routes_.end() && route->second.stall) listener_.WaitForStop();
    ::shutdown(client, SD_SEND);
    ::closesocket(client);
  }

  std::map<std::string, Route> routes_;
  testnet::LoopbackListener listener_;
  std::thread thread_;
};

}  // namespace updatertest
