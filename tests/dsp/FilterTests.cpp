#include "DspTestHelpers.h"
#include "dsp/BiquadFilter.h"
#include "dsp/DCBlocker.h"
#include "dsp/FirstOrderAllpassCascade.h"
#include "dsp/LinkwitzRileyFilters.h"

#include <gtest/gtest.h>

using brazzle::test::makeSpec;

namespace
{
using Coefficients = juce::dsp::IIR::Coefficients<float>;

void expectSameCoefficients (const Coefficients& actual, const Coefficients& expected)
{
    ASSERT_EQ (actual.coefficients.size(), expected.coefficients.size());

    for (int i = 0; i < actual.coefficients.size(); ++i)
        EXPECT_EQ (actual.coefficients[i], expected.coefficients[i]) << "coefficient " << i;
}

struct RecipeCase
{
    int type;
    double sampleRate;
    float frequency, q, gain;
};

// Every case is compared bit for bit with the framework's own coefficient makers.
const RecipeCase recipeCases[] = {
    { 3, 48000.0,  1000.0f,  0.70710677f, 1.0f },
    { 3, 192000.0, 60.0f,    4.0f,        1.0f },
    { 4, 48000.0,  500.0f,   0.70710677f, 0.5011872f },
    { 4, 176400.0, 500.0f,   2.0f,        3.0f },
    { 4, 48000.0,  1.0f,     0.70710677f, 0.25f },
    { 5, 48000.0,  250.0f,   0.70710677f, 1.9952623f },
    { 5, 96000.0,  250.0f,   0.5f,        0.1f },
    { 6, 48000.0,  2500.0f,  0.70710677f, 0.5011872f },
    { 6, 192000.0, 2500.0f,  1.0f,        4.0f },
};

void PrintTo (const RecipeCase& c, std::ostream* os)
{
    *os << "type " << c.type << " at " << c.sampleRate << " Hz, f " << c.frequency << ", Q " << c.q << ", gain " << c.gain;
}

Coefficients::Ptr frameworkCoefficients (const RecipeCase& c)
{
    switch (c.type)
    {
        case 3:  return Coefficients::makeNotch (c.sampleRate, c.frequency, c.q);
        case 4:  return Coefficients::makePeakFilter (c.sampleRate, c.frequency, c.q, c.gain);
        case 5:  return Coefficients::makeLowShelf (c.sampleRate, c.frequency, c.q, c.gain);
        default: return Coefficients::makeHighShelf (c.sampleRate, c.frequency, c.q, c.gain);
    }
}

class BiquadRecipes : public ::testing::TestWithParam<RecipeCase> {};
} // namespace

TEST_P (BiquadRecipes, MatchTheFrameworkMakersBitForBit)
{
    const auto c = GetParam();
    qv::BiquadFilter<float> filter (c.type, c.frequency, c.q, c.gain);
    filter.prepare (makeSpec (c.sampleRate, 256, 2));

    for (auto* channel : filter.channels)
        expectSameCoefficients (*channel->coefficients, *frameworkCoefficients (c));
}

std::string recipeName (const ::testing::TestParamInfo<RecipeCase>& info)
{
    static const char* const types[] = { "", "", "", "Notch", "Peak", "LowShelf", "HighShelf" };
    return types[info.param.type] + std::to_string (info.index) + "_" + std::to_string ((int) info.param.sampleRate) + "Hz";
}

INSTANTIATE_TEST_SUITE_P (Filters, BiquadRecipes, ::testing::ValuesIn (recipeCases), recipeName);

TEST (BiquadFilter, PeakAndShelfFrequenciesBelowTwoHertzCountAsTwoHertz)
{
    for (const int type : { 4, 5, 6 })
    {
        qv::BiquadFilter<float> atOne (type, 1.0f, 0.7f, 2.0f), atTwo (type, 2.0f, 0.7f, 2.0f);
        atOne.prepare (makeSpec (48000.0, 64, 1));
        atTwo.prepare (makeSpec (48000.0, 64, 1));
        expectSameCoefficients (*atOne.channels[0]->coefficients, *atTwo.channels[0]->coefficients);
    }

    qv::BiquadFilter<float> notchAtOne (3, 1.0f, 0.7f, 1.0f), notchAtTwo (3, 2.0f, 0.7f, 1.0f);
    notchAtOne.prepare (makeSpec (48000.0, 64, 1));
    notchAtTwo.prepare (makeSpec (48000.0, 64, 1));
    EXPECT_NE (notchAtOne.channels[0]->coefficients->coefficients[0], notchAtTwo.channels[0]->coefficients->coefficients[0]);
}

