#include "DspTestHelpers.h"
#include "dsp/LogSmoothedValue.h"
#include "dsp/PoleSmoothedValue.h"

#include <gtest/gtest.h>

#include <limits>

using qv::LogSmoothedValue;
using qv::PoleSmoothedValue;

namespace
{
struct LandingCase
{
    float timeMs;
    double sampleRate;
    float from, to;
    int expectedSteps;
};

const LandingCase landingCases[] = {
    { 8.0f,  48000.0,  0.5f, 1.0f,    384 },
    { 8.0f,  192000.0, 1.0f, 0.25f,   1536 },
    { 20.0f, 44100.0,  1.0f, 63.0957f, 882 },
    { 50.0f, 176400.0, 2.0f, 0.001f,  8820 },
    { 10.0f, 96000.0,  0.3f, 0.7f,    960 },
};

void PrintTo (const LandingCase& c, std::ostream* os)
{
    *os << c.timeMs << " ms at " << c.sampleRate << " Hz from " << c.from << " to " << c.to;
}

class PoleLanding : public ::testing::TestWithParam<LandingCase> {};
class LogLanding : public ::testing::TestWithParam<LandingCase> {};
} // namespace

TEST_P (PoleLanding, ApproachesToOnePercentThenReturnsTargetBitForBit)
{
    const auto c = GetParam();
    PoleSmoothedValue<float> value (c.timeMs, c.from);
    value.reset (c.sampleRate);
    value.setTargetValue (c.to);

    ASSERT_EQ (value.getCountdown(), c.expectedSteps);

    float last = 0.0f;

    for (int i = 0; i < c.expectedSteps; ++i)
        last = value.getNextValue();

    const auto remaining = std::abs ((double) c.to - last) / std::abs ((double) c.to - c.from);
    EXPECT_NEAR (remaining, 0.01, 2.0e-4);
    EXPECT_NE (last, c.to);
    EXPECT_EQ (value.getCurrentValue(), c.to);
    EXPECT_FALSE (value.isSmoothing());

    for (int i = 0; i < 3; ++i)
        EXPECT_EQ (value.getNextValue(), c.to);
}

TEST_P (LogLanding, RampsWithEqualRatiosAndReturnsTargetOnLastStep)
{
    const auto c = GetParam();
    LogSmoothedValue<float> value (c.timeMs, c.from);
    value.reset (c.sampleRate);
    const auto start = value.getCurrentValue();
    value.setTargetValue (c.to);

    ASSERT_EQ (value.getCountdown(), c.expectedSteps);

    std::vector<float> values;

    for (int i = 0; i < c.expectedSteps; ++i)
        values.push_back (value.getNextValue());

    EXPECT_EQ (values.back(), c.to);
    EXPECT_FALSE (value.isSmoothing());
    EXPECT_EQ (value.getNextValue(), c.to);

    // Halfway through, the value is the geometric mean of the end points.
    const auto half = values[(size_t) c.expectedSteps / 2 - 1];
    EXPECT_NEAR (std::log (half), 0.5 * (std::log (start) + std::log (c.to)), 1.0e-3);
}

std::string landingName (const ::testing::TestParamInfo<LandingCase>& info)
{
    return std::to_string ((int) info.param.sampleRate) + "Hz_" + std::to_string (info.param.expectedSteps) + "steps";
}

INSTANTIATE_TEST_SUITE_P (Smoothing, PoleLanding, ::testing::ValuesIn (landingCases), landingName);
INSTANTIATE_TEST_SUITE_P (Smoothing, LogLanding, ::testing::ValuesIn (landingCases), landingName);

TEST (PoleSmoothedValue, TimeShorterThanOneSampleStillTakesOneStep)
{
    PoleSmoothedValue<float> value (0.01f, 0.0f);
    value.reset (48000.0);
    value.setTargetValue (1.0f);

    EXPECT_EQ (value.getCountdown(), 1);
    const auto first = value.getNextValue();
    EXPECT_NEAR (first, 1.0f, 0.01f);
    EXPECT_EQ (value.getNextValue(), 1.0f);
    EXPECT_EQ (value.getNextValue(), 1.0f);
}

