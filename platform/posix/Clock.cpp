#include "platform/Clock.h"

#include <chrono>
#include <ctime>

namespace platform {

uint64_t GetTickCount() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int UtcOffsetSeconds(int64_t unixSeconds) {
    time_t instant = static_cast<time_t>(unixSeconds);
    tm local{};
    if (!localtime_r(&instant, &local)) return 0;
    return static_cast<int>(local.tm_gmtoff);
}

} // namespace platform