TEST (BiquadFilter, PeakAndShelvesWithUnityGainAreFlat)
{
    for (const int type : { 4, 5, 6 })
    {
        qv::BiquadFilter<float> filter (type, 700.0f, 0.70710677f, 1.0f);
        filter.prepare (makeSpec (48000.0, 64, 1));

        for (double f = 20.0; f < 20000.0; f *= 1.3)
            EXPECT_NEAR (filter.channels[0]->coefficients->getMagnitudeForFrequency (f, 48000.0), 1.0, 1.0e-5) << type << " at " << f;
    }
}

TEST (BiquadFilter, StateVariableTypesFollowTheTopologyPreservingRecursion)
{
    struct Case { int type; double sampleRate; float frequency, q; };
    const Case cases[] = { { 0, 48000.0, 1000.0f, 0.70710677f }, { 1, 96000.0, 200.0f, 2.0f }, { 2, 44100.0, 5000.0f, 0.5f } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.type);
        qv::BiquadFilter<float> filter (c.type, c.frequency, c.q, 1.0f);
        filter.prepare (makeSpec (c.sampleRate, 512, 1));

        const auto& parameters = *filter.channels[0]->svf.parameters;
        const auto g = (float) std::tan (juce::MathConstants<double>::pi * c.frequency / c.sampleRate);
        const auto r2 = (float) (1.0 / c.q);
        EXPECT_EQ (parameters.g, g);
        EXPECT_EQ (parameters.R2, r2);
        EXPECT_NEAR (parameters.h, 1.0 / ((double) g * g + (double) r2 * g + 1.0), 1.0e-7);

        juce::AudioBuffer<float> buffer (1, 512);
        brazzle::test::fillWithNoise (buffer, 11);
        const auto input = buffer;
        juce::dsp::AudioBlock<float> block (buffer);
        filter.process (juce::dsp::ProcessContextReplacing<float> (block));

        float s1 = 0.0f, s2 = 0.0f;

        for (int n = 0; n < 512; ++n)
        {
            const auto x = input.getSample (0, n);
            const auto yHP = (x - s1 * parameters.R2 - s1 * parameters.g - s2) * parameters.h;
            const auto yBP = yHP * parameters.g + s1;
            s1 = yHP * parameters.g + yBP;
            const auto yLP = yBP * parameters.g + s2;
            s2 = yBP * parameters.g + yLP;

            const auto expected = c.type == 0 ? yLP : (c.type == 1 ? yHP : yBP);
            ASSERT_EQ (buffer.getSample (0, n), expected) << n;
        }
    }
}

TEST (BiquadFilter, GainGlideRecomputesEveryFourthSampleAndLandsAfter1536Samples)
{
    constexpr double sampleRate = 192000.0;
    qv::BiquadFilter<float> filter (4, 500.0f, 0.70710677f, 1.0f);
    filter.prepare (makeSpec (sampleRate, 4096, 1));

    filter.gain = 2.0f;
    filter.updateInternalParameters();

    auto& channel = *filter.channels[0];
    ASSERT_EQ (channel.gain.getCountdown(), 1536);

    // A reference built from the framework's filter, fed coefficients on the same schedule.
    qv::PoleSmoothedValue<float> gain (8.0f, 1.0f);
    gain.reset (sampleRate);
    gain.setTargetValue (2.0f);
    juce::dsp::IIR::Filter<float> reference (Coefficients::makePeakFilter (sampleRate, 500.0f, 0.70710677f, 1.0f));
    reference.reset();
    auto recompute = [&] { *reference.coefficients = *Coefficients::makePeakFilter (sampleRate, 500.0f, 0.70710677f, gain.getNextValue()); };

    juce::AudioBuffer<float> buffer (1, 1535);
    brazzle::test::fillWithNoise (buffer, 5);
    const auto input = buffer;
    juce::dsp::AudioBlock<float> block (buffer);
    filter.process (juce::dsp::ProcessContextReplacing<float> (block));

    recompute();
    int counter = 4;

    for (int n = 0; n < 1535; ++n)
    {
        ASSERT_EQ (buffer.getSample (0, n), reference.processSample (input.getSample (0, n))) << n;

        if (counter < 2) { recompute(); counter = 4; }
        else             { gain.getNextValue(); --counter; }
    }

    // The block start took one step and the 1535 samples the rest.
    EXPECT_FALSE (channel.gain.isSmoothing());
    EXPECT_EQ (channel.gain.getCurrentValue(), 2.0f);
}

