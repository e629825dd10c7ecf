// The engine's fakes installed as the platform for as long as this object
// lives, with United States regional settings; whatever was installed before
// is put back afterwards.
#pragma once

#include "platform/Platform.h"
#include "rtl/FormatSettings.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeDesktop.h"
#include "tests/fakes/FakeTimers.h"
#include "tests/fakes/MemoryStore.h"

namespace fakes {

class InstalledFakes {
  public:
    InstalledFakes()
        : previousClock_(platform::SetClock(&clock)), previousStore_(platform::SetStore(&store)),
          previousDesktop_(platform::SetDesktop(&desktop)),
          previousTimers_(platform::SetTimers(&timers)), previousSettings_(FormatSettings()) {
        SetFormatSettings(TFormatSettings());
    }
    ~InstalledFakes() {
        SetFormatSettings(previousSettings_);
        platform::SetTimers(previousTimers_);
        platform::SetDesktop(previousDesktop_);
        platform::SetStore(previousStore_);
        platform::SetClock(previousClock_);
    }
    InstalledFakes(const InstalledFakes&) = delete;
    InstalledFakes& operator=(const InstalledFakes&) = delete;

    FakeClock clock;
    MemoryStore store;
    FakeDesktop desktop;
    // Its ticks move the clock above.
    FakeTimers timers{&clock};

  private:
    platform::IClock* previousClock_;
    platform::ISettingsStore* previousStore_;
    platform::IDesktop* previousDesktop_;
    platform::ITimers* previousTimers_;
    TFormatSettings previousSettings_;
};

} // namespace fakes
