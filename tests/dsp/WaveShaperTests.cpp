#include "DspTestHelpers.h"
#include "dsp/WaveShaperHelpers.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
using Shaper = qv::WaveShaperHelpers::SingleChannelWaveShaper<float>;

constexpr float printedTolerance = 5.0e-7f;

struct CurveRow
{
    float x, tape, tube, crossover, log, sine;
};

// Single-precision results printed to six decimals.
const CurveRow curveTable[] = {
    {   0.0f,  0.0f,      -0.005950f,  0.0f,       0.0f,       0.0f },
    {   0.1f,  0.099668f,  0.139141f,  0.040275f,  0.361474f,  0.099833f },
    {  -0.1f, -0.099668f, -0.141004f,  0.0f,      -0.361474f, -0.099833f },
    {   0.5f,  0.462117f,  0.677268f,  0.505172f,  0.631833f,  0.479426f },
    {  -0.5f, -0.462117f, -0.526977f, -0.346797f, -0.631833f, -0.479426f },
    {   1.0f,  0.761594f,  0.956583f,  0.799633f,  0.747742f,  0.841471f },
    {  -1.0f, -0.761594f, -0.723976f, -0.715119f, -0.747742f, -0.841471f },
    {   2.0f,  0.964028f,  0.999942f,  0.970471f,  0.859229f,  0.909297f },
    {  10.0f,  1.000010f,  1.124779f,  1.000029f,  1.094378f,  0.544021f },
    { -10.0f, -1.000010f, -0.761594f, -1.000029f, -1.094378f, -0.544021f },
};

void PrintTo (const CurveRow& row, std::ostream* os)
{
    *os << "x = " << row.x;
}

class CurveTable : public ::testing::TestWithParam<CurveRow> {};
} // namespace

TEST_P (CurveTable, MatchesPrintedValues)
{
    const auto row = GetParam();

    EXPECT_EQ (Shaper::identity (row.x), row.x);
    EXPECT_NEAR (Shaper::tapeSaturate (row.x), row.tape, printedTolerance);
    EXPECT_NEAR (Shaper::tubeSaturate (row.x), row.tube, printedTolerance);
    EXPECT_NEAR (Shaper::crossoverSaturate (row.x), row.crossover, printedTolerance);
    EXPECT_NEAR (Shaper::logSaturate (row.x), row.log, printedTolerance);
    EXPECT_NEAR (Shaper::sinFoldback (row.x), row.sine, printedTolerance);
}

std::string curveRowName (const ::testing::TestParamInfo<CurveRow>& info)
{
    const auto x = info.param.x;
    auto text = juce::String (std::abs (x)).replaceCharacter ('.', '_');
    return ((x < 0.0f ? "minus" : "x") + text).toStdString();
}

INSTANTIATE_TEST_SUITE_P (WaveShaper, CurveTable, ::testing::ValuesIn (curveTable), curveRowName);

TEST (WaveShaperCurves, ExactZerosAndSpecialValues)
{
    EXPECT_EQ (Shaper::tapeSaturate (0.0f), 0.0f);
    EXPECT_EQ (Shaper::crossoverSaturate (0.0f), 0.0f);
    EXPECT_EQ (Shaper::crossoverSaturate (-0.05f), 0.0f);
    EXPECT_EQ (Shaper::crossoverSaturate (-0.1f), 0.0f);
    EXPECT_EQ (Shaper::logSaturate (0.0f), 0.0f);
    EXPECT_EQ (Shaper::sinFoldback (0.0f), 0.0f);

    EXPECT_NEAR (Shaper::tubeSaturate (0.0f), -0.00595f, 5.0e-6f);
    EXPECT_NEAR (Shaper::crossoverSaturate (0.05f), 0.011165f, printedTolerance);
    EXPECT_NEAR (Shaper::logSaturate (100.0f), 1.365206f, printedTolerance);
    EXPECT_NEAR (Shaper::logSaturate (1000.0f), 1.562437f, printedTolerance);
}