TEST (BiquadFilter, UnchangedGainKeepsTheWholeBlockPath)
{
    qv::BiquadFilter<float> filter (5, 250.0f, 0.70710677f, 0.5f);
    filter.prepare (makeSpec (48000.0, 256, 2));

    filter.gain = 0.5f + 1.0e-7f;
    ASSERT_NE (filter.gain, 0.5f);
    filter.updateInternalParameters();
    EXPECT_FALSE (filter.channels[0]->gain.isSmoothing());

    const auto before = filter.channels[0]->coefficients->coefficients;
    juce::dsp::IIR::Filter<float> reference (new Coefficients (*filter.channels[0]->coefficients));
    reference.reset();

    juce::AudioBuffer<float> buffer (2, 256);
    brazzle::test::fillWithNoise (buffer, 9);
    const auto input = buffer;
    juce::dsp::AudioBlock<float> block (buffer);
    filter.process (juce::dsp::ProcessContextReplacing<float> (block));

    EXPECT_EQ (filter.channels[0]->coefficients->coefficients, before);

    for (int n = 0; n < 256; ++n)
        ASSERT_EQ (buffer.getSample (0, n), reference.processSample (input.getSample (0, n))) << n;
}

TEST (BiquadFilter, PrepareMatchesTheChannelCount)
{
    qv::BiquadFilter<float> filter (4, 500.0f, 0.7f, 1.0f);
    filter.prepare (makeSpec (48000.0, 64, 3));
    EXPECT_EQ (filter.channels.size(), 3);

    filter.prepare (makeSpec (48000.0, 64, 1));
    EXPECT_EQ (filter.channels.size(), 1);
}

//==============================================================================
namespace
{
using Cascade = qv::FirstOrderAllpassCascade<float>;
using ModulationSource = brazzle::test::FixedModulationSource<qv::ModulationSource<float>>;

/** The 32 sections written out plainly, for one channel with a constant coefficient. */
std::vector<float> referenceCascade (const float* input, int numSamples, const std::vector<float>& coefficients)
{
    std::vector<float> output ((size_t) numSamples);
    float state[32] = {};

    for (int n = 0; n < numSamples; ++n)
    {
        auto x = input[n];
        const auto a = coefficients[(size_t) n];

        for (auto& s : state)
        {
            const auto y = a * x + s;
            s = x - a * y;
            x = y;
        }

        output[(size_t) n] = x;
    }

    return output;
}

struct CascadeRig
{
    CascadeRig (int numChannels, int numSamples, int maximumBlockSize)
        : source (numChannels, numSamples)
    {
        cascade.subscriptions.add (new qv::ModulationSubscription<float> ("@mod/SignalFollower", &source));
        cascade.prepare (makeSpec (48000.0, maximumBlockSize, numChannels));
    }

    void publish (size_t offset, size_t length)
    {
        cascade.subscriptions[0]->block = source.getBlock().getSubBlock (offset, length);
    }

    ModulationSource source;
    Cascade cascade;
};
} // namespace

