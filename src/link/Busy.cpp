#include "link/Busy.h"

BusyEvent::BusyEvent() : event_(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

BusyEvent& TheBusyEvent() {
    // Never destroyed: a transfer thread still running at exit may signal it.
    static BusyEvent* event = new BusyEvent;
    return *event;
}
