// The engine's fakes installed for one input and taken out again, so that no
// state of one input reaches the next.
#pragma once

#include "platform/Platform.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeDesktop.h"
#include "tests/fakes/FakeTimers.h"
#include "tests/fakes/MemoryStore.h"

namespace fuzz {

struct InstalledFakes {
    InstalledFakes() {
        platform::SetClock(&clock);
        platform::SetStore(&store);
        platform::SetDesktop(&desktop);
        platform::SetTimers(&timers);
    }
    ~InstalledFakes() {
        platform::SetTimers(nullptr);
        platform::SetDesktop(nullptr);
        platform::SetStore(nullptr);
        platform::SetClock(nullptr);
    }
    InstalledFakes(const InstalledFakes&) = delete;
    InstalledFakes& operator=(const InstalledFakes&) = delete;

    fakes::FakeClock clock;
    fakes::MemoryStore store;
    fakes::FakeDesktop desktop;
    fakes::FakeTimers timers{&clock};
};

} // namespace fuzz