TEST (LogSmoothedValue, RampShorterThanOneSampleJumpsAtOnce)
{
    LogSmoothedValue<float> value (0.01f, 1.0f);
    value.reset (48000.0);
    value.setTargetValue (3.0f);

    EXPECT_FALSE (value.isSmoothing());
    EXPECT_EQ (value.getNextValue(), 3.0f);
}

TEST (SmoothedValues, TargetChangeWithinEpsilonKeepsTheApproach)
{
    PoleSmoothedValue<float> pole (8.0f, 0.0f), poleTwin (8.0f, 0.0f);
    LogSmoothedValue<float> log (8.0f, 1.0f), logTwin (8.0f, 1.0f);

    for (auto* p : { &pole, &poleTwin }) { p->reset (48000.0); p->setTargetValue (0.5f); }
    for (auto* l : { &log, &logTwin })   { l->reset (48000.0); l->setTargetValue (0.5f); }

    for (int i = 0; i < 100; ++i)
    {
        pole.getNextValue(); poleTwin.getNextValue();
        log.getNextValue();  logTwin.getNextValue();
    }

    pole.setTargetValue (0.5f + 1.1920929e-7f);
    log.setTargetValue (0.5f - 1.1920929e-7f);

    EXPECT_EQ (pole.getCountdown(), poleTwin.getCountdown());
    EXPECT_EQ (log.getCountdown(), logTwin.getCountdown());

    for (int i = 0; i < 300; ++i)
    {
        ASSERT_EQ (pole.getNextValue(), poleTwin.getNextValue());
        ASSERT_EQ (log.getNextValue(), logTwin.getNextValue());
    }
}

TEST (SmoothedValues, NewTargetMidwayRestartsFromCurrentWithFullStepCount)
{
    PoleSmoothedValue<float> pole (8.0f, 0.0f);
    pole.reset (48000.0);
    pole.setTargetValue (1.0f);

    for (int i = 0; i < 100; ++i)
        pole.getNextValue();

    const auto reached = pole.getCurrentValue();
    pole.setTargetValue (0.0f);

    EXPECT_EQ (pole.getCountdown(), 384);
    EXPECT_LT (pole.getNextValue(), reached);
}

TEST (SmoothedValues, ResetEndsARampUnderWay)
{
    PoleSmoothedValue<float> pole (8.0f, 0.0f);
    LogSmoothedValue<float> log (8.0f, 1.0f);
    pole.reset (48000.0);
    log.reset (48000.0);
    pole.setTargetValue (1.0f);
    log.setTargetValue (4.0f);
    pole.getNextValue();
    log.getNextValue();

    pole.reset (96000.0);
    log.reset (96000.0);

    EXPECT_FALSE (pole.isSmoothing());
    EXPECT_FALSE (log.isSmoothing());
    EXPECT_EQ (pole.getCurrentValue(), 1.0f);
    EXPECT_EQ (log.getCurrentValue(), 4.0f);
    EXPECT_EQ (log.getNextValue(), 4.0f);
    EXPECT_EQ (log.getCurrentValue(), 4.0f);
}

namespace
{
struct UnsafeLogCase
{
    const char* name;
    float initial, target;
    float expectedTarget;
};

const float infinity = std::numeric_limits<float>::infinity();
const float nan = std::numeric_limits<float>::quiet_NaN();

const UnsafeLogCase unsafeLogCases[] = {
    { "positive to zero",        1.0f,     0.0f,     0.0f },
    { "positive to negative",    1.0f,    -0.5f,    -0.5f },
    { "zero to positive",        0.0f,     2.0f,     2.0f },
    { "negative to positive",   -2.0f,     3.0f,     3.0f },
    { "tiny to huge",            1.0e-38f, 1.0e38f,  1.0e38f },
    { "infinite target ignored", 1.0f,     infinity, 1.0f },
    { "NaN target ignored",      1.0f,     nan,      1.0f },
    { "reciprocal of zero gain", 1.0f,     1.0f / 0.0f, 1.0f },
};
} // namespace

