// The alarm engine on fakes: a clock that moves only when told, timer windows
// that tick by it, the memory store as the registry, United States regional
// settings.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/KsrAlarms.h"
#include "engine/MainApplication.h"
#include "platform/Platform.h"
#include "rtl/FormatSettings.h"
#include "rtl/IntText.h"
#include "tests/fakes/InstalledFakes.h"

class EngineFixture : public testing::Test {
  protected:
    void SetUp() override {
        clock.Set(2003, 6, 11, 10, 15, 30, 250); // a Wednesday
    }

    void TearDown() override {
        KsrAlarmsUnitStop();
        EXPECT_EQ(store.OpenHandleCount(), 0) << "a registry handle was left open";
        EXPECT_EQ(timers.WindowCount(), 0u) << "a timer window was left behind";
    }

    static std::string SlotKey(int slot) {
        return std::string("Software\\Zandrel\\Velmora\\Settings\\Schedule\\") + IntToStr(slot);
    }

    void WriteSlot(int slot, bool enabled, std::int32_t type, const std::string& params) {
        store.SetDword(SlotKey(slot), "Enabled", enabled ? 1 : 0);
        store.SetDword(SlotKey(slot), "ScheduleType", static_cast<std::uint32_t>(type));
        store.SetString(SlotKey(slot), "Params", params);
    }

    std::vector<std::string> Entries() const {
        std::vector<std::string> entries;
        for (int i = 0; i < SchedulerAlarms->Alarms()->Count(); ++i)
            entries.push_back((*SchedulerAlarms->Alarms())[i]);
        return entries;
    }

  private:
    fakes::InstalledFakes installed_;

  protected:
    fakes::FakeClock& clock = installed_.clock;
    fakes::MemoryStore& store = installed_.store;
    fakes::FakeDesktop& desktop = installed_.desktop;
    fakes::FakeTimers& timers = installed_.timers;
};