TEST (FirstOrderAllpassCascade, WithoutModulationIsA32SampleDelay)
{
    struct Case { float amount; float modulation; };
    const Case cases[] = { { 0.0f, 0.8f }, { 6.0f, 0.0f } };

    for (const auto& c : cases)
    {
        CascadeRig rig (2, 128, 128);
        rig.cascade.amount.setTargetValue (c.amount);
        rig.cascade.prepare (makeSpec (48000.0, 128, 2));
        juce::FloatVectorOperations::fill (rig.source.buffer.getWritePointer (0), c.modulation, 128);
        juce::FloatVectorOperations::fill (rig.source.buffer.getWritePointer (1), c.modulation, 128);
        rig.publish (0, 128);

        juce::AudioBuffer<float> buffer (2, 128);
        brazzle::test::fillWithNoise (buffer, 1);
        const auto input = buffer;
        juce::dsp::AudioBlock<float> block (buffer);
        rig.cascade.process (juce::dsp::ProcessContextReplacing<float> (block));

        for (int channel = 0; channel < 2; ++channel)
            for (int n = 0; n < 128; ++n)
                ASSERT_EQ (buffer.getSample (channel, n), n < 32 ? 0.0f : input.getSample (channel, n - 32));
    }
}

TEST (FirstOrderAllpassCascade, CoefficientIsAmountTimesModulationClippedTo097)
{
    struct Case { float amount, modulationLeft, modulationRight; };
    const Case cases[] = {
        { 6.0f, 1.0f, -1.0f },
        { 100.0f, 0.001f, -0.5f },
        { 0.5f, 0.5f, -0.3f },
        { -3.0f, 0.2f, 1.0e6f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.amount);
        CascadeRig rig (2, 300, 300);
        rig.cascade.amount.setTargetValue (c.amount);
        rig.cascade.prepare (makeSpec (48000.0, 300, 2));
        juce::FloatVectorOperations::fill (rig.source.buffer.getWritePointer (0), c.modulationLeft, 300);
        juce::FloatVectorOperations::fill (rig.source.buffer.getWritePointer (1), c.modulationRight, 300);
        rig.publish (0, 300);

        juce::AudioBuffer<float> buffer (2, 300);
        brazzle::test::fillWithNoise (buffer, 2);
        const auto input = buffer;
        juce::dsp::AudioBlock<float> block (buffer);
        rig.cascade.process (juce::dsp::ProcessContextReplacing<float> (block));

        const float modulation[] = { c.modulationLeft, c.modulationRight };

        for (int channel = 0; channel < 2; ++channel)
        {
            const auto a = juce::jlimit (-0.97f, 0.97f, c.amount * modulation[channel]);
            const auto expected = referenceCascade (input.getReadPointer (channel), 300, std::vector<float> (300, a));

            for (int n = 0; n < 300; ++n)
                ASSERT_EQ (buffer.getSample (channel, n), expected[(size_t) n]) << channel << ", " << n;
        }
    }
}

TEST (FirstOrderAllpassCascade, ChannelsAreIndependentWhateverTheirNumber)
{
    for (const int numChannels : { 1, 2, 3 })
    {
        CascadeRig rig (numChannels, 200, 200);
        rig.cascade.amount.setTargetValue (0.9f);
        rig.cascade.prepare (makeSpec (48000.0, 200, numChannels));
        brazzle::test::fillWithNoise (rig.source.buffer, 12, 1.0f);
        rig.publish (0, 200);

        juce::AudioBuffer<float> buffer (numChannels, 200);
        brazzle::test::fillWithNoise (buffer, 13);
        const auto input = buffer;
        juce::dsp::AudioBlock<float> block (buffer);
        rig.cascade.process (juce::dsp::ProcessContextReplacing<float> (block));

        for (int channel = 0; channel < numChannels; ++channel)
        {
            std::vector<float> coefficients (200);

            for (int n = 0; n < 200; ++n)
                coefficients[(size_t) n] = juce::jlimit (-0.97f, 0.97f, 0.9f * rig.source.buffer.getSample (channel, n));

            const auto expected = referenceCascade (input.getReadPointer (channel), 200, coefficients);

            for (int n = 0; n < 200; ++n)
                ASSERT_EQ (buffer.getSample (channel, n), expected[(size_t) n]) << numChannels << ": " << channel << ", " << n;
        }
    }
}

