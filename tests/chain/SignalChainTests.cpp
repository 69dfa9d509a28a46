#include "ChainTestHelpers.h"
#include "support/RealtimeGuard.h"

#include <gtest/gtest.h>

namespace
{
using brazzle::test::ProcessorFixture;
using brazzle::test::RealtimeGuard;
using brazzle::test::rms;
using brazzle::test::sine;

constexpr double rates[] = { 44100.0, 48000.0, 96000.0, 192000.0 };
constexpr int blockSizes[] = { 32, 480, 1024 };

juce::AudioBuffer<float> render (std::map<juce::String, float> settings, const juce::AudioBuffer<float>& input,
                                 double rate, int blockSize)
{
    ProcessorFixture fixture (settings, input.getNumChannels() == 1);
    fixture.prepare (rate, blockSize);
    juce::AudioBuffer<float> output;
    output.makeCopyOf (input);
    fixture.process (output);
    return output;
}

// The input through an oversampler like the processor's and back, with nothing between.
juce::AudioBuffer<float> oversamplerRoundTrip (const juce::AudioBuffer<float>& input, double rate, int blockSize)
{
    const auto order = static_cast<size_t> (BrazzleAudioProcessor::oversamplingOrderFor (rate));
    juce::dsp::Oversampling<float> oversampler (static_cast<size_t> (input.getNumChannels()), order,
                                                juce::dsp::Oversampling<float>::filterHalfBandPolyphaseIIR, false);
    oversampler.initProcessing (static_cast<size_t> (blockSize));

    juce::AudioBuffer<float> output;
    output.makeCopyOf (input);
    juce::dsp::AudioBlock<float> whole (output);

    for (int start = 0; start < output.getNumSamples(); start += blockSize)
    {
        auto block = whole.getSubBlock (static_cast<size_t> (start),
                                        static_cast<size_t> (juce::jmin (blockSize, output.getNumSamples() - start)));
        oversampler.processSamplesUp (block);
        oversampler.processSamplesDown (block);
    }

    return output;
}

// With the default settings only the low band is shaped: a tone well above the
// crossover passes at its level, while one below it goes through the low band's
// tone filter (its 500 Hz peak sits 6 dB down at the centre tone setting).
TEST (SignalChain, DefaultSettingsShapeOnlyTheLowBand)
{
    for (const double rate : rates)
    {
        for (const int block : blockSizes)
        {
            const int length = static_cast<int> (rate * 0.25);
            const auto high = render ({}, sine (2, length, 9000.0, rate), rate, block);
            const auto low = render ({}, sine (2, length, 500.0, rate), rate, block);
            const int settled = length / 2;
            SCOPED_TRACE (juce::String (rate) + " Hz, block " + juce::String (block));

            EXPECT_NEAR (juce::Decibels::gainToDecibels (rms (high, 0, settled) / (0.5f / std::sqrt (2.0f))), 0.0f, 0.1f);
            EXPECT_NEAR (juce::Decibels::gainToDecibels (rms (low, 1, settled) / (0.5f / std::sqrt (2.0f))), -6.0f, 0.5f);
        }
    }

    ProcessorFixture fixture;
    fixture.prepare (48000.0, 256);
    auto buffer = sine (2, 256, 100.0, 48000.0);
    fixture.process (buffer);
    const auto run = fixture.processor.getMainProcessor().getPathsRunInLastBlock();
    EXPECT_TRUE (run.band);
    EXPECT_FALSE (run.fullBand);
}

// Mix and output gain, checked against renders of the same input: at mix 0 the output
// is the dry signal whatever the output gain; the output gain scales only the wet
// signal; mix 0.5 blends the two halves.
TEST (SignalChain, MixAndOutputGainCombineDryAndWet)
{
    for (const double rate : { 44100.0, 96000.0 })
    {
        const int length = static_cast<int> (rate * 0.2);
        const auto input = sine (2, length, 220.0, rate, 0.8f);
        const std::map<juce::String, float> shaped { { "saturator:type", 2.0f }, { "saturator:drive", 12.0f } };

        auto with = [&] (float mix, float gain, float bypass) {
            auto settings = shaped;
            settings["global:mix"] = mix;
            settings["global:outputGain"] = gain;
            settings["crossover:bypass"] = bypass;
            return render (settings, input, rate, 512);
        };

        const int settled = static_cast<int> (rate * 0.05);

        for (const float bypass : { 0.0f, 1.0f })
        {
            SCOPED_TRACE (juce::String (rate) + " Hz, crossover bypass " + juce::String (bypass));
            const auto dry = with (0.0f, 0.0f, bypass);
            const auto dryLoud = with (0.0f, 24.0f, bypass);
            const auto wet = with (1.0f, 0.0f, bypass);
            const auto wetQuiet = with (1.0f, -24.0f, bypass);
            const auto half = with (0.5f, -24.0f, bypass);
            const float quiet = juce::Decibels::decibelsToGain (-24.0f);

            for (int ch = 0; ch < 2; ++ch)
            {
                for (int n = settled; n < length; ++n)
                {
                    ASSERT_EQ (dry.getSample (ch, n), dryLoud.getSample (ch, n)) << n;
                    ASSERT_NEAR (wetQuiet.getSample (ch, n), wet.getSample (ch, n) * quiet, 1.0e-6f) << n;
                    ASSERT_NEAR (half.getSample (ch, n), 0.5f * dry.getSample (ch, n) + 0.5f * quiet * wet.getSample (ch, n),
                                 1.0e-6f) << n;
                }
            }

            // Bypassed, the dry signal is the raw input after the oversampler's round
            // trip; with the crossover active it is the recombined split, equally loud
            // but phase-shifted.
            const auto roundTrip = oversamplerRoundTrip (input, rate, 512);
            double difference = 0.0;

            for (int n = settled; n < length; ++n)
            {
                if (bypass > 0.5f)
                    ASSERT_EQ (dry.getSample (0, n), roundTrip.getSample (0, n)) << n;

                difference += std::abs (dry.getSample (0, n) - roundTrip.getSample (0, n));
            }

            if (bypass < 0.5f)
                EXPECT_GT (difference / (length - settled), 1.0e-2);

            EXPECT_NEAR (rms (dry, 0, settled), rms (input, 0, settled), 0.01f);
        }
    }
}

TEST (SignalChain, BypassSwitchRunsBothPathsForFortyMilliseconds)
{
    for (const double rate : { 48000.0, 96000.0 })
    {
        constexpr int block = 64;
        ProcessorFixture fixture;
        fixture.prepare (rate, block);
        const double chainRate = fixture.processor.getChainSpec().sampleRate;
        const int fadeSamples = static_cast<int> (std::floor (0.04 * chainRate));
        const int chainBlock = block * static_cast<int> (chainRate / rate);
        auto& chain = fixture.processor.getMainProcessor();

        auto countBlocks = [&] (bool fullOnlyAtEnd) {
            int both = 0, fullOnly = 0, bandOnly = 0;
            for (int i = 0; i < 2 * fadeSamples / chainBlock + 4; ++i)
            {
                auto buffer = sine (2, block, 300.0, rate);
                fixture.process (buffer);
                const auto run = chain.getPathsRunInLastBlock();
                both += run.band && run.fullBand;
                fullOnly += run.fullBand && ! run.band;
                bandOnly += run.band && ! run.fullBand;
            }
            return std::make_tuple (both, fullOnlyAtEnd ? fullOnly : bandOnly);
        };

        fixture.set ("crossover:bypass", 1.0f);
        auto [bothOn, fullOnly] = countBlocks (true);
        EXPECT_EQ (bothOn, (fadeSamples + chainBlock - 1) / chainBlock) << rate;
        EXPECT_GT (fullOnly, 0);

        fixture.set ("crossover:bypass", 0.0f);
        auto [bothOff, bandOnly] = countBlocks (false);
        EXPECT_EQ (bothOff, (fadeSamples + chainBlock - 1) / chainBlock) << rate;
        EXPECT_GT (bandOnly, 0);
    }
}

// The band blend advances only inside the band step: switched while the crossover is
// bypassed it waits, and plays its 40 ms once band processing runs again.
TEST (SignalChain, BandFadeWaitsWhileTheCrossoverIsBypassed)
{
    ProcessorFixture fixture ({ { "crossover:bypass", 1.0f } });
    fixture.prepare (48000.0, 128);
    auto& chain = fixture.processor.getMainProcessor();
    auto block = [&] { auto b = sine (2, 128, 300.0, 48000.0); fixture.process (b); };

    for (int i = 0; i < 100; ++i)
        block();

    fixture.set ("crossover:band", 1.0f);

    for (int i = 0; i < 100; ++i)
        block();

    EXPECT_TRUE (chain.bandBlend.isSmoothing());
    EXPECT_EQ (chain.bandBlend.getCurrentValue(), 0.0f);

    fixture.set ("crossover:bypass", 0.0f);

    for (int i = 0; i < 100; ++i)
        block();

    EXPECT_FALSE (chain.bandBlend.isSmoothing());
    EXPECT_EQ (chain.bandBlend.getCurrentValue(), 1.0f);
}

// Switching bands fades the two shaped bands against each other: the result moves
// smoothly from "shaped low + plain high" to "plain low + shaped high".
TEST (SignalChain, BandSwitchCrossFadesWithoutAJump)
{
    ProcessorFixture fixture ({ { "saturator:type", 5.0f }, { "saturator:drive", 24.0f } });
    fixture.prepare (48000.0, 64);
    auto input = sine (2, 48000, 150.0, 48000.0, 0.3f);
    juce::AudioBuffer<float> output;
    output.makeCopyOf (input);

    juce::MidiBuffer midi;
    float largestStep = 0.0f;

    for (int start = 0; start < 48000; start += 64)
    {
        if (start == 24000)
            fixture.set ("crossover:band", 1.0f);

        juce::AudioBuffer<float> piece (output.getArrayOfWritePointers(), 2, start, 64);
        fixture.processor.processBlock (piece, midi);

        if (start > 12000)
            for (int n = 1; n < 64; ++n)
                largestStep = juce::jmax (largestStep, std::abs (piece.getSample (0, n) - piece.getSample (0, n - 1)));
    }

    // A hard switch between the fold-back shaped low band and the plain one would jump
    // by far more than the signal moves between two samples.
    EXPECT_LT (largestStep, 0.2f);
    EXPECT_EQ (fixture.processor.getMainProcessor().bandBlend.getCurrentValue(), 1.0f);
}

TEST (SignalChain, AutoGainCompensationFollowsCurveAndDrive)
{
    const struct
    {
        float curve, drive;
        float gain;
    } cases[] = {
        { 0.0f, 30.0f, 1.0f },
        { 1.0f, 20.0f, static_cast<float> (juce::Decibels::decibelsToGain (-10.0)) },
        { 2.0f, 36.0f, static_cast<float> (juce::Decibels::decibelsToGain (-18.0)) },
        { 5.0f, 0.0f, 1.0f },
    };

    for (const auto& c : cases)
    {
        ProcessorFixture fixture ({ { "global:agc", 1.0f }, { "saturator:type", c.curve }, { "saturator:drive", c.drive } });
        fixture.prepare (48000.0, 256);
        auto buffer = sine (2, 256, 300.0, 48000.0);
        fixture.process (buffer);
        auto& chain = fixture.processor.getMainProcessor();
        EXPECT_EQ (chain.bandPathGain.getTargetValue(), c.gain) << c.curve << " " << c.drive;
        EXPECT_EQ (chain.fullPathGain.getTargetValue(), c.gain) << c.curve << " " << c.drive;
    }

    // Switched off, the gains stay where they were until compensation returns.
    ProcessorFixture fixture ({ { "global:agc", 1.0f }, { "saturator:type", 1.0f }, { "saturator:drive", 20.0f } });
    fixture.prepare (48000.0, 256);
    auto buffer = sine (2, 256 * 40, 300.0, 48000.0);
    fixture.process (buffer);
    fixture.set ("global:agc", 0.0f);
    fixture.set ("saturator:drive", 0.0f);
    fixture.process (buffer);
    EXPECT_NEAR (fixture.processor.getMainProcessor().bandPathGain.getCurrentValue(), 0.316227766f, 1.0e-6f);
}

TEST (SignalChain, PhaseAmountAndSpreadSetTheAllpassAndTheFollowerDelays)
{
    const struct
    {
        float composite, spread;
        float amount, left, right;
    } cases[] = {
        { 0.0f, 0.0f, 0.0f, 0.0f, 0.0f },
        { 0.5f, 0.0f, 4.5f, 0.0f, 0.0f },
        { 0.75f, -1.5f, 5.625f, 1.5f, 0.0f },
        { 1.0f, 0.0f, 6.0f, 2.0f, 2.0f },
        { 1.0f, 2.0f, 6.0f, 2.0f, 4.0f },
        { 1.0f, -4.0f, 6.0f, 6.0f, 2.0f },
    };

    for (const auto& c : cases)
    {
        ProcessorFixture fixture ({ { "pm:composite", c.composite }, { "pm:spread", c.spread } });
        fixture.prepare (44100.0, 128);
        auto buffer = sine (2, 128, 300.0, 44100.0);
        fixture.process (buffer);
        auto& chain = fixture.processor.getMainProcessor();
        SCOPED_TRACE (juce::String (c.composite) + ", " + juce::String (c.spread));

        // The parameter holds its value snapped to the step, a few ulps from the decimal.
        for (auto* path : { &chain.lowBandPath, &chain.highBandPath, &chain.fullBandPath })
            EXPECT_NEAR (MainProcessor::allpass (*path).amount.getTargetValue(), c.amount, 1.0e-5f);

        ASSERT_EQ (chain.follower.delayLines.size(), 2);
        EXPECT_NEAR (chain.follower.delayLines[0]->delayTimeMs.getTargetValue(), c.left, 1.0e-5f);
        EXPECT_NEAR (chain.follower.delayLines[1]->delayTimeMs.getTargetValue(), c.right, 1.0e-5f);
    }

    // Mono: one delay line, which the spread leaves alone.
    ProcessorFixture mono ({ { "pm:composite", 1.0f }, { "pm:spread", 3.0f } }, true);
    mono.prepare (44100.0, 128);
    auto buffer = sine (1, 128, 300.0, 44100.0);
    mono.process (buffer);
    auto& chain = mono.processor.getMainProcessor();
    ASSERT_EQ (chain.follower.delayLines.size(), 1);
    EXPECT_EQ (chain.follower.delayLines[0]->delayTimeMs.getTargetValue(), 0.0f);
}

// Every setting at once, at every rate and several block sizes, with parameters moving
// every block: the output stays finite and bounded, and nothing allocates or locks.
TEST (SignalChain, AutomatedEverythingStaysFiniteAndRealtimeSafe)
{
    for (const double rate : rates)
    {
        ProcessorFixture fixture ({ { "saturator:drive", 36.0f }, { "saturator:type", 2.0f }, { "pm:composite", 1.0f },
                                    { "pm:spread", 2.0f }, { "global:agc", 1.0f } });
        fixture.prepare (rate, 512);
        juce::Random random (42);
        auto& tree = fixture.processor.getParameterTree();
        const auto& parameters = fixture.processor.getParameters();
        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer midi;
        float peak = 0.0f;

        std::size_t allocations = 0, locks = 0;

        for (int block = 0; block < 1500; ++block)
        {
            for (auto* parameter : parameters)
                if (random.nextInt (8) == 0)
                    parameter->setValue (random.nextFloat());

            const int length = blockSizes[block % 3] / 2 + 1;
            juce::AudioBuffer<float> piece (buffer.getArrayOfWritePointers(), 2, 0, length);

            for (int ch = 0; ch < 2; ++ch)
                for (int n = 0; n < length; ++n)
                    piece.setSample (ch, n, random.nextFloat() * 2.0f - 1.0f);

            {
                RealtimeGuard guard;
                fixture.processor.processBlock (piece, midi);
                allocations += guard.allocations();
                locks += guard.locks();
            }

            for (int ch = 0; ch < 2; ++ch)
            {
                const auto range = juce::FloatVectorOperations::findMinAndMax (piece.getReadPointer (ch), length);
                ASSERT_TRUE (std::isfinite (range.getStart()) && std::isfinite (range.getEnd())) << block;
                peak = juce::jmax (peak, std::abs (range.getStart()), std::abs (range.getEnd()));
            }
        }

        if (RealtimeGuard::isAvailable())
        {
            EXPECT_EQ (allocations, 0u) << rate;
            EXPECT_EQ (locks, 0u) << rate;
        }

        juce::ignoreUnused (tree);
        EXPECT_LT (peak, 64.0f) << rate;
    }
}
} // namespace
