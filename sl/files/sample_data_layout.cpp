#include "sl/files/sample_data_layout.h"

#include <cmath>

namespace SL {

bool IsUsableSampleRate(double rate) {
    return std::isnormal(rate) && rate > 0;
}

} // namespace SL
