#include "link/Busy.h"

BusyEvent::BusyEvent() : event_(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

BusyEvent& TheBusyEvent() {
    static BusyEvent event;
    return event;
}
