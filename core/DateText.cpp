#include "DateText.h"

#include <cstdio>

namespace mirado {

std::u16string DateTimeText(const LocalDateTime& value) {
    char text[48];
    const bool midnight = value.Hour == 0 && value.Minute == 0 && value.Second == 0;
    const int length =
        midnight ? std::snprintf(text, sizeof text, "%04d/%02d/%02d", value.Year, value.Month, value.Day)
                 : std::snprintf(text, sizeof text, "%04d/%02d/%02d %d:%02d:%02d", value.Year, value.Month,
                                 value.Day, value.Hour, value.Minute, value.Second);
    return std::u16string(text, text + (length > 0 ? length : 0));  // ASCII only
}

}  // namespace mirado
