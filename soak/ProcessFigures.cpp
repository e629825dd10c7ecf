#include "soak/ProcessFigures.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace soak {
namespace {

// The handle table of the whole system, as ntdll reports it: a count, then
// one entry per open handle with the owning process's identifier.
struct SystemHandleEntry {
    ULONG OwnerProcessId;
    BYTE ObjectType;
    BYTE Flags;
    USHORT Value;
    PVOID Object;
    ULONG Access;
};
struct SystemHandleTable {
    ULONG Count;
    SystemHandleEntry Entries[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

// Where GetProcessHandleCount answers nothing for another process (Wine),
// the system's handle table still tells; -1 when that fails too.
long CountHandlesInSystemTable(DWORD processId) {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const auto query = ntdll == nullptr
                           ? nullptr
                           : reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
                                 GetProcAddress(ntdll, "NtQuerySystemInformation")));
    if (query == nullptr)
        return -1;
    std::vector<unsigned char> buffer(1 << 16);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(),
                                  static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch && buffer.size() < (1u << 28)) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed));
            continue;
        }
        if (status < 0)
            return -1;
        break;
    }
    const auto* table = reinterpret_cast<const SystemHandleTable*>(buffer.data());
    long count = 0;
    for (ULONG i = 0; i < table->Count; ++i)
        if (table->Entries[i].OwnerProcessId == processId)
            ++count;
    return count;
}

struct WindowCount {
    DWORD ProcessId;
    DWORD Count;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM lParam) noexcept {
    auto* counted = reinterpret_cast<WindowCount*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == counted->ProcessId)
        ++counted->Count;
    return TRUE;
}

ULONGLONG Ticks(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Owns one process handle for the length of one reading.
class ProcessHandle {
  public:
    explicit ProcessHandle(DWORD processId)
        : handle_(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId)) {}
    ~ProcessHandle() {
        if (handle_ != nullptr)
            CloseHandle(handle_);
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;

    HANDLE Get() const { return handle_; }

  private:
    HANDLE handle_;
};

} // namespace

ProcessFigures ReadFigures(DWORD processId) {
    ProcessFigures figures;
    const ProcessHandle process(processId);
    if (process.Get() == nullptr)
        return figures;
    figures.Opened = true;
    figures.HandleCountAnswered = GetProcessHandleCount(process.Get(), &figures.Handles) != 0;
    figures.TableHandles = CountHandlesInSystemTable(processId);
    WindowCount windows{processId, 0};
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&windows));
    figures.TopLevelWindows = windows.Count;
    figures.UserObjects = GetGuiResources(process.Get(), GR_USEROBJECTS);
    figures.GdiObjects = GetGuiResources(process.Get(), GR_GDIOBJECTS);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process.Get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory)) {
        figures.PrivateBytes = memory.PrivateUsage;
        figures.WorkingSet = memory.WorkingSetSize;
    }
    FILETIME created, ended, kernel, user;
    if (GetProcessTimes(process.Get(), &created, &ended, &kernel, &user)) {
        figures.UserTime = Ticks(user);
        figures.KernelTime = Ticks(kernel);
    }
    return figures;
}

std::string FormatFigures(const ProcessFigures& figures, const std::string& prefix) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "%sopened=%d\n%shandle_count_answered=%d\n%shandles=%lu\n%stable_handles=%ld\n"
                  "%swindows=%lu\n%suser_objects=%lu\n%sgdi_objects=%lu\n"
                  "%sprivate_bytes=%llu\n%sworking_set=%llu\n%scpu_100ns=%llu\n",
                  prefix.c_str(), figures.Opened ? 1 : 0, prefix.c_str(),
                  figures.HandleCountAnswered ? 1 : 0, prefix.c_str(),
                  static_cast<unsigned long>(figures.Handles), prefix.c_str(), figures.TableHandles,
                  prefix.c_str(), static_cast<unsigned long>(figures.TopLevelWindows),
                  prefix.c_str(), static_cast<unsigned long>(figures.UserObjects), prefix.c_str(),
                  static_cast<unsigned long>(figures.GdiObjects), prefix.c_str(),
                  static_cast<unsigned long long>(figures.PrivateBytes), prefix.c_str(),
                  static_cast<unsigned long long>(figures.WorkingSet), prefix.c_str(),
                  figures.UserTime + figures.KernelTime);
    return text;
}

} // namespace soak