TEST (LogSmoothedValue, NeverProducesNaNOrInfinity)
{
    for (const auto& c : unsafeLogCases)
    {
        SCOPED_TRACE (c.name);
        LogSmoothedValue<float> value (20.0f, c.initial);
        value.reset (48000.0);
        value.setTargetValue (c.target);

        float last = 0.0f;

        for (int i = 0; i < 2000; ++i)
        {
            last = value.getNextValue();
            ASSERT_TRUE (std::isfinite (last)) << "step " << i;
        }

        EXPECT_EQ (last, c.expectedTarget);
        EXPECT_EQ (value.getTargetValue(), c.expectedTarget);
    }
}

TEST (LogSmoothedValue, RampTowardsZeroFallsSmoothlyBeforeLanding)
{
    LogSmoothedValue<float> value (20.0f, 1.0f);
    value.reset (48000.0);
    value.setTargetValue (0.0f);

    auto previous = 1.0f;

    for (int i = 0; i < 959; ++i)
    {
        const auto v = value.getNextValue();
        ASSERT_LT (v, previous);
        ASSERT_GT (v, 0.0f);
        previous = v;
    }

    EXPECT_LT (previous, 1.0e-6f);
    EXPECT_EQ (value.getNextValue(), 0.0f);
}

//==============================================================================
namespace
{
template <typename Value>
void expectSharedGainPerSample (Value& value, Value& twin, int numChannels, int numSamples)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);
    brazzle::test::fillWithNoise (buffer, 7);
    juce::AudioBuffer<float> original (buffer);

    juce::dsp::AudioBlock<float> block (buffer);
    value.applyGain (block);

    for (int n = 0; n < numSamples; ++n)
    {
        const auto gain = twin.getNextValue();

        for (int channel = 0; channel < numChannels; ++channel)
            ASSERT_EQ (buffer.getSample (channel, n), original.getSample (channel, n) * gain)
                << "channel " << channel << ", sample " << n;
    }

    EXPECT_EQ (value.getCountdown(), twin.getCountdown());
    EXPECT_EQ (value.getCurrentValue(), twin.getCurrentValue());
}

struct GainBlockCase
{
    int numChannels, numSamples;
};

const GainBlockCase gainBlockCases[] = { { 1, 300 }, { 2, 100 }, { 2, 1000 }, { 3, 257 }, { 2, 5000 } };
} // namespace

TEST (SmoothedValues, ApplyGainGivesAllChannelsTheSameGainAndAdvancesOncePerSample)
{
    for (const auto& c : gainBlockCases)
    {
        SCOPED_TRACE (testing::Message() << c.numChannels << " x " << c.numSamples);

        PoleSmoothedValue<float> pole (20.0f, 0.1f), poleTwin (20.0f, 0.1f);
        LogSmoothedValue<float> log (20.0f, 0.1f), logTwin (20.0f, 0.1f);

        for (auto* p : { &pole, &poleTwin }) { p->reset (48000.0); p->setTargetValue (2.0f); }
        for (auto* l : { &log, &logTwin })   { l->reset (48000.0); l->setTargetValue (2.0f); }

        expectSharedGainPerSample (pole, poleTwin, c.numChannels, c.numSamples);
        expectSharedGainPerSample (log, logTwin, c.numChannels, c.numSamples);
    }
}

TEST (SmoothedValues, SettledApplyGainMultipliesByTarget)
{
    PoleSmoothedValue<float> value (8.0f, 0.75f);
    value.reset (48000.0);

    juce::AudioBuffer<float> buffer (2, 64);
    brazzle::test::fillWithNoise (buffer, 3);
    juce::AudioBuffer<float> original (buffer);

    juce::dsp::AudioBlock<float> block (buffer);
    value.applyGain (block);

    for (int channel = 0; channel < 2; ++channel)
        for (int n = 0; n < 64; ++n)
            ASSERT_EQ (buffer.getSample (channel, n), original.getSample (channel, n) * 0.75f);
}
