#include "components/uWait.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

namespace kelani {
namespace {

int gSpeedUp = 1;
bool gWaitsCut = false;

} // namespace

int64_t TickCount() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SetWaitSpeedUp(int factor) {
    gSpeedUp = factor < 1 ? 1 : factor;
}
int WaitSpeedUp() {
    return gSpeedUp;
}

void WaitUntil(int64_t tick) {
    const int64_t start = TickCount();
    const int64_t end = start + (tick - start) / gSpeedUp;
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (!gWaitsCut && TickCount() < end);
}

void WaitFor(int ms) {
    WaitUntil(TickCount() + ms);
}

void CutWaitsShort(bool cut) {
    gWaitsCut = cut;
}

} // namespace kelani
