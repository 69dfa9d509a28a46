#pragma once

#include "ValidationContext.h"

namespace brazzle::validator
{
/** Audio through the plug-in: every sample rate and block size under random
    automation, a rate change without release, and blocks longer than announced. */
class ProcessingChecks
{
public:
    explicit ProcessingChecks (ValidationContext& context) : ctx (context) {}

    void run();

private:
    void checkSweep();
    void checkRateChangeWithoutRelease();
    void checkLongBlocks (double sampleRate, int announcedBlockSize);

    ValidationContext& ctx;
};
} // namespace brazzle::validator
