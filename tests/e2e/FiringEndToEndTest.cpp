// Scheduled jobs fire for real: the schedule slots are written to the
// registry, the real VelmoraScheduler.exe of this build folder keeps time with
// its own timer and message loop, and hands each job to the stand-in main
// application (Velmora.exe beside it), which logs every WM_COPYDATA with a
// millisecond stamp. Each firing is checked against its due second, and the
// delays are reported.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/E2eSupport.h"

namespace {

using e2e::kSecond;
using e2e::kSlots;
using e2e::Ms;
using e2e::Now;
using e2e::ToMs;
using e2e::ToSystemTime;
constexpr Ms kMinute = 60 * kSecond;
constexpr Ms kNoLimit = INT64_MAX;

// A free thread ticks within 500 ms of the second; Wine on a busy machine,
// with other suites running beside, is given three times that.
constexpr Ms kToleranceMs = 1500;
// Moments one after the other across the slots; more than the tolerance, so
// the log's order is the order of the moments.
constexpr Ms kSpacing = 2 * kSecond;
// The least time between arming a slot and its moment.
constexpr Ms kLead = 1500;
// How long past the tolerance a missing firing is awaited before giving up.
constexpr Ms kGrace = 3 * kSecond;
constexpr std::size_t kMinFirings = 20;

using e2e::kAppletClass;
using e2e::kMainClass;
using e2e::kMainTitle;
constexpr const char* kSwitches[] = {"/s_j", "/s_b", "/s_d"};

Ms SecondOf(Ms ms) {
    return ms - ms % kSecond;
}

std::string Printed(const char* format, unsigned a, unsigned b, unsigned c) {
    char text[32];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// The en-US forms the applet reads: short date M/d/yyyy, long time h:mm:ss tt.
std::string Date(const SYSTEMTIME& t) {
    return Printed("%u/%u/%u", t.wMonth, t.wDay, t.wYear);
}

std::string Time12(const SYSTEMTIME& t) {
    return Printed("%u:%02u:%02u", t.wHour % 12 == 0 ? 12u : t.wHour % 12u, t.wMinute, t.wSecond) +
           (t.wHour < 12 ? " AM" : " PM");
}

std::string Time24(const SYSTEMTIME& t) {
    return Printed("%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond);
}

std::string Stamp(Ms ms) {
    const SYSTEMTIME t = ToSystemTime(ms);
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u.%03u", t.wHour, t.wMinute, t.wSecond,
                  t.wMilliseconds);
    return text;
}

std::string Locale(LCTYPE what) {
    char text[80] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, what, text, sizeof text);
    return text;
}

// The schedule kinds that name a moment; each makes its parameter text for
// the due moment. They take turns, so every form is fired again and again.
struct DateKind {
    const char* name;
    DWORD type;
    std::string (*params)(const SYSTEMTIME& due);
};

const DateKind kDateKinds[] = {
    {"date and time", 2, [](const SYSTEMTIME& d) { return Date(d) + " " + Time12(d); }},
    {"weekday, 12-hour time", 3,
     [](const SYSTEMTIME& d) { return std::to_string(d.wDayOfWeek) + "|" + Time12(d); }},
    {"day of month, 24-hour time", 4,
     [](const SYSTEMTIME& d) { return std::to_string(d.wDay) + "|" + Time24(d); }},
    {"date and time after a bar", 2,
     [](const SYSTEMTIME& d) { return "|" + Date(d) + " " + Time12(d); }},
    {"weekday, 24-hour time", 3,
     [](const SYSTEMTIME& d) { return std::to_string(d.wDayOfWeek) + "|" + Time24(d); }},
    {"day of month, 12-hour time", 4,
     [](const SYSTEMTIME& d) { return std::to_string(d.wDay) + "|" + Time12(d); }},
};
constexpr std::size_t kDateKindCount = sizeof kDateKinds / sizeof kDateKinds[0];

struct Firing {
    std::string kind;
    int slot;
    Ms due;
    // A later second that is due instead when the applet's rebuild may have
    // fallen into it; otherwise the same as due.
    Ms dueAtLatest;
};

struct Fired {
    Ms logged;
    Ms delay;
};

class FiringEndToEnd : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(Locale(LOCALE_SSHORTDATE), "M/d/yyyy") << "run with LC_ALL=en_US.UTF-8";
        ASSERT_EQ(Locale(LOCALE_STIMEFORMAT), "h:mm:ss tt") << "run with LC_ALL=en_US.UTF-8";
        CloseLeftovers();
        e2e::ClearSlots();
        log_ = e2e::UseStandInLog("e2e-firing.log");
    }

    void TearDown() override {
        CloseApplet();
        CloseStandIn();
        e2e::ClearSlots();
        // A failed run keeps its log for the reader.
        if (!HasFailure())
            DeleteFileA(log_.c_str());
    }

    // The stand-in's main window first, so that every job goes to it by
    // WM_COPYDATA; then the applet, with no slot set.
    void StartPrograms() {
        standIn_ = std::make_unique<e2e::Program>(e2e::StandInPath());
        ASSERT_TRUE(standIn_->Started());
        mainWindow_ = standIn_->WaitForWindow(kMainClass);
        ASSERT_NE(mainWindow_, nullptr) << "the stand-in opened no main window";
        ASSERT_EQ(FindWindowA(kMainClass, kMainTitle), mainWindow_);
        applet_ = std::make_unique<e2e::Program>(e2e::AppletPath());
        ASSERT_TRUE(applet_->Started());
        appletWindow_ = applet_->WaitForWindow(kAppletClass);
        ASSERT_NE(appletWindow_, nullptr) << "the applet opened no window";
        // A reload request that gets in while the window is still being made
        // (adding the tray icon waits on another process) comes before
        // scheduling is switched on, and leaves the alarms off.
        ASSERT_TRUE(applet_->WaitForInputIdle()) << "the applet did not reach its message loop";
    }

    std::vector<std::string> CopyDataLines() const { return e2e::LogLinesWith(log_, " copydata "); }

    // The next job the stand-in logs must be this slot's, stamped within its
    // due second plus the tolerance.
    void ExpectFiring(const Firing& firing) {
        const std::string what =
            firing.kind + " in slot " + std::to_string(firing.slot) + ", due " + Stamp(firing.due);
        std::vector<std::string> lines;
        const bool came = e2e::WaitFor(
            [&] {
                lines = CopyDataLines();
                return lines.size() > consumed_;
            },
            e2e::Until(firing.dueAtLatest + kToleranceMs + kGrace));
        ASSERT_TRUE(came) << what << ": no job reached the main application by " << Stamp(Now());
        const std::string line = lines[consumed_++];

        Ms logged = 0;
        ASSERT_TRUE(e2e::LoggedAt(line, logged)) << "no stamp: " << line;
        const std::string job =
            "dwData=0 cbData=5 bytes=[" + std::string(kSwitches[firing.slot]) + "\\0]";
        ASSERT_NE(line.find(job), std::string::npos)
            << what << ": expected the job " << kSwitches[firing.slot] << ", got " << line;

        const Ms due = logged >= firing.dueAtLatest ? firing.dueAtLatest : firing.due;
        const Ms delay = logged - due;
        EXPECT_GE(delay, 0) << what << ": fired before its second, at " << Stamp(logged);
        EXPECT_LE(delay, kToleranceMs) << what << ": fired late, at " << Stamp(logged);
        fired_.push_back({logged, delay});
        std::cout << "  " << what << ": logged " << Stamp(logged) << ", after " << delay << " ms\n";
    }

    // Arms the slots in turn with moments kSpacing apart, each of the next
    // date kind, and checks each firing; until `wanted` have fired or no moment
    // before notAfter remains. Each slot is armed again once it has fired.
    void FireDateKinds(Ms notAfter, std::size_t wanted) {
        std::deque<Firing> pending;
        bool busy[kSlots] = {};
        std::size_t armed = 0;
        Ms next = 0;
        for (;;) {
            bool changed = false;
            for (int slot = 0; slot < kSlots && armed < wanted; ++slot) {
                if (busy[slot])
                    continue;
                const Ms now = Now();
                next = std::max(next + kSpacing, SecondOf(now + kLead) + kSecond);
                if (next > notAfter)
                    break;
                const SYSTEMTIME due = ToSystemTime(next);
                const DateKind* kind = &kDateKinds[nextKind_++ % kDateKindCount];
                // Weekday and day-of-month alarms are computed in the day of
                // the rebuild; a moment after midnight is written in full.
                if (kind->type != 2 && due.wDay != ToSystemTime(now).wDay)
                    kind = &kDateKinds[0];
                ASSERT_NO_FATAL_FAILURE(e2e::WriteSlot(slot, kind->type, kind->params(due)));
                pending.push_back({kind->name, slot, next, next});
                busy[slot] = true;
                ++armed;
                changed = true;
            }
            if (changed) {
                ASSERT_NO_FATAL_FAILURE(e2e::Reload(appletWindow_));
            }
            if (pending.empty())
                return;
            ASSERT_NO_FATAL_FAILURE(ExpectFiring(pending.front()));
            busy[pending.front().slot] = false;
            pending.pop_front();
        }
    }

    void CloseApplet() {
        if (!applet_ || !applet_->Running())
            return;
        PostMessageA(appletWindow_, WM_CLOSE, 0, 0);
        EXPECT_EQ(applet_->WaitForExit(), 0u) << "the applet did not end cleanly";
    }

    void CloseStandIn() {
        if (!standIn_ || !standIn_->Running())
            return;
        PostMessageA(mainWindow_, WM_CLOSE, 0, 0);
        standIn_->WaitForExit();
    }

    // Programs that an aborted earlier run left behind in this prefix.
    static void CloseLeftovers() {
        for (const char* windowClass : {kAppletClass, kMainClass})
            e2e::ClosePrograms(windowClass);
    }

    void ReportLatency() {
        std::vector<Ms> delays;
        for (const Fired& f : fired_)
            delays.push_back(f.delay);
        std::sort(delays.begin(), delays.end());
        const std::size_t n = delays.size();
        const Ms median = n % 2 ? delays[n / 2] : (delays[n / 2 - 1] + delays[n / 2]) / 2;
        std::cout << "firing latency over " << n << " firings: median " << median << " ms, max "
                  << delays.back() << " ms (log stamp minus the start of the due second)\n";
        RecordProperty("latency_firings", static_cast<int>(n));
        RecordProperty("latency_median_ms", static_cast<int>(median));
        RecordProperty("latency_max_ms", static_cast<int>(delays.back()));
    }

    std::unique_ptr<e2e::Program> standIn_;
    std::unique_ptr<e2e::Program> applet_;
    HWND mainWindow_ = nullptr;
    HWND appletWindow_ = nullptr;
    std::string log_;
    std::size_t consumed_ = 0;
    std::size_t nextKind_ = 0;
    std::vector<Fired> fired_;
};

