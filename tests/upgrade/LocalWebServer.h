// A web server on 127.0.0.1 at a free port, run by the test itself on a thread of its own.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

class TLocalWebServer {
public:
    // Plain http, or https with the given certificate and key files.
    TLocalWebServer() : FServer(std::make_unique<httplib::Server>()) {}
    TLocalWebServer(const std::string& certificate, const std::string& key)
        : FServer(std::make_unique<httplib::SSLServer>(certificate.c_str(), key.c_str())),
          FScheme("https") {}
    ~TLocalWebServer() { Stop(); }

    httplib::Server& Routes() { return *FServer; }

    void Start() {
        FPort = FServer->bind_to_any_port("127.0.0.1");
        FThread = std::thread([this] { FServer->listen_after_bind(); });
        while (!FServer->is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void Stop() {
        Stopping = true;
        if (FThread.joinable()) {
            FServer->stop();
            FThread.join();
        }
    }
    int Port() const { return FPort; }
    std::string Url(const std::string& path) const {
        return FScheme + "://127.0.0.1:" + std::to_string(FPort) + path;
    }

    // Slow handlers check it, so that stopping never waits for a sleeping one.
    std::atomic<bool> Stopping{false};

private:
    std::unique_ptr<httplib::Server> FServer;
    std::string FScheme = "http";
    std::thread FThread;
    int FPort = 0;
};
