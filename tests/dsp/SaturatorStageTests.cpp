#include "DspTestHelpers.h"
#include "dsp/DCBlocker.h"
#include "dsp/ProcessorSeries.h"
#include "dsp/Saturator.h"
#include "dsp/ToneFilter.h"

#include <gtest/gtest.h>

using brazzle::test::makeSpec;

namespace
{
using Saturator = qv::Saturator<float>;
using State = Saturator::SaturatorState;

void process (Saturator& saturator, juce::AudioBuffer<float>& buffer)
{
    juce::dsp::AudioBlock<float> block (buffer);
    saturator.process (juce::dsp::ProcessContextReplacing<float> (block));
}
} // namespace

TEST (ToneFilter, ToneSetsShelfAndPeakGains)
{
    struct Case { float tone, lowDb, midDb, highDb; };
    const Case cases[] = {
        { 0.0f,   6.0f, -12.0f, -6.0f },
        { 0.25f,  3.0f,  -9.0f, -3.0f },
        { 0.5f,   0.0f,  -6.0f,  0.0f },
        { 1.0f,  -6.0f,   0.0f,  6.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.tone);
        qv::ToneFilter<float> tone;
        tone.prepare (makeSpec (48000.0, 64, 2));
        tone.setTone (c.tone);

        EXPECT_FLOAT_EQ (tone.bands[0]->gain, std::pow (10.0f, c.lowDb / 20.0f));
        EXPECT_FLOAT_EQ (tone.bands[1]->gain, std::pow (10.0f, c.midDb / 20.0f));
        EXPECT_FLOAT_EQ (tone.bands[2]->gain, std::pow (10.0f, c.highDb / 20.0f));

        for (auto* band : tone.bands)
            EXPECT_EQ (band->channels[1]->gain.getTargetValue(), band->gain);
    }

    qv::ToneFilter<float> tone;
    tone.setTone (0.5f);
    EXPECT_EQ (tone.bands[0]->gain, 1.0f);
    EXPECT_EQ (tone.bands[2]->gain, 1.0f);
}

TEST (ToneFilter, MidToneCutsSixDecibelsAtFiveHundredHertz)
{
    constexpr double sampleRate = 48000.0;
    qv::ToneFilter<float> tone;
    tone.prepare (makeSpec (sampleRate, 48000, 1));
    tone.setTone (0.5f);

    juce::AudioBuffer<float> buffer (1, 48000);
    brazzle::test::fillWithSine (buffer, 500.0, sampleRate);
    const auto inputLevel = brazzle::test::rms (buffer.getReadPointer (0, 24000), 24000);

    juce::dsp::AudioBlock<float> block (buffer);
    tone.process (juce::dsp::ProcessContextReplacing<float> (block));

    const auto outputLevel = brazzle::test::rms (buffer.getReadPointer (0, 24000), 24000);
    EXPECT_NEAR (juce::Decibels::gainToDecibels (outputLevel / inputLevel), -6.0f, 0.1f);
}

//==============================================================================
TEST (Saturator, PassThroughCurveIsLevelNeutralOnceCompensationSettles)
{
    constexpr double sampleRate = 48000.0;
    Saturator saturator;
    saturator.prepare (makeSpec (sampleRate, 4800, 2));
    saturator.setState ({ 4.0f, 0.0f, 0 });

    EXPECT_EQ (saturator.compensation.getTargetValue(), 0.25f);

    juce::AudioBuffer<float> buffer (2, 4800);
    brazzle::test::fillWithSine (buffer, 440.0, sampleRate);
    const auto input = buffer;
    process (saturator, buffer);

    // The 20 ms ramps have run out by sample 960.
    for (int channel = 0; channel < 2; ++channel)
        for (int n = 960; n < 4800; ++n)
            ASSERT_EQ (buffer.getSample (channel, n), input.getSample (channel, n)) << channel << ", " << n;
}

// The pass-through curve lets the driven signal through unbounded, so its compensation
// stays at the reciprocal of the drive for as long as it sounds: a repeated state does not
// restart the ramp, and a switch to a shaping curve holds it through the pass-through's
// 30 ms fade-out and ramps it back to unity only from the silent switching sample on.
TEST (Saturator, PassThroughCompensationHoldsWhileThePassThroughSounds)
{
    Saturator saturator;
    saturator.prepare (makeSpec (48000.0, 2048, 1));
    saturator.setState ({ 4.0f, 0.0f, 0 });

    juce::AudioBuffer<float> buffer (1, 480);
    buffer.clear();
    process (saturator, buffer);

    saturator.setState ({ 4.0f, 0.0f, 0 });
    EXPECT_EQ (saturator.compensation.getCountdown(), 480);
    EXPECT_EQ (saturator.compensation.getTargetValue(), 0.25f);

    saturator.setState ({ 4.0f, 0.0f, 2 });
    EXPECT_EQ (saturator.compensation.getTargetValue(), 0.25f);

    buffer.setSize (1, 2048);
    juce::FloatVectorOperations::fill (buffer.getWritePointer (0), 0.5f, 2048);
    process (saturator, buffer);

    int switchAt = -1;

    for (int n = 0; n < 2048 && switchAt < 0; ++n)
    {
        if (buffer.getSample (0, n) == 0.0f)
            switchAt = n;
        else
            ASSERT_LE (buffer.getSample (0, n), 0.5f * 1.0001f) << n;
    }

    ASSERT_GE (switchAt, 1440);
    ASSERT_LE (switchAt, 1441);
    EXPECT_EQ (saturator.shapers[0]->currentType, 2);
    EXPECT_EQ (saturator.compensation.getTargetValue(), 1.0f);
    EXPECT_EQ (saturator.compensation.getCountdown(), 960 - (2048 - switchAt));

    for (int n = switchAt; n < 2048; ++n)
        ASSERT_LE (std::abs (buffer.getSample (0, n)), 1.0f) << n;
}