TEST (WaveShaperCurves, SaturationPlateaus)
{
    const auto tapeCeiling = juce::dsp::FastMathApproximations::tanh (5.0f);
    EXPECT_NEAR (tapeCeiling, 1.0000098f, printedTolerance);

    const auto tubeFloor = Shaper::tubeSaturate (-1.41f);
    const auto tubeCeiling = Shaper::tubeSaturate (5.0f);
    EXPECT_NEAR (tubeFloor, -0.7615942f, 1.0e-7f);
    EXPECT_NEAR (tubeCeiling, 1.1247795f, 1.0e-7f);

    for (const auto x : { 5.0f, 5.5f, 50.0f, 1.0e6f, std::numeric_limits<float>::max() })
    {
        EXPECT_EQ (Shaper::tapeSaturate (x), tapeCeiling) << x;
        EXPECT_EQ (Shaper::tapeSaturate (-x), -tapeCeiling) << x;
        EXPECT_EQ (Shaper::tubeSaturate (x), tubeCeiling) << x;
    }

    for (const auto x : { -1.41f, -1.5f, -10.0f, -1.0e9f })
        EXPECT_EQ (Shaper::tubeSaturate (x), tubeFloor) << x;

    const auto logCeiling = juce::dsp::FastMathApproximations::tanh (5.0f) * 1.96f;
    EXPECT_LT (Shaper::logSaturate (1.0e19f), logCeiling);
    EXPECT_EQ (Shaper::logSaturate (1.0e21f), logCeiling);
}

TEST (WaveShaperCurves, CrossoverChangesSignAroundItsZeros)
{
    for (auto x = -0.099f; x < -0.051f; x += 0.002f)
        EXPECT_GT (Shaper::crossoverSaturate (x), 0.0f) << x;

    for (auto x = -0.049f; x < -0.001f; x += 0.002f)
        EXPECT_LT (Shaper::crossoverSaturate (x), 0.0f) << x;
}

TEST (WaveShaperCurves, LogIsOddAndKeepsGrowing)
{
    auto previous = 0.0f;

    for (auto x = 0.001f; x < 5000.0f; x *= 1.5f)
    {
        const auto y = Shaper::logSaturate (x);
        EXPECT_EQ (Shaper::logSaturate (-x), -y) << x;
        EXPECT_GT (y, previous) << x;
        previous = y;
    }
}

TEST (WaveShaperCurves, IdentityKeepsSignedZeros)
{
    EXPECT_TRUE (std::signbit (Shaper::identity (-0.0f)));
    EXPECT_FALSE (std::signbit (Shaper::identity (0.0f)));
}

//==============================================================================
namespace
{
float repeatedFold (float x)
{
    while (x > 3.1415927f)
        x = x - 3.1415927f;

    while (x < -3.1415927f)
        x = x + 3.1415927f;

    return juce::dsp::FastMathApproximations::sin (x);
}
} // namespace

TEST (SinFoldback, FoldsByHalfPeriodsKeepingTheSign)
{
    EXPECT_NEAR (Shaper::sinFoldback (3.1415927f), 0.0f, 2.0e-5f);
    EXPECT_GT (Shaper::sinFoldback (3.1415927f + 0.001f), 0.0f);
    EXPECT_NEAR (Shaper::sinFoldback (3.1415927f + 0.001f), 0.001f, 1.0e-4f);
    EXPECT_LT (Shaper::sinFoldback (-3.1415927f - 0.001f), 0.0f);

    for (auto x = 0.05f; x < 40.0f; x += 0.37f)
    {
        EXPECT_GE (Shaper::sinFoldback (x), 0.0f) << x;
        EXPECT_LE (Shaper::sinFoldback (-x), 0.0f) << x;
    }
}

TEST (SinFoldback, EqualsRepeatedSubtractionForOrdinaryInputs)
{
    juce::Random random (42);

    for (int i = 0; i < 20000; ++i)
    {
        const auto x = (random.nextFloat() * 2.0f - 1.0f) * 12000.0f;
        ASSERT_EQ (Shaper::sinFoldback (x), repeatedFold (x)) << x;
    }
}

