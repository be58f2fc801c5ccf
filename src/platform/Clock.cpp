#include "platform/Clock.h"

#include <mutex>

namespace {

std::mutex clockMutex;
std::function<QDateTime()> replacement;

}  // namespace

QDateTime currentDateTime() {
    std::function<QDateTime()> clock;
    {
        std::lock_guard lock(clockMutex);
        clock = replacement;
    }
    return clock ? clock() : QDateTime::currentDateTime();
}

void setClockForTesting(std::function<QDateTime()> clock) {
    std::lock_guard lock(clockMutex);
    replacement = std::move(clock);
}
