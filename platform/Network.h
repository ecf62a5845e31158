// Name resolution for the online test.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The IPv4 addresses the resolver gives for the host name, in dotted form and in the resolver's
// order; empty when the name does not resolve.
std::vector<std::string> HostAddresses(const std::string& hostName);

// HostAddresses of this computer's own host name; empty when it has none.
std::vector<std::string> LocalHostAddresses();

} // namespace platform