TEST (SinFoldback, EndsForEveryInput)
{
    const auto infinity = std::numeric_limits<float>::infinity();

    struct Case { float x; bool expectNaN; };
    const Case cases[] = {
        { 6.7e7f, false }, { -6.7e7f, false }, { 1.0e9f, false }, { 3.0e38f, false },
        { std::numeric_limits<float>::max(), false }, { -std::numeric_limits<float>::max(), false },
        { infinity, false }, { -infinity, false },
        { 12868.0f, false }, { 12869.0f, false },
        { std::numeric_limits<float>::quiet_NaN(), true },
    };

    for (const auto& c : cases)
    {
        const auto y = Shaper::sinFoldback (c.x);

        if (c.expectNaN)
        {
            EXPECT_TRUE (std::isnan (y));
            continue;
        }

        EXPECT_TRUE (std::isfinite (y)) << c.x;
        EXPECT_LE (std::abs (y), 1.0f) << c.x;
        EXPECT_FALSE (y > 0.0f && c.x < 0.0f) << c.x;
        EXPECT_FALSE (y < 0.0f && c.x > 0.0f) << c.x;
    }

    EXPECT_EQ (Shaper::sinFoldback (infinity), 0.0f);
    EXPECT_EQ (Shaper::sinFoldback (-infinity), 0.0f);
}

//==============================================================================
namespace
{
void runShaper (Shaper& shaper, float input, int numSamples, std::vector<float>& out)
{
    std::vector<float> samples ((size_t) numSamples, input);
    shaper.process (samples.data(), samples.size());
    out.insert (out.end(), samples.begin(), samples.end());
}

void settleOnCurve (Shaper& shaper, int type)
{
    shaper.requestCurve (type);
    std::vector<float> ignored;
    runShaper (shaper, 0.0f, 12000, ignored);
}
} // namespace

TEST (SingleChannelWaveShaper, CurveChangeFadesOutSwitchesAtSilenceAndFadesIn)
{
    Shaper shaper;
    shaper.sampleRate = 192000.0f;
    settleOnCurve (shaper, 1);
    ASSERT_EQ (shaper.currentType, 1);
    ASSERT_EQ (shaper.fadeGain, 1.0f);

    shaper.requestCurve (3);

    const auto x = 0.3f;
    const auto oldCurve = Shaper::tapeSaturate (x);
    const auto newCurve = Shaper::crossoverSaturate (x);

    std::vector<float> out;
    runShaper (shaper, x, 2 * 5760 + 100, out);

    EXPECT_EQ (out[0], oldCurve);

    for (size_t n = 1; n < 5760; ++n)
    {
        ASSERT_LT (out[n], out[n - 1]) << n;
        ASSERT_GT (out[n], 0.0f) << n;
    }

    // The level is stepped down by repeated single-precision subtraction, which leaves the
    // last step a little short of 1/5760; the count of 5760 levels is what must hold.
    EXPECT_GT (out[5759], 0.5f * oldCurve / 5760.0f);
    EXPECT_LE (out[5759], oldCurve / 5760.0f);
    EXPECT_EQ (out[5760], 0.0f);
    EXPECT_EQ (out[5761], newCurve * (1.0f / 5760.0f));

    for (size_t n = 5762; n < 5761 + 5760; ++n)
        ASSERT_GT (out[n], out[n - 1]) << n;

    EXPECT_EQ (out[5761 + 5759], newCurve);
    EXPECT_EQ (out.back(), newCurve);
    EXPECT_EQ (shaper.currentType, 3);
    EXPECT_EQ (shaper.nextType, -1);
    EXPECT_EQ (shaper.fadeGain, 1.0f);
}

TEST (SingleChannelWaveShaper, RequestingTheCurveInUseDoesNotCancelAPendingSwitch)
{
    Shaper shaper;
    shaper.sampleRate = 48000.0f;
    settleOnCurve (shaper, 1);

    shaper.requestCurve (3);
    std::vector<float> out;
    runShaper (shaper, 0.5f, 100, out);

    shaper.requestCurve (1);
    EXPECT_EQ (shaper.nextType, 3);
    EXPECT_LT (shaper.fadeStep, 0.0f);

    runShaper (shaper, 0.5f, 1400, out);
    EXPECT_EQ (shaper.currentType, 3);
    EXPECT_GT (shaper.fadeStep, 0.0f);

    // A change during the rising half turns the fade round from the level reached.
    const auto reached = shaper.fadeGain;
    ASSERT_GT (reached, 0.0f);
    ASSERT_LT (reached, 1.0f);

    shaper.requestCurve (1);
    EXPECT_EQ (shaper.nextType, 1);
    runShaper (shaper, 0.5f, 1, out);
    EXPECT_LT (shaper.fadeGain, reached);
}
