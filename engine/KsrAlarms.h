// The alarm component: the list of what is due and when, one text entry per
// alarm ("<date-time text>|<name>"), and the one instance the applet runs on.
#pragma once

#include <cstdint>
#include <string>

#include "engine/Timer.h"
#include "rtl/Classes.h"
#include "rtl/DateUtils.h"

struct TAlarm {
    std::string Name;
    TLocalDateTime DateTime = 0;
};

class TKsrAlarms : public TComponent {
  public:
    explicit TKsrAlarms(TComponent* owner);
    ~TKsrAlarms() override;

    void InsertAlarm(const std::string& Name, TLocalDateTime DateTime);
    void DeleteAlarm(std::int32_t Index);
    std::int32_t GetAlarmCount() const;
    // Parses the entry at Index into Alarm. Name is set before the date-time
    // text is read, so a bad entry leaves Alarm with the new name.
    void GetAlarm(std::int32_t Index, TAlarm& Alarm) const;

    // The held list itself. Writing stores the reference without copying and
    // without freeing the list held before; the component frees whatever list
    // it holds when it is destroyed.
    TStringList* Alarms() const { return entries_; }
    void SetAlarms(TStringList* list) { entries_ = list; }

    bool Active() const { return active_; }
    // Switches the tick along with the flag. Raises EOutOfResources when the
    // system refuses the timer; the flag is stored all the same.
    void SetActive(bool value);

    TLocalDateTime LastSecond() const { return lastSecond_; }
    TTimer* TickTimer() const { return tickTimer_; }

  private:
    // The tick: fires the alarms due in a second not examined before.
    void CheckAlarms(TComponent* Sender);

    TStringList* entries_ = nullptr;
    TTimer* tickTimer_ = nullptr;
    bool active_ = false;
    TLocalDateTime lastSecond_ = 0;
};

// The applet's one alarm component; it exists between the unit's start and stop.
extern TKsrAlarms* SchedulerAlarms;

// Creates SchedulerAlarms and loads the schedules. The program calls it once,
// before its main body.
void KsrAlarmsUnitStart();
// Frees SchedulerAlarms; safe when the start did not complete.
void KsrAlarmsUnitStop();