TEST (FirstOrderAllpassCascade, ResultDoesNotDependOnBlockSizeEvenBeyondThePreparedMaximum)
{
    constexpr int total = 300, maximum = 64;

    // Block sizes below, at and around the section count, and one whole block that is
    // longer than the prepared maximum.
    for (const int blockSize : { 1, 7, 31, 32, 33, 64, total })
    {
        SCOPED_TRACE (blockSize);
        CascadeRig rig (2, total, maximum);
        brazzle::test::fillWithNoise (rig.source.buffer, 21, 1.0f);
        rig.cascade.amount.setTargetValue (5.0f);

        juce::AudioBuffer<float> buffer (2, total);
        brazzle::test::fillWithNoise (buffer, 22);
        const auto input = buffer;
        juce::dsp::AudioBlock<float> block (buffer);

        for (size_t offset = 0; offset < total; offset += (size_t) blockSize)
        {
            const auto length = juce::jmin ((size_t) blockSize, total - offset);
            rig.publish (offset, length);
            auto piece = block.getSubBlock (offset, length);
            rig.cascade.process (juce::dsp::ProcessContextReplacing<float> (piece));
        }

        qv::PoleSmoothedValue<float> amount (8.0f, 0.0f);
        amount.reset (48000.0);
        amount.setTargetValue (5.0f);
        std::vector<float> amounts (total);

        for (auto& a : amounts)
            a = amount.getNextValue();

        for (int channel = 0; channel < 2; ++channel)
        {
            std::vector<float> coefficients (total);

            for (int n = 0; n < total; ++n)
                coefficients[(size_t) n] = juce::jlimit (-0.97f, 0.97f, amounts[(size_t) n] * rig.source.buffer.getSample (channel, n));

            const auto expected = referenceCascade (input.getReadPointer (channel), total, coefficients);

            for (int n = 0; n < total; ++n)
                ASSERT_EQ (buffer.getSample (channel, n), expected[(size_t) n]) << channel << ", " << n;
        }
    }
}

//==============================================================================
namespace
{
template <typename Branch>
std::vector<float> impulseResponse (Branch& branch, int length)
{
    juce::AudioBuffer<float> input (1, length), output (1, length);
    input.clear();
    input.setSample (0, 0, 1.0f);

    juce::dsp::AudioBlock<const float> inBlock (input);
    juce::dsp::AudioBlock<float> outBlock (output);

    for (size_t offset = 0; offset < (size_t) length; offset += 512)
    {
        auto in = inBlock.getSubBlock (offset, 512);
        auto out = outBlock.getSubBlock (offset, 512);
        branch.process (juce::dsp::ProcessContextNonReplacing<float> (in, out));
    }

    return { output.getReadPointer (0), output.getReadPointer (0) + length };
}
} // namespace

TEST (LinkwitzRiley, BranchesSumToAFlatMagnitude)
{
    constexpr double sampleRate = 176400.0;
    constexpr int order = 16, length = 1 << order;

    for (const float cutoff : { 200.0f, 1000.0f, 1800.0f, 5000.0f, 16000.0f })
    {
        SCOPED_TRACE (cutoff);
        qv::LinkwitzRileyLowpass<float> low;
        qv::LinkwitzRileyHighpass<float> high;
        low.prepare (makeSpec (sampleRate, 512, 1));
        high.prepare (makeSpec (sampleRate, 512, 1));
        low.setCutoff (cutoff);
        high.setCutoff (cutoff);

        const auto lowResponse = impulseResponse (low, length);
        const auto highResponse = impulseResponse (high, length);

        std::vector<float> spectrum (2 * length, 0.0f);

        for (size_t n = 0; n < (size_t) length; ++n)
            spectrum[n] = lowResponse[n] + highResponse[n];

        juce::dsp::FFT fft (order);
        fft.performFrequencyOnlyForwardTransform (spectrum.data(), true);

        const auto binWidth = sampleRate / length;

        for (auto bin = (size_t) std::ceil (20.0 / binWidth); bin <= (size_t) (20000.0 / binWidth); ++bin)
            ASSERT_NEAR (juce::Decibels::gainToDecibels ((double) spectrum[bin], -300.0), 0.0, 0.01) << bin * binWidth << " Hz";
    }
}

