/*
 * number_text.h - the host's text form of a numeric value.
 */
#ifndef ORV_PLATFORM_NUMBER_TEXT_H
#define ORV_PLATFORM_NUMBER_TEXT_H

#include <string>

namespace orvhost {

/* The shortest text that reads back to the same double; missing values as
 * "." (ordinary and any other NaN), "._" and ".A" to ".Z". */
std::string numberText(double value);

}  // namespace orvhost

#endif
