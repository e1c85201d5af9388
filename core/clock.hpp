// Wall-clock stamps written to the console and to the data files.
#pragma once

#include <string>

namespace jj {

// Local time of day, "hh:mm:ss" on the 24-hour clock.
std::string time_stamp();

// Local date, "mm/dd/yy".
std::string date_stamp();

}  // namespace jj
