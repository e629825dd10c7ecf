#include <gtest/gtest.h>

#include <string>

#include "engine/KsrAlarms.h"
#include "rtl/DateTimeText.h"
#include "rtl/SysUtils.h"
#include "tests/engine/EngineFixture.h"

namespace {

class AlarmListTest : public EngineFixture {
  protected:
    void SetUp() override {
        EngineFixture::SetUp();
        alarms = new TKsrAlarms(nullptr);
    }
    void TearDown() override {
        delete alarms;
        EngineFixture::TearDown();
    }
    TKsrAlarms* alarms = nullptr;
};

TEST_F(AlarmListTest, StartsEmptyAndInactive) {
    EXPECT_EQ(alarms->GetAlarmCount(), 0);
    EXPECT_FALSE(alarms->Active());
}

TEST_F(AlarmListTest, IndexErrorsCarryTheirMessages) {
    alarms->InsertAlarm("0", EncodeDate(2024, 12, 9));
    struct Case {
        int index;
        const char* message;
        bool listError;
    } cases[] = {
        {1, "Unable to get alarm number :1. Index out of bounds", false},
        {3, "Unable to get alarm number :3. Index out of bounds", false},
        {-1, "List index out of bounds (-1)", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        TAlarm alarm{"kept", 42};
        try {
            alarms->GetAlarm(c.index, alarm);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message);
            EXPECT_EQ(dynamic_cast<const EListError*>(&e) != nullptr, c.listError);
        }
        EXPECT_EQ(alarm.Name, "kept");
        EXPECT_EQ(alarm.DateTime, 42);
    }
    TKsrAlarms empty(nullptr);
    TAlarm alarm;
    try {
        empty.GetAlarm(0, alarm);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unable to get alarm number :0. Index out of bounds");
    }
}

TEST_F(AlarmListTest, EntriesReadBackAtTheTextsPrecision) {
    struct Case {
        const char* name;
        TLocalDateTime at;
        const char* entry;
        TLocalDateTime readBack;
    } cases[] = {
        {"2", EncodeDate(2024, 12, 9) + EncodeTime(14, 30, 0, 0), "12/9/2024 2:30:00 PM|2",
         EncodeDate(2024, 12, 9) + EncodeTime(14, 30, 0, 0)},
        {"0", EncodeDate(2024, 12, 9) + EncodeTime(14, 30, 5, 999), "12/9/2024 2:30:05 PM|0",
         EncodeDate(2024, 12, 9) + EncodeTime(14, 30, 5, 0)},
        {"1", EncodeDate(2003, 6, 12) + EncodeTime(0, 0, 0, 400), "6/12/2003|1",
         EncodeDate(2003, 6, 12)},
        {"a|b", EncodeDate(2003, 6, 12) + EncodeTime(0, 0, 1, 0), "6/12/2003 12:00:01 AM|a|b",
         EncodeDate(2003, 6, 12) + EncodeTime(0, 0, 1, 0)},
        {"", 0, "12/30/1899|", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        alarms->InsertAlarm(c.name, c.at);
        int index = alarms->GetAlarmCount() - 1;
        EXPECT_EQ((*alarms->Alarms())[index], c.entry);
        TAlarm alarm;
        alarms->GetAlarm(index, alarm);
        EXPECT_EQ(alarm.Name, c.name);
        EXPECT_EQ(alarm.DateTime, c.readBack);
    }
}

TEST_F(AlarmListTest, DuplicatesStayInInsertionOrder) {
    alarms->InsertAlarm("1", 1);
    alarms->InsertAlarm("1", 1);
    ASSERT_EQ(alarms->GetAlarmCount(), 2);
    EXPECT_EQ((*alarms->Alarms())[0], (*alarms->Alarms())[1]);
}

TEST_F(AlarmListTest, EntryWithoutBarNamesItselfThenFails) {
    alarms->Alarms()->Add("12/9/2024 2:30:00 PM");
    TAlarm alarm{"old", 7};
    try {
        alarms->GetAlarm(0, alarm);
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'' is not a valid date and time");
    }
    EXPECT_EQ(alarm.Name, "12/9/2024 2:30:00 PM");
    EXPECT_EQ(alarm.DateTime, 7);
}

TEST_F(AlarmListTest, DeleteMovesLaterEntriesDown) {
    for (const char* name : {"0", "1", "2"})
        alarms->InsertAlarm(name, 0);
    alarms->DeleteAlarm(0);
    ASSERT_EQ(alarms->GetAlarmCount(), 2);
    EXPECT_EQ((*alarms->Alarms())[0], "12/30/1899|1");
    EXPECT_EQ((*alarms->Alarms())[1], "12/30/1899|2");
    for (int index : {-1, 2}) {
        try {
            alarms->DeleteAlarm(index);
            ADD_FAILURE();
        } catch (const EStringListError& e) {
            EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(index) + ")");
        }
    }
    EXPECT_EQ(alarms->GetAlarmCount(), 2);
}

TEST_F(AlarmListTest, OwnerFreesTheComponent) {
    TComponent owner(nullptr);
    new TKsrAlarms(&owner);
    EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST_F(AlarmListTest, UnitStartLoadsAndStopFrees) {
    WriteSlot(0, true, 0, "1");
    KsrAlarmsUnitStart();
    ASSERT_NE(SchedulerAlarms, nullptr);
    EXPECT_TRUE(SchedulerAlarms->Active());
    EXPECT_EQ(SchedulerAlarms->GetAlarmCount(), 1);
    KsrAlarmsUnitStop();
    EXPECT_EQ(SchedulerAlarms, nullptr);
    KsrAlarmsUnitStop(); // a second stop is harmless
}

} // namespace
