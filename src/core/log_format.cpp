#include "core/log_format.h"

#include "core/text.h"
#include <algorithm>
#include <cctype>
#include <cstdio>

namespace core {

std::string DatedLogFileName(const std::string& logFilePath, const platform::LocalTime& date) {
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "_%04d%02d%02d", date.year, date.month, date.day);
    size_t nameStart = logFilePath.find_last_of("/\\");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t dot = logFilePath.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return logFilePath + stamp + ".txt";
    return logFilePath.substr(0, dot) + stamp + logFilePath.substr(dot);
}

std::string LogTimeStamp(const platform::LocalTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.hundredths);
    return buf;
}

bool IsAlwaysLogged(const std::string& text) {
    std::string upper = Upper(text.substr(0, 8));
    return upper.rfind("ERROR:", 0) == 0 || upper.rfind("WARNING:", 0) == 0;
}

std::string FormatLogEntry(const std::string& text, const std::string& stamp, bool timeStamps) {
    if (timeStamps) return stamp + "  " + text;
    std::string upper = Upper(text.substr(0, 8));
    if (upper.rfind("ERROR:", 0) == 0) return text.substr(0, 6) + " " + stamp + "  " + TrimSpace(text.substr(6));
    if (upper.rfind("WARNING:", 0) == 0) {
        return text.substr(0, 7) + " " + stamp + "  " + TrimSpace(text.substr(8));
    }
    return text;
}

}  // namespace core
