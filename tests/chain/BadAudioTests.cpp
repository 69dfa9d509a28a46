#include "ChainTestHelpers.h"
#include "support/RealtimeGuard.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>

namespace
{
using brazzle::test::ProcessorFixture;
using brazzle::test::RealtimeGuard;

using Settings = std::map<juce::String, float>;

constexpr float infinity = std::numeric_limits<float>::infinity();
constexpr float quietNaN = std::numeric_limits<float>::quiet_NaN();

struct Setting
{
    const char* name;
    Settings values;
    double rate;
    int blockSize;
    bool mono = false;
    // A parameter switched at the moment the bad audio starts, so that the cross-fades
    // run through it.
    const char* switchedParameter = nullptr;
};

const Setting settings[] = {
    { "defaults", {}, 44100.0, 64 },
    { "tape, low band, no phase", { { "saturator:drive", 36.0f }, { "saturator:type", 1.0f } }, 44100.0, 64 },
    { "tube, high band, half mix, full phase", { { "saturator:drive", 36.0f }, { "saturator:type", 2.0f }, { "crossover:band", 1.0f },
                                                 { "global:mix", 0.5f }, { "pm:composite", 1.0f }, { "pm:spread", 4.0f } }, 96000.0, 100 },
    { "crossover curve, full band, dry only", { { "saturator:drive", 36.0f }, { "saturator:type", 3.0f }, { "crossover:bypass", 1.0f },
                                                { "global:mix", 0.0f }, { "pm:composite", 1.0f } }, 192000.0, 256 },
    { "log, full band, compensated", { { "saturator:drive", 36.0f }, { "saturator:type", 4.0f }, { "crossover:bypass", 1.0f },
                                       { "global:agc", 1.0f }, { "pm:composite", 1.0f }, { "pm:spread", -4.0f } }, 44100.0, 64 },
    { "fold-back, high band, loudest", { { "saturator:drive", 36.0f }, { "saturator:type", 5.0f }, { "crossover:band", 1.0f },
                                         { "saturator:tone", 0.0f }, { "global:outputGain", 24.0f }, { "pm:composite", 0.5f } }, 96000.0, 64 },
    { "pass, full band, bright, half mix", { { "saturator:drive", 36.0f }, { "crossover:bypass", 1.0f }, { "saturator:tone", 1.0f },
                                             { "global:outputGain", 24.0f }, { "global:mix", 0.5f } }, 192000.0, 64 },
    { "fold-back, low band, full phase", { { "saturator:drive", 36.0f }, { "saturator:type", 5.0f }, { "pm:composite", 1.0f },
                                           { "global:mix", 0.5f } }, 192000.0, 128 },
    { "bypass fading", { { "saturator:drive", 36.0f }, { "saturator:type", 1.0f }, { "pm:composite", 1.0f } }, 44100.0, 64, false,
      "crossover:bypass" },
    { "band fading", { { "saturator:drive", 36.0f }, { "saturator:type", 2.0f }, { "crossover:cutoff", 16000.0f } }, 96000.0, 64, false,
      "crossover:band" },
    { "mono", { { "saturator:drive", 36.0f }, { "saturator:type", 3.0f }, { "pm:composite", 1.0f } }, 44100.0, 64, true },
};

struct Burst
{
    const char* name;
    std::function<float (int)> value;
    bool finite;
};

const Burst bursts[] = {
    { "NaN", [] (int) { return quietNaN; }, false },
    { "+inf", [] (int) { return infinity; }, false },
    { "-inf", [] (int) { return -infinity; }, false },
    { "NaN and infinities in turn", [] (int n) { return n % 3 == 0 ? quietNaN : (n % 3 == 1 ? infinity : -infinity); }, false },
    { "NaN in a signal", [] (int n) { return n % 7 == 0 ? quietNaN : 0.5f; }, false },
    { "1e30", [] (int n) { return n % 2 == 0 ? 1.0e30f : -1.0e30f; }, true },
    { "FLT_MAX", [] (int n) { return n % 5 < 2 ? FLT_MAX : -FLT_MAX; }, true },
};

constexpr double leadInSeconds = 0.2;
constexpr double burstSeconds = 0.02;
constexpr double recoverySeconds = 0.05;

// A tone with some noise, a little different on each channel; the same for every call.
juce::AudioBuffer<float> music (int channels, int length, double rate)
{
    juce::AudioBuffer<float> buffer (channels, length);
    juce::Random random (7);

    for (int n = 0; n < length; ++n)
    {
        const auto t = n / rate;

        for (int ch = 0; ch < channels; ++ch)
            buffer.setSample (ch, n, static_cast<float> (0.4 * std::sin (juce::MathConstants<double>::twoPi * (220.0 + 40.0 * ch) * t)
                                                         + 0.1 * (random.nextDouble() * 2.0 - 1.0)));
    }

    return buffer;
}

class Instance
{
public:
    explicit Instance (const Setting& setting)
        : fixture (setting.values, setting.mono)
    {
        fixture.prepare (setting.rate, setting.blockSize);
    }