TEST (Saturator, CurveChangeAt192kHzFadesOver5760SamplesEachWay)
{
    constexpr double sampleRate = 192000.0;
    Saturator saturator;
    saturator.prepare (makeSpec (sampleRate, 16384, 2));
    saturator.setState ({ 1.0f, 0.0f, 1 });

    juce::AudioBuffer<float> buffer (2, 16384);
    buffer.clear();
    process (saturator, buffer);

    for (auto* shaper : saturator.shapers)
        ASSERT_EQ (shaper->currentType, 1);

    saturator.setState ({ 1.0f, 0.0f, 3 });
    EXPECT_EQ (saturator.shapers[0]->fadeStep, (float) (-1.0 / 5760.0));

    constexpr float x = -0.7f;
    juce::FloatVectorOperations::fill (buffer.getWritePointer (0), x, 16384);
    juce::FloatVectorOperations::fill (buffer.getWritePointer (1), x, 16384);
    process (saturator, buffer);

    const auto* out = buffer.getReadPointer (1);
    const auto oldCurve = qv::WaveShaperHelpers::SingleChannelWaveShaper<float>::tapeSaturate (x);
    const auto newCurve = qv::WaveShaperHelpers::SingleChannelWaveShaper<float>::crossoverSaturate (x);

    int oldCurveSamples = 0;

    while (out[oldCurveSamples] != 0.0f)
        ++oldCurveSamples;

    EXPECT_EQ (oldCurveSamples, 5760);
    EXPECT_EQ (out[0], oldCurve);
    EXPECT_EQ (out[5760], 0.0f);
    EXPECT_EQ (out[5761], newCurve * (1.0f / 5760.0f));
    EXPECT_NE (out[5761 + 5758], newCurve);
    EXPECT_EQ (out[5761 + 5759], newCurve);
    EXPECT_EQ (out[16383], newCurve);
}

TEST (Saturator, LaterPrepareAddsIdleShapersAndKeepsExistingOnes)
{
    Saturator saturator;
    saturator.prepare (makeSpec (48000.0, 256, 1));
    saturator.setState ({ 1.0f, 0.0f, 2 });

    juce::AudioBuffer<float> mono (1, 256);
    mono.clear();
    process (saturator, mono);
    const auto fadeReached = saturator.shapers[0]->fadeGain;

    saturator.prepare (makeSpec (96000.0, 256, 2));
    ASSERT_EQ (saturator.shapers.size(), 2);
    EXPECT_EQ (saturator.shapers[0]->nextType, 2);
    EXPECT_EQ (saturator.shapers[0]->fadeGain, fadeReached);
    EXPECT_EQ (saturator.shapers[1]->currentType, 0);
    EXPECT_EQ (saturator.shapers[1]->nextType, -1);
    EXPECT_EQ (saturator.shapers[1]->fadeGain, 1.0f);
    EXPECT_EQ (saturator.shapers[1]->sampleRate, 96000.0f);

    saturator.setState ({ 1.0f, 0.0f, 4 });
    saturator.prepare (makeSpec (96000.0, 256, 1));
    ASSERT_EQ (saturator.shapers.size(), 2);

    process (saturator, mono);
    EXPECT_EQ (saturator.shapers[1]->fadeGain, 1.0f);
    EXPECT_EQ (saturator.shapers[1]->nextType, 4);
}

TEST (Saturator, BiasIsAddedAheadOfTheCurveWithATwentyMillisecondRamp)
{
    Saturator saturator;
    saturator.prepare (makeSpec (48000.0, 2048, 2));
    saturator.setState ({ 1.0f, 0.5f, 0 });

    juce::AudioBuffer<float> buffer (2, 2048);
    buffer.clear();
    process (saturator, buffer);

    EXPECT_GT (buffer.getSample (0, 0), 0.0f);
    EXPECT_LT (buffer.getSample (0, 400), 0.5f);
    EXPECT_EQ (buffer.getSample (0, 960), 0.5f);
    EXPECT_EQ (buffer.getSample (1, 2047), 0.5f);

    for (int n = 0; n < 2048; ++n)
        ASSERT_EQ (buffer.getSample (0, n), buffer.getSample (1, n));
}

TEST (SaturatorStage, SeriesOfToneSaturatorAndBlockerRemovesTheTubeOffset)
{
    constexpr double sampleRate = 48000.0;
    qv::ProcessorSeries<float, qv::ToneFilter<float>, qv::Saturator<float>, qv::DCBlocker<float>> stage;
    stage.prepare (makeSpec (sampleRate, 48000, 2));
    stage.get<0>().setTone (0.5f);
    stage.get<1>().setState ({ 1.0f, 0.0f, 2 });
    stage.prepare (makeSpec (sampleRate, 48000, 2));

    juce::AudioBuffer<float> buffer (2, 48000);
    brazzle::test::fillWithSine (buffer, 1000.0, sampleRate, 0.8f);
    juce::dsp::AudioBlock<float> block (buffer);
    stage.process (juce::dsp::ProcessContextReplacing<float> (block));

    double mean = 0.0;

    for (int n = 38400; n < 48000; ++n)
        mean += buffer.getSample (0, n);

    EXPECT_NEAR (mean / 9600.0, 0.0, 1.0e-3);
    EXPECT_GT (brazzle::test::rms (buffer.getReadPointer (0, 38400), 9600), 0.1f);
}
