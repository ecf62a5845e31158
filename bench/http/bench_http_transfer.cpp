// bench_http_transfer serve FILE      serves FILE at /file on 127.0.0.1, prints the port
// bench_http_transfer fetch URL OUT   fetches URL into OUT the way the updater does: default
//                                     block size, a progress handler on the main thread
#include <httplib.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/headless/PumpedDispatcher.h"
#include "upgrade/HTTP.h"

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "serve" && argc == 3) {
        std::ifstream in(argv[2], std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        const std::string body = bytes.str();
        httplib::Server server;
        server.Get("/file", [&](const httplib::Request&, httplib::Response& res) {
            res.set_content(body, "application/octet-stream");
        });
        const int port = server.bind_to_any_port("127.0.0.1");
        std::printf("%d\n", port);
        std::fflush(stdout);
        server.listen_after_bind();
        return 0;
    }
    if (mode == "fetch" && argc == 4) {
        platform::TPumpedDispatcher dispatcher;
        TauCustomHTTP http(dispatcher);
        http.SetProxy({TauHTTPAccessType::atDirect, 8080, "", ""});
        http.SetURL(argv[2]);
        http.SetOutputFileName(argv[3]);
        int64_t notifications = 0;
        std::string outcome;
        http.OnHTTPProgress = [&](TauCustomHTTP*, const std::string&, int64_t, int64_t, int64_t,
                                  int64_t, uint8_t, float, TStream*) { ++notifications; };
        http.OnHTTPDone = [&](TauCustomHTTP*, const std::string&, int64_t bytes, TStream*) {
            outcome = "done " + std::to_string(bytes);
        };
        http.OnHTTPIncomplete = [&](TauCustomHTTP*, const std::string&, int64_t, int64_t,
                                    TStream*) { outcome = "incomplete"; };
        http.OnHTTPError = [&](TauCustomHTTP*, int status, TStream*) {
            outcome = "error " + std::to_string(status);
        };
        http.OnHTTPHostUnreachable = [&](TauCustomHTTP*) { outcome = "unreachable"; };
        http.Read();
        dispatcher.PumpUntil([&] { return !outcome.empty(); }, std::chrono::minutes(10));
        std::fprintf(stderr, "%s, %lld progress notifications\n", outcome.c_str(),
                     static_cast<long long>(notifications));
        return outcome.rfind("done", 0) == 0 ? 0 : 1;
    }
    std::fprintf(stderr, "usage: %s serve FILE | fetch URL OUT\n", argv[0]);
    return 2;
}