TEST (LinkwitzRiley, CoefficientsFollowTheButterworthRecipes)
{
    constexpr float sampleRate = 48000.0f, f = 1200.0f;
    qv::LinkwitzRileyLowpass<float> low;
    qv::LinkwitzRileyHighpass<float> high;
    low.prepare (makeSpec (sampleRate, 64, 2));
    high.prepare (makeSpec (sampleRate, 64, 2));
    low.setCutoff (f);
    high.setCutoff (f);

    {
        const auto n = 1.0f / std::tan (3.1415927f * f / sampleRate);
        const auto c = 1.0f / (1.0f + 1.4142135f * n + n * n);
        const float expected[] = { c, c * 2.0f, c, c * 2.0f * (1.0f - n * n), c * (1.0f - 1.4142135f * n + n * n) };

        for (const size_t section : { 0u, 1u })
            for (int i = 0; i < 5; ++i)
                EXPECT_EQ (low.getSectionCoefficients (section).coefficients[i], expected[i]) << "low " << section << ", " << i;
    }
    {
        const auto n = std::tan (3.1415927f * f / sampleRate);
        const auto c = 1.0f / (1.0f + 1.4142135f * n + n * n);
        const float expected[] = { c, c * -2.0f, c, c * 2.0f * (n * n - 1.0f), c * (1.0f - 1.4142135f * n + n * n) };

        for (const size_t section : { 0u, 1u })
            for (int i = 0; i < 5; ++i)
                EXPECT_EQ (high.getSectionCoefficients (section).coefficients[i], expected[i]) << "high " << section << ", " << i;
    }
}

TEST (LinkwitzRiley, SilentUntilTheFirstCutoffAndUnmovedBySubEpsilonChanges)
{
    qv::LinkwitzRileyLowpass<float> low;
    low.prepare (makeSpec (48000.0, 256, 1));

    const auto silent = impulseResponse (low, 512);
    EXPECT_TRUE (std::all_of (silent.begin(), silent.end(), [] (float x) { return x == 0.0f; }));

    low.setCutoff (0.5f);
    const auto storage = low.getSectionCoefficients (0).coefficients.begin();
    const auto before = low.getSectionCoefficients (0).coefficients;

    low.setCutoff (0.5f + 1.0e-7f);
    EXPECT_EQ (low.getCutoff(), 0.5f);
    EXPECT_EQ (low.getSectionCoefficients (0).coefficients, before);

    low.setCutoff (2000.0f);
    EXPECT_EQ (low.getCutoff(), 2000.0f);
    EXPECT_EQ (low.getSectionCoefficients (0).coefficients.begin(), storage);
}

TEST (LinkwitzRiley, PrepareAtANewRateRecomputesForTheCutoffInUse)
{
    qv::LinkwitzRileyHighpass<float> moved, fresh;
    moved.prepare (makeSpec (48000.0, 64, 1));
    moved.setCutoff (800.0f);
    moved.prepare (makeSpec (96000.0, 64, 1));

    fresh.prepare (makeSpec (96000.0, 64, 1));
    fresh.setCutoff (800.0f);

    for (const size_t section : { 0u, 1u })
        expectSameCoefficients (moved.getSectionCoefficients (section), fresh.getSectionCoefficients (section));
}

