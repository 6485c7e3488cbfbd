// The local time of day with milliseconds, "14:02:11.347", as the traffic
// log and vekx watch stamp their lines.
#ifndef VEKX_COMMON_TIME_OF_DAY_H
#define VEKX_COMMON_TIME_OF_DAY_H

#include <chrono>
#include <string>

namespace vekx_common {

std::string time_of_day(std::chrono::system_clock::time_point when);

}  // namespace vekx_common

#endif