    /** Processes the buffer in place in blocks of the prepared size, switching the
        setting's parameter when the block reaching switchAt starts, and counts what the
        audio thread allocated and locked. */
    void process (juce::AudioBuffer<float>& buffer, const Setting& setting, int switchAt)
    {
        juce::MidiBuffer midi;

        for (int start = 0; start < buffer.getNumSamples(); start += fixture.maximumBlockSize)
        {
            const int length = juce::jmin (fixture.maximumBlockSize, buffer.getNumSamples() - start);

            if (setting.switchedParameter != nullptr && start <= switchAt && switchAt < start + length)
                fixture.set (setting.switchedParameter, 1.0f);

            juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), start, length);
            RealtimeGuard guard;
            fixture.processor.processBlock (block, midi);
            allocations += guard.allocations();
            locks += guard.locks();
        }
    }

    ProcessorFixture fixture;
    std::size_t allocations = 0, locks = 0;
};

int firstNonFiniteSample (const juce::AudioBuffer<float>& buffer, int from)
{
    for (int n = from; n < buffer.getNumSamples(); ++n)
        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
            if (! std::isfinite (buffer.getSample (ch, n)))
                return n;

    return -1;
}

float largestDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b, int from)
{
    float largest = 0.0f;

    for (int ch = 0; ch < a.getNumChannels(); ++ch)
        for (int n = from; n < a.getNumSamples(); ++n)
            largest = juce::jmax (largest, std::abs (a.getSample (ch, n) - b.getSample (ch, n)));

    return largest;
}

void expectRealtimeSafe (const Instance& run, const std::string& what)
{
    if (! RealtimeGuard::isAvailable())
        return;

    EXPECT_EQ (run.allocations, 0u) << what;
    EXPECT_EQ (run.locks, 0u) << what;
}

