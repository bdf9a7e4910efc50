#include "persistence/FaultPoint.h"

#include <csignal>
#include <mutex>
#include <string>

namespace zelvorin {

namespace {

struct ArmedPoint {
    std::mutex mutex;
    std::string name;
    int passesLeft = 0;
};

ArmedPoint& armed() {
    static ArmedPoint point;
    return point;
}

}  // namespace

void faultPoint(std::string_view name) {
    ArmedPoint& point = armed();
    std::lock_guard lock(point.mutex);
    if (point.passesLeft == 0 || point.name != name) return;
    if (--point.passesLeft == 0) std::raise(SIGKILL);
}

void armFaultPoint(std::string_view name, int pass) {
    ArmedPoint& point = armed();
    std::lock_guard lock(point.mutex);
    point.name = name;
    point.passesLeft = pass;
}

}  // namespace zelvorin
