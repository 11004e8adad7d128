#include "engine/PackedFileTime.h"

#include <ctime>

namespace brellow {

int32_t PackDosDateTime(int64_t localSeconds)
{
    const std::time_t seconds = static_cast<std::time_t>(localSeconds);
    std::tm parts{};
    if (::gmtime_r(&seconds, &parts) == nullptr)
        return -1;
    const int year = parts.tm_year + 1900;
    if (year < 1980 || year > 2107)
        return -1;
    const uint32_t packed = static_cast<uint32_t>(year - 1980) << 25 | static_cast<uint32_t>(parts.tm_mon + 1) << 21 |
                            static_cast<uint32_t>(parts.tm_mday) << 16 | static_cast<uint32_t>(parts.tm_hour) << 11 |
                            static_cast<uint32_t>(parts.tm_min) << 5 | static_cast<uint32_t>(parts.tm_sec / 2);
    return static_cast<int32_t>(packed);
}

int32_t PackedFileTime(FileRef file)
{
    const FileStatus status = QueryFile(file);
    if (status.kind != FileKind::Regular)
        return -1;
    return PackDosDateTime(status.writeTime + CurrentUtcOffset());
}

int64_t TimeSlot(int64_t localSeconds)
{
    // Rounded down also before 1970.
    return localSeconds >= 0 ? localSeconds / 2 : -((1 - localSeconds) / 2);
}

bool IsSourceNewer(FileRef source, FileRef destination)
{
    const FileStatus sourceStatus = QueryFile(source);
    if (sourceStatus.kind != FileKind::Regular)
        return false;
    const FileStatus destinationStatus = QueryFile(destination);
    if (destinationStatus.kind != FileKind::Regular)
        return true;
    const int64_t offset = CurrentUtcOffset();
    return TimeSlot(destinationStatus.writeTime + offset) < TimeSlot(sourceStatus.writeTime + offset);
}

}  // namespace brellow