// Every output sample stays finite; after NaN or infinities the output is bit for bit
// what it would have been with silence in their place, and after absurdly loud finite
// input it settles back onto that output.
TEST (BadAudio, NonFiniteAndHugeInputNeverSticks)
{
    for (const auto& setting : settings)
    {
        for (const auto& burst : bursts)
        {
            const auto what = std::string (setting.name) + ", " + burst.name + " at " + std::to_string (setting.rate);
            SCOPED_TRACE (what);

            const int channels = setting.mono ? 1 : 2;
            const int burstStart = static_cast<int> (leadInSeconds * setting.rate);
            const int burstEnd = burstStart + static_cast<int> (burstSeconds * setting.rate);
            const double tailSeconds = burst.finite ? 1.5 : 0.15;
            const int length = burstEnd + static_cast<int> (tailSeconds * setting.rate);

            // The reference hears silence where the burst is not plausible audio.
            auto clean = music (channels, length, setting.rate);
            juce::AudioBuffer<float> poisoned;
            poisoned.makeCopyOf (clean);

            for (int ch = 0; ch < channels; ++ch)
            {
                for (int n = burstStart; n < burstEnd; ++n)
                {
                    const auto value = burst.value (n + ch);
                    poisoned.setSample (ch, n, value);
                    clean.setSample (ch, n, std::abs (value) <= 1.0f ? value : 0.0f);
                }
            }

            Instance reference (setting), run (setting);
            reference.process (clean, setting, burstStart);
            run.process (poisoned, setting, burstStart);

            ASSERT_EQ (firstNonFiniteSample (poisoned, 0), -1);
            expectRealtimeSafe (run, what);

            if (burst.finite)
            {
                // Where a DC blocker's pole sits next to 1 and a steep curve follows, two
                // runs that differed at all keep differing by their rounding noise, which
                // the drive lifts. A disturbance of 1e-6 shows that floor; the burst must
                // settle to it like any other disturbance.
                auto nudged = music (channels, length, setting.rate);

                for (int ch = 0; ch < channels; ++ch)
                    for (int n = burstStart; n < burstEnd; ++n)
                        nudged.setSample (ch, n, 1.0e-6f);

                Instance disturbed (setting);
                disturbed.process (nudged, setting, burstStart);

                const int settled = burstEnd + static_cast<int> (1.2 * setting.rate);
                const auto floor = largestDifference (nudged, clean, settled);
                EXPECT_LE (largestDifference (poisoned, clean, settled), 4.0f * floor + 1.0e-6f) << "floor " << floor;
            }
            else
            {
                EXPECT_EQ (largestDifference (poisoned, clean, 0), 0.0f);
            }
        }
    }
}

struct Fault
{
    const char* name;
    // Leaves NaN in some of the chain's state, as a fault inside the chain would.
    std::function<void (MainProcessor&, const juce::dsp::ProcessSpec&)> inject;
    // A parameter changed half-way through the run, which brings a path with bad
    // state into use.
    const char* laterSwitch = nullptr;
};

juce::AudioBuffer<float> nanBuffer (const juce::dsp::ProcessSpec& spec)
{
    juce::AudioBuffer<float> buffer (static_cast<int> (spec.numChannels), static_cast<int> (spec.maximumBlockSize));

    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (ch), quietNaN, buffer.getNumSamples());

    return buffer;
}

const Fault faults[] = {
    { "whole chain", [] (MainProcessor& chain, const juce::dsp::ProcessSpec& spec)
      {
          auto bad = nanBuffer (spec);
          juce::dsp::AudioBlock<float> block (bad);
          chain.process (juce::dsp::ProcessContextReplacing<float> (block));
      } },
    { "follower only", [] (MainProcessor& chain, const juce::dsp::ProcessSpec& spec)
      {
          auto bad = nanBuffer (spec);
          chain.follower.process (juce::dsp::AudioBlock<const float> (bad));
      } },
    { "idle full-band path", [] (MainProcessor& chain, const juce::dsp::ProcessSpec& spec)
      {
          auto bad = nanBuffer (spec);
          juce::dsp::AudioBlock<float> block (bad);
          chain.fullBandPath.process (juce::dsp::ProcessContextReplacing<float> (block));
      }, "crossover:bypass" },
    { "idle high-band path", [] (MainProcessor& chain, const juce::dsp::ProcessSpec& spec)
      {
          auto bad = nanBuffer (spec);
          juce::dsp::AudioBlock<float> block (bad);
          chain.highBandPath.process (juce::dsp::ProcessContextReplacing<float> (block));
      }, "crossover:band" },
};

