#!/usr/bin/env bash
# Fails when a deliverable imports a system function that Windows XP does not have: such a
# program or library would not even load there. The list holds the ones that slip in
# through runtimes and newer headers.
set -euo pipefail
vista_only='GetTickCount64|InitializeSRWLock|AcquireSRWLock|ReleaseSRWLock|TryAcquireSRWLock|InitializeConditionVariable|SleepConditionVariable|WakeConditionVariable|WakeAllConditionVariable|InitOnce|CreateEventEx|CreateMutexEx|CreateSemaphoreEx|FlsAlloc|FlsGetValue|FlsSetValue|FlsFree|GetFinalPathNameByHandle|GetThreadId|GetProcessId|QueryFullProcessImageName|CancelIoEx|RegDeleteTree|RegGetValue|RegSetKeyValue|RegDeleteKeyValue|ChangeWindowMessageFilter|SetProcessDPIAware|GetLocaleInfoEx|LCMapStringEx|CompareStringEx|GetUserDefaultLocaleName|GetDynamicTimeZoneInformation|Wow64DisableWow64FsRedirection|SHGetKnownFolderPath'
status=0
for binary in "$@"; do
    found=$(i686-w64-mingw32-objdump -p "$binary" | awk '/DLL Name:/ {inside=1; next} inside && NF >= 3 && $1 ~ /^[0-9a-f]+$/ {print $3}' \
            | grep -E "^($vista_only)[AW]?$" || true)
    if [ -n "$found" ]; then
        echo "$(basename "$binary") imports what Windows XP lacks: $(echo $found)"
        status=1
    else
        echo "$(basename "$binary"): no import that Windows XP lacks"
    fi
done
exit $status
