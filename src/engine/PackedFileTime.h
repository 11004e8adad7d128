#pragma once

#include <cstdint>

#include "platform/FileSystem.h"

namespace brellow {

// A local time (seconds counted like universal time) packed as an MS-DOS date and time:
// year-1980 in bits 31-25, month 24-21, day 20-16, hour 15-11, minute 10-5, seconds/2 4-0.
// Times from 2044 on set the top bit and are negative; times before 1980 or after 2107
// cannot be packed and give -1.
int32_t PackDosDateTime(int64_t localSeconds);

// A file's last-write time as local packed time, shifted by the UTC offset in force now
// (not the one in force at the file's time). -1 when the file is missing or cannot be
// queried, is a folder or no regular file, or its time cannot be packed.
int32_t PackedFileTime(FileRef file);

// The two-second slot of a local time (seconds counted like universal time): the packed
// time's resolution, for any year.
int64_t TimeSlot(int64_t localSeconds);

// True when the source is a readable file and the destination is missing (or no regular
// file), or the source's last-write time lies in a later two-second slot of local time.
// Between 1980 and 2043 that is exactly the packed comparison; outside those years it is the
// true order, which the signed packed value gets wrong. The source is queried first.
bool IsSourceNewer(FileRef source, FileRef destination);

}  // namespace brellow