// The first minute boundary from `earliest` on whose minute is not 0: a
// minute-of-hour alarm is computed in the hour of the rebuild, so minute 0 of
// the next hour cannot be armed ahead.
Ms MinuteBoundary(Ms earliest) {
    Ms boundary = earliest + (kMinute - earliest % kMinute) % kMinute;
    if (ToSystemTime(boundary).wMinute == 0)
        boundary += kMinute;
    return boundary;
}

TEST_F(FiringEndToEnd, EachKindFiresOnceAtItsSecond) {
    ASSERT_NO_FATAL_FAILURE(StartPrograms());
    const Ms start = Now();

    // An interval slot counts from the latest rebuild, and every firing
    // rebuilds; so the minute-of-hour slot fires first, at the boundary, and
    // the interval one minute after that firing. Until the boundary the date
    // kinds fire in the slots, to gather delays.
    const Ms boundary = MinuteBoundary(start + 8 * kSecond);
    std::cout << "date kinds until the minute boundary " << Stamp(boundary) << ":\n";
    ASSERT_NO_FATAL_FAILURE(FireDateKinds(boundary - 4 * kSecond, SIZE_MAX));

    const SYSTEMTIME armed = ToSystemTime(Now());
    ASSERT_LE(ToMs(armed), boundary - kLead) << "too late to arm the minute of the hour";
    ASSERT_EQ(armed.wHour, ToSystemTime(boundary).wHour)
        << "armed in another hour than " << Stamp(boundary);
    ASSERT_NO_FATAL_FAILURE(e2e::WriteSlot(0, 0, "1"));
    ASSERT_NO_FATAL_FAILURE(e2e::WriteSlot(1, 1, std::to_string(ToSystemTime(boundary).wMinute)));
    e2e::ClearSlot(2);
    ASSERT_NO_FATAL_FAILURE(e2e::Reload(appletWindow_));
    std::cout << "minute of the hour, then the interval of one minute:\n";
    ASSERT_NO_FATAL_FAILURE(ExpectFiring({"minute of the hour", 1, boundary, boundary}));

    // The rebuild follows the logged hand-off within milliseconds; near the
    // end of a second it may fall into the next.
    const Ms rebuilt = fired_.back().logged;
    ASSERT_NO_FATAL_FAILURE(ExpectFiring({"interval of one minute", 0, SecondOf(rebuilt) + kMinute,
                                          SecondOf(rebuilt + 100) + kMinute}));

    e2e::ClearSlots();
    const std::size_t uncovered = kDateKindCount - std::min(nextKind_, kDateKindCount);
    const std::size_t missing = kMinFirings - std::min(fired_.size(), kMinFirings);
    if (uncovered + missing > 0) {
        std::cout << "more date kinds:\n";
        ASSERT_NO_FATAL_FAILURE(FireDateKinds(kNoLimit, std::max(uncovered, missing)));
    }

    // Every job the stand-in got was one of those checked: none twice.
    CloseApplet();
    EXPECT_EQ(CopyDataLines().size(), consumed_) << "jobs beyond the expected ones";
    std::cout << "took " << (Now() - start) / kSecond << " s\n";
    ReportLatency();
}

} // namespace
