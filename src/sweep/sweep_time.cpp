#include "sweep/sweep_time.h"

namespace orbilan::sweep {

float AdcConversionMs(int adcType, int adcMode, float currentMs)
{
    if (adcType != 2440)
        return currentMs;
    float rateHz = 0;
    switch (adcMode) {
    case 0: rateHz = 880; break;
    case 1: rateHz = 3520; break;
    case 2: rateHz = 1760; break;
    case 3: rateHz = 880; break;
    case 4: rateHz = 440; break;
    case 5: rateHz = 220; break;
    case 6: rateHz = 110; break;
    case 7: rateHz = 55; break;
    case 8: rateHz = 27.5f; break;
    case 9: rateHz = 13.75f; break;
    case 15: rateHz = 6.875f; break;
    default: return currentMs;
    }
    return 1000.0f / rateHz;
}

float PointTimeS(int adcWaitMs, float adcConvMs, float readOverheadMs, int adcAverages)
{
    const float perPointMs = 2.0f * (static_cast<float>(adcWaitMs) + adcConvMs + readOverheadMs)
                             * static_cast<float>(adcAverages);
    return perPointMs / 1000.0f;
}

float SweepTimeS(int points, float pointTimeS, bool cds)
{
    if (cds)
        return 2.0f * pointTimeS * static_cast<float>(points);
    return static_cast<float>(points) * pointTimeS;
}

} // namespace orbilan::sweep
