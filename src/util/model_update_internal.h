// What the model update needs from the customer defaults.
#ifndef CVSTV_UTIL_MODEL_UPDATE_INTERNAL_H
#define CVSTV_UTIL_MODEL_UPDATE_INTERNAL_H

namespace cvstv {

// Does the customer default "CV_Load_ZOLT_Data" of the wizard type read
// as 1? False when it is not answered.
bool load_zolt_data(int wizard_type);

} // namespace cvstv

#endif
