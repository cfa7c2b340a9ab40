// The steps of a customer-default request, shared by the dispatch
// (customer_defaults.cpp) and the Strivo settings workbook
// (strivo_settings.cpp), and visible to the white-box tests.
#ifndef CVSTV_PROJECT_CUSTOMER_DEFAULTS_INTERNAL_H
#define CVSTV_PROJECT_CUSTOMER_DEFAULTS_INTERNAL_H

#include <optional>
#include <string>
#include <string_view>

namespace cvstv::project {

// The key a wizard type's setting is held under: unchanged for 3; for 1, 2
// and 4 the application prefix ("CV_", "STV_" for 2) followed by what comes
// after the first "STV_" in the key, else after the first "CV_", else the
// whole key; for 4 upper-cased when it holds "CV_FG". nullopt for any other
// wizard type.
std::optional<std::string> map_key(int wizard_type, std::string_view key);

// Whether an upper-case key is one of the progressive die's keys that the
// host holds.
bool strivo_host_held(std::string_view upper_key);

// Text results longer than this are refused.
inline constexpr std::size_t text_value_size = 249;

// Writes a text value into the caller's buffer; false (nothing written, a
// system-log line) when it is longer than text_value_size.
bool store_text(std::string_view key, std::string_view text, void *value);

// The units of the work part (1 metric, 2 English), 0 when there is none.
int work_part_units();

// Answers a key from the Strivo settings workbook (the caller's key as
// given), with the status of CVSTVSHARE_get_customer_default.
int answer_from_strivo_settings(std::string_view key, int unit_mode, int kind, void *value);

} // namespace cvstv::project

#endif