// A far jump of the cutoff, as a program change makes, must not let the state built for
// the old cutoff ring through the new coefficients: the bands keep summing to about the
// allpass's level while the cutoff glides, and the glide ends on the target's recipe.
TEST (LinkwitzRiley, FarCutoffJumpGlidesAndKeepsTheSumNearlyFlat)
{
    constexpr double sampleRate = 176400.0;
    constexpr int numChannels = 2, blockSize = 64;
    constexpr int glideLength = (int) (8.0 * sampleRate * 0.001);
    static_assert (glideLength == 1411);

    const auto spec = makeSpec (sampleRate, blockSize, numChannels);
    qv::LinkwitzRileyLowpass<float> low;
    qv::LinkwitzRileyHighpass<float> high;
    low.prepare (spec);
    high.prepare (spec);
    low.setCutoff (14679.0f);
    high.setCutoff (14679.0f);

    juce::AudioBuffer<float> input (numChannels, blockSize), lowOut (numChannels, blockSize), highOut (numChannels, blockSize);
    int seed = 1;
    float peak = 0.0f;

    auto run = [&] (int numSamples)
    {
        for (int done = 0; done < numSamples; done += blockSize)
        {
            const auto length = (size_t) juce::jmin (blockSize, numSamples - done);
            brazzle::test::fillWithNoise (input, seed++, 1.0f);

            const auto in = juce::dsp::AudioBlock<const float> (input).getSubBlock (0, length);
            auto lowBlock = juce::dsp::AudioBlock<float> (lowOut).getSubBlock (0, length);
            auto highBlock = juce::dsp::AudioBlock<float> (highOut).getSubBlock (0, length);
            low.process (juce::dsp::ProcessContextNonReplacing<float> (in, lowBlock));
            high.process (juce::dsp::ProcessContextNonReplacing<float> (in, highBlock));

            for (int channel = 0; channel < numChannels; ++channel)
                for (int n = 0; n < (int) length; ++n)
                    peak = juce::jmax (peak, std::abs (lowOut.getSample (channel, n) + highOut.getSample (channel, n)));
        }
    };

    run ((int) sampleRate / 4);
    EXPECT_LT (peak, 2.5f) << "settled at 14679 Hz";

    peak = 0.0f;
    low.setCutoff (200.0f);
    high.setCutoff (200.0f);
    EXPECT_TRUE (low.isGliding());
    EXPECT_TRUE (high.isGliding());
    EXPECT_EQ (low.getCutoff(), 200.0f);

    const Coefficients lowTarget (juce::dsp::IIR::ArrayCoefficients<float>::makeLowPass (sampleRate, 200.0f));
    const Coefficients highTarget (juce::dsp::IIR::ArrayCoefficients<float>::makeHighPass (sampleRate, 200.0f));

    for (const size_t section : { 0u, 1u })
    {
        expectSameCoefficients (low.getSectionCoefficients (section), lowTarget);
        expectSameCoefficients (high.getSectionCoefficients (section), highTarget);
    }

    run (glideLength - 1);
    EXPECT_TRUE (low.isGliding());
    EXPECT_TRUE (high.isGliding());

    run (1);
    EXPECT_FALSE (low.isGliding());
    EXPECT_FALSE (high.isGliding());

    for (const size_t section : { 0u, 1u })
    {
        expectSameCoefficients (low.getActiveSectionCoefficients (section), lowTarget);
        expectSameCoefficients (high.getActiveSectionCoefficients (section), highTarget);
    }

    run ((int) sampleRate / 10);
    EXPECT_LT (peak, 2.5f) << "from the jump on";
}

//==============================================================================
TEST (DCBlocker, FirstOrderHighPassAtFiveHertz)
{
    for (const double sampleRate : { 44100.0, 48000.0, 192000.0 })
    {
        qv::DCBlocker<float> blocker;
        blocker.prepare (makeSpec (sampleRate, 512, 2));

        const auto n = std::tan (15.707964f / (float) sampleRate);
        const auto c = 1.0f / (n + 1.0f);
        const auto& coefficients = blocker.getCoefficients().coefficients;
        ASSERT_EQ (coefficients.size(), 3);
        EXPECT_EQ (coefficients[0], c);
        EXPECT_EQ (coefficients[1], -c);
        EXPECT_EQ (coefficients[2], (n - 1.0f) * c);
    }
}

TEST (DCBlocker, ConstantOffsetDecaysWithAFiveHertzTimeConstant)
{
    constexpr double sampleRate = 48000.0;
    qv::DCBlocker<float> blocker;
    blocker.prepare (makeSpec (sampleRate, 48000, 2));

    juce::AudioBuffer<float> buffer (2, 48000);
    juce::FloatVectorOperations::fill (buffer.getWritePointer (0), 0.5f, 48000);
    juce::FloatVectorOperations::fill (buffer.getWritePointer (1), -0.25f, 48000);
    juce::dsp::AudioBlock<float> block (buffer);
    blocker.process (juce::dsp::ProcessContextReplacing<float> (block));

    const auto timeConstant = (int) std::round (sampleRate / (juce::MathConstants<double>::twoPi * 5.0));
    EXPECT_NEAR (buffer.getSample (0, timeConstant) / 0.5f, std::exp (-1.0f), 0.01f);
    EXPECT_NEAR (buffer.getSample (1, timeConstant) / -0.25f, std::exp (-1.0f), 0.01f);
    // Single-precision rounding leaves a residue far below audibility, not an exact zero.
    EXPECT_LT (std::abs (buffer.getSample (0, 47999)), 1.0e-4f);
}
