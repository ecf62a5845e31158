// A web server on 127.0.0.1 at a free port, run by the test itself on a thread of its own.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <map>
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

// Serves files[NAME] at /files/NAME with a fixed Last-Modified (18 Apr 2010 08:30:00 GMT), 404
// for other names, counting the requests. files may change while the server runs between
// transfers.
inline void ServeFiles(TLocalWebServer& server, const std::map<std::string, std::string>& files,
                       std::atomic<int>& requests) {
    server.Routes().Get("/files/(.*)",
                        [&files, &requests](const httplib::Request& req, httplib::Response& res) {
                            ++requests;
                            auto file = files.find(req.matches[1]);
                            if (file == files.end()) {
                                res.status = 404;
                                return;
                            }
                            res.set_header("Last-Modified", "Sun, 18 Apr 2010 08:30:00 GMT");
                            res.set_content(file->second, "application/octet-stream");
                        });
}

// /short announces 1000 bytes, sends 500 and closes the connection.
inline void ServeShortBody(TLocalWebServer& server) {
    server.Routes().Get("/short", [](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(1000, "application/octet-stream",
                                 [](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset > 0) return false;
                                     sink.write(std::string(500, 'x').data(), 500);
                                     return true;
                                 });
    });
}
