#pragma once
// The program's version is a date: major = year, minor = month, revision =
// day. The build number counts days from 30 December 1899.

#include <string>

namespace app {

struct VersionDate {
    int year, month, day;
};

VersionDate ProgramVersion();
std::string BuildNumberOf(const VersionDate& v);
std::string BuildDateOf(const VersionDate& v);

}  // namespace app