// Bad state that the input limit cannot have prevented is found in the block where it
// shows and cleared; the host never sees it, and the output settles back onto that of
// a chain that never went bad.
TEST (BadAudio, FaultInsideTheChainIsClearedWhereItShows)
{
    const Setting faultSettings[] = {
        { "phase modulated", { { "saturator:drive", 24.0f }, { "saturator:type", 1.0f }, { "pm:composite", 1.0f } }, 44100.0, 64 },
        { "no phase modulation", { { "saturator:drive", 24.0f }, { "saturator:type", 4.0f }, { "global:mix", 0.5f } }, 96000.0, 128 },
    };

    for (const auto& setting : faultSettings)
    {
        for (const auto& fault : faults)
        {
            const auto what = std::string (setting.name) + ", " + fault.name;
            SCOPED_TRACE (what);

            const int channels = 2;
            const int length = static_cast<int> (2.0 * setting.rate);
            const int faultAt = static_cast<int> (0.2 * setting.rate) / setting.blockSize * setting.blockSize;
            const int switchAt = length / 2;

            auto clean = music (channels, length, setting.rate);
            juce::AudioBuffer<float> poisoned;
            poisoned.makeCopyOf (clean);

            Setting switched = setting;
            switched.switchedParameter = fault.laterSwitch;

            Instance reference (switched), run (switched);
            reference.process (clean, switched, switchAt);

            juce::AudioBuffer<float> before (poisoned.getArrayOfWritePointers(), channels, 0, faultAt);
            juce::AudioBuffer<float> after (poisoned.getArrayOfWritePointers(), channels, faultAt, length - faultAt);
            run.process (before, switched, switchAt);
            fault.inject (run.fixture.processor.getMainProcessor(), run.fixture.processor.getChainSpec());
            run.process (after, switched, switchAt - faultAt);

            ASSERT_EQ (firstNonFiniteSample (poisoned, 0), -1);
            expectRealtimeSafe (run, what);

            // A fault that shows at once costs at most the block it shows in.
            const int recovered = (fault.laterSwitch != nullptr ? switchAt : faultAt) + static_cast<int> (recoverySeconds * setting.rate);
            EXPECT_GT (poisoned.getMagnitude (recovered, static_cast<int> (0.1 * setting.rate)), 0.05f);

            const int settled = (fault.laterSwitch != nullptr ? switchAt : faultAt) + static_cast<int> (0.8 * setting.rate);
            EXPECT_LT (largestDifference (poisoned, clean, settled), 1.0e-4f);
        }
    }
}

// Flush-to-zero holds for the whole block callback: as loud input fades out, no
// subnormal number reaches the host or stays in the follower.
TEST (BadAudio, SilenceAfterLoudInputHoldsNoSubnormals)
{
    const Setting silenceSettings[] = {
        { "everything active", { { "saturator:drive", 36.0f }, { "saturator:type", 2.0f }, { "pm:composite", 1.0f }, { "pm:spread", 2.0f },
                                 { "global:agc", 1.0f }, { "global:mix", 0.5f } }, 48000.0, 64 },
        { "full band, pass", { { "crossover:bypass", 1.0f }, { "pm:composite", 0.8f }, { "global:mix", 0.7f } }, 44100.0, 512 },
        { "high band, fold-back", { { "crossover:band", 1.0f }, { "saturator:type", 5.0f }, { "saturator:drive", 12.0f },
                                    { "pm:composite", 1.0f } }, 96000.0, 128 },
        { "no oversampling", { { "saturator:type", 1.0f }, { "pm:composite", 1.0f } }, 192000.0, 256 },
    };

    for (const auto& setting : silenceSettings)
    {
        SCOPED_TRACE (setting.name);

        Instance run (setting);
        const int loud = static_cast<int> (0.5 * setting.rate);
        const int length = loud + static_cast<int> (3.0 * setting.rate);
        auto buffer = music (2, length, setting.rate);

        for (int ch = 0; ch < 2; ++ch)
        {
            juce::FloatVectorOperations::multiply (buffer.getWritePointer (ch), 2.0f, loud);
            buffer.clear (ch, loud, length - loud);
        }

        run.process (buffer, setting, -1);

        int subnormals = 0;

        for (int ch = 0; ch < 2; ++ch)
            for (int n = loud; n < length; ++n)
                subnormals += std::fpclassify (buffer.getSample (ch, n)) == FP_SUBNORMAL ? 1 : 0;

        EXPECT_EQ (subnormals, 0);

        for (const auto envelope : run.fixture.processor.getMainProcessor().follower.envelopes)
            EXPECT_NE (std::fpclassify (envelope), FP_SUBNORMAL);
    }
}
} // namespace
