#include "platform/Network.h"

#include <arpa/inet.h>
#include <climits>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

std::vector<std::string> HostAddresses(const std::string& hostName) {
    std::vector<std::string> addresses;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    // One socket type, else every address comes once per type.
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (hostName.empty() || getaddrinfo(hostName.c_str(), nullptr, &hints, &found) != 0)
        return addresses;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || !entry->ai_addr) continue;
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        char dotted[INET_ADDRSTRLEN] = {};
        if (inet_ntop(AF_INET, &address->sin_addr, dotted, sizeof dotted))
            addresses.emplace_back(dotted);
    }
    freeaddrinfo(found);
    return addresses;
}

std::vector<std::string> LocalHostAddresses() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return HostAddresses(name);
}

} // namespace platform
