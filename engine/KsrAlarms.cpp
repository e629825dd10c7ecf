#include "engine/KsrAlarms.h"

#include "engine/Handoff.h"
#include "engine/Schedules.h"
#include "resources/StringTable.h"
#include "rtl/DateTimeText.h"
#include "rtl/IntText.h"
#include "rtl/SysUtils.h"

TKsrAlarms* SchedulerAlarms = nullptr;

namespace {

constexpr std::uint32_t kTickInterval = 500;

// The current second, at the precision that date-time text shows.
TLocalDateTime CurrentSecond() {
    return StrToDateTime(DateTimeToStr(Now()));
}

} // namespace

TKsrAlarms::TKsrAlarms(TComponent* owner) : TComponent(owner) {
    // Owned, so a failure below leaves nothing behind: the base frees it.
    tickTimer_ = new TTimer(this);
    tickTimer_->SetInterval(kTickInterval);
    // Writing the handler arms the timer, as it is still enabled; no message
    // is taken before the next line stops it again.
    tickTimer_->SetOnTimer([this](TComponent* Sender) { CheckAlarms(Sender); });
    tickTimer_->SetEnabled(false);
    entries_ = new TStringList;
    // The time of day alone is never equal to a present-day second read back
    // from text, so the first tick always walks the list.
    lastSecond_ = Time();
}

TKsrAlarms::~TKsrAlarms() {
    // The timer goes first, so that no tick can meet a half-destroyed list.
    delete tickTimer_;
    delete entries_;
}

void TKsrAlarms::SetActive(bool value) {
    active_ = value;
    tickTimer_->SetEnabled(value);
}

void TKsrAlarms::CheckAlarms(TComponent* /*Sender*/) {
    if (CurrentSecond() == lastSecond_)
        return;
    // Read again: should a second have begun since the first read, the walk
    // examines the later one.
    lastSecond_ = CurrentSecond();

    // A firing rebuilds the list; the walk goes on by index over the new
    // list, still up to the count taken here. Ticks nested in a hand-off's
    // message box may move LastSecond meanwhile, hence the fresh read.
    const std::int32_t count = entries_->Count();
    TAlarm alarm;
    for (std::int32_t i = 0; i < count; ++i) {
        GetAlarm(i, alarm);
        if (alarm.DateTime != lastSecond_)
            continue;
        const std::int32_t slot = StrToInt(alarm.Name);
        RunMainApplication(static_cast<std::int8_t>(slot & 0xFF), false);
        LoadSchedules();
    }
}

void TKsrAlarms::InsertAlarm(const std::string& Name, TLocalDateTime DateTime) {
    entries_->Add(DateTimeToStr(DateTime) + "|" + Name);
}

void TKsrAlarms::DeleteAlarm(std::int32_t Index) {
    entries_->Delete(Index);
}

std::int32_t TKsrAlarms::GetAlarmCount() const {
    return entries_->Count();
}

void TKsrAlarms::GetAlarm(std::int32_t Index, TAlarm& Alarm) const {
    if (Index >= entries_->Count())
        throw Exception(LoadResString(kStrAlarmNumber) + IntToStr(Index) +
                        LoadResString(kStrIndexOutOfBounds));
    // A negative index is left to the list's own range check.
    const std::string& entry = entries_->Get(Index);
    std::size_t bar = entry.find('|');
    if (bar == std::string::npos) {
        Alarm.Name = entry;
        Alarm.DateTime = StrToDateTime(std::string());
        return;
    }
    Alarm.Name = entry.substr(bar + 1);
    Alarm.DateTime = StrToDateTime(entry.substr(0, bar));
}

void KsrAlarmsUnitStart() {
    SchedulerAlarms = new TKsrAlarms(nullptr);
    LoadSchedules();
}

void KsrAlarmsUnitStop() {
    delete SchedulerAlarms;
    SchedulerAlarms = nullptr;
}
