#include "ProcessOwner.h"

#include <string>

#include "SystemCalls.h"
#include "Utf.h"

namespace mirado {
namespace {

std::uint64_t Ticks(const FILETIME& time) { return std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime; }

std::uint64_t HostHash(SystemCalls& calls) {
    wchar_t name[256];
    DWORD size = static_cast<DWORD>(std::size(name));
    if (!calls.ComputerName(name, &size)) return 0;
    return HashOfText(ToUtf8(std::u16string(name, name + size)));
}

}  // namespace

const TemporaryOwner& ThisProcess() {
    // Facts of the process, read once with the real calls.
    static const TemporaryOwner self = [] {
        SystemCalls& calls = SystemCalls::Real();
        TemporaryOwner owner{HostHash(calls), ::GetCurrentProcessId(), 0};
        FILETIME created;
        if (calls.ProcessCreationTime(::GetCurrentProcess(), &created)) owner.start = Ticks(created);
        return owner;
    }();
    return self;
}

bool HasEnded(SystemCalls& calls, const TemporaryOwner& owner) {
    if (owner.process > MAXDWORD) return false;  // no id of this system: not ours to judge
    const HANDLE process = calls.OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, static_cast<DWORD>(owner.process));
    if (process == nullptr) return calls.LastError() == ERROR_INVALID_PARAMETER;  // no process has that id
    FILETIME created;
    DWORD code = 0;
    const bool ended = calls.ProcessCreationTime(process, &created) &&
                       (Ticks(created) != owner.start || (calls.ExitCode(process, &code) && code != STILL_ACTIVE));
    calls.Close(process);
    return ended;
}

}  // namespace mirado
