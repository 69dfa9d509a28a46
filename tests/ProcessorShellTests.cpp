#include "BrazzleAudioProcessor.h"

#include "support/RealtimeGuard.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using Set = juce::AudioChannelSet;
using brazzle::test::RealtimeGuard;

juce::AudioProcessor::BusesLayout layoutOf (const Set& in, const Set& out)
{
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (in);
    layout.outputBuses.add (out);
    return layout;
}

void fillSine (juce::AudioBuffer<float>& buffer, double frequency, double sampleRate, int offset = 0)
{
    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        for (int n = 0; n < buffer.getNumSamples(); ++n)
            buffer.setSample (ch, n,
                              0.5f * static_cast<float> (std::sin (juce::MathConstants<double>::twoPi * frequency
                                                                   * (n + offset) / sampleRate + ch)));
}

struct LatencyCounter final : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override
    {
        latencyChanges += details.latencyChanged ? 1 : 0;
    }

    int latencyChanges = 0;
};

TEST (ProcessorShell, ConstantAnswers)
{
    BrazzleAudioProcessor processor;
    EXPECT_EQ (processor.getName(), "Brazzle");
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_EQ (processor.getBypassParameter(), nullptr);
    EXPECT_FALSE (processor.supportsDoublePrecisionProcessing());
    EXPECT_GE (processor.getNumPrograms(), 1);

    ASSERT_EQ (processor.getBusCount (true), 1);
    ASSERT_EQ (processor.getBusCount (false), 1);
    EXPECT_EQ (processor.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (processor.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (processor.getBus (true, 0)->getCurrentLayout(), Set::stereo());
    EXPECT_EQ (processor.getBus (false, 0)->getCurrentLayout(), Set::stereo());
    EXPECT_TRUE (processor.getBus (true, 0)->isEnabledByDefault());
    EXPECT_FALSE (processor.canAddBus (true));
    EXPECT_FALSE (processor.canRemoveBus (false));
}

TEST (ProcessorShell, StateTreeIsTypedAndVersionedFromConstruction)
{
    BrazzleAudioProcessor processor;
    const auto& state = processor.getParameterTree().state;
    EXPECT_EQ (state.getType().toString(), "BrazzleParameterRoot");
    EXPECT_TRUE (state.getProperty ("version").isString());
    EXPECT_EQ (state.getProperty ("version").toString(), "1.2.1");
    EXPECT_FALSE (state.hasProperty ("darkMode"));
}

TEST (ProcessorShell, BusLayoutRules)
{
    const struct
    {
        const char* what;
        juce::AudioProcessor::BusesLayout layout;
        bool accepted;
    } cases[] = {
        { "mono -> mono", layoutOf (Set::mono(), Set::mono()), true },
        { "stereo -> stereo", layoutOf (Set::stereo(), Set::stereo()), true },
        { "mono -> stereo", layoutOf (Set::mono(), Set::stereo()), false },
        { "stereo -> mono", layoutOf (Set::stereo(), Set::mono()), false },
        { "5.1 -> 5.1", layoutOf (Set::create5point1(), Set::create5point1()), false },
        { "LCR -> LCR", layoutOf (Set::createLCR(), Set::createLCR()), false },
        { "no input -> stereo", layoutOf (Set::disabled(), Set::stereo()), false },
        { "stereo -> no output", layoutOf (Set::stereo(), Set::disabled()), false },
        { "discrete 2 -> discrete 2", layoutOf (Set::discreteChannels (2), Set::discreteChannels (2)), false },
    };

    for (const auto& c : cases)
    {
        BrazzleAudioProcessor processor;
        const auto before = processor.getBusesLayout();
        EXPECT_EQ (processor.checkBusesLayoutSupported (c.layout), c.accepted) << c.what;
        EXPECT_EQ (processor.setBusesLayout (c.layout), c.accepted) << c.what;
        EXPECT_TRUE (processor.getBusesLayout() == (c.accepted ? c.layout : before)) << c.what << ": half applied";
    }

    juce::AudioProcessor::BusesLayout noInputBus;
    noInputBus.outputBuses.add (Set::stereo());
    BrazzleAudioProcessor processor;
    EXPECT_FALSE (processor.checkBusesLayoutSupported (noInputBus));
}

TEST (ProcessorShell, OversamplingOrderFollowsTheSampleRate)
{
    const struct
    {
        double rate;
        int factor;
        double chainRate;
    } cases[] = {
        { 22050.0, 4, 88200.0 },   { 44100.0, 4, 176400.0 },  { 48000.0, 4, 192000.0 },
        { 49999.0, 4, 199996.0 },  { 50000.0, 2, 100000.0 },  { 88200.0, 2, 176400.0 },
        { 96000.0, 2, 192000.0 },  { 99999.0, 2, 199998.0 },  { 100000.0, 1, 100000.0 },
        { 176400.0, 1, 176400.0 }, { 192000.0, 1, 192000.0 }, { 384000.0, 1, 384000.0 },
    };

    for (const auto& c : cases)
    {
        BrazzleAudioProcessor processor;
        processor.prepareToPlay (c.rate, 480);
        const auto spec = processor.getChainSpec();
        EXPECT_EQ (processor.getOversamplingFactor(), c.factor) << c.rate;
        EXPECT_EQ (spec.sampleRate, c.chainRate) << c.rate;
        EXPECT_EQ (spec.maximumBlockSize, 480u * static_cast<juce::uint32> (c.factor)) << c.rate;
        EXPECT_EQ (spec.numChannels, 2u) << c.rate;
    }
}

TEST (ProcessorShell, LatencyIsTheOversamplersAndNotifiesOnlyOnChange)
{
    BrazzleAudioProcessor processor;
    LatencyCounter counter;
    processor.addListener (&counter);

    processor.prepareToPlay (192000.0, 256);
    EXPECT_EQ (processor.getLatencySamples(), 0);
    EXPECT_EQ (counter.latencyChanges, 0);

    processor.prepareToPlay (96000.0, 256);
    const int twice = processor.getLatencySamples();
    processor.prepareToPlay (44100.0, 256);
    const int fourTimes = processor.getLatencySamples();
    EXPECT_GT (twice, 0);
    EXPECT_GT (fourTimes, twice);
    EXPECT_EQ (counter.latencyChanges, 2);

    for (int i = 0; i < 3; ++i)
        processor.prepareToPlay (44100.0, 256);

    EXPECT_EQ (processor.getLatencySamples(), fourTimes);
    EXPECT_EQ (counter.latencyChanges, 2);

    juce::dsp::Oversampling<float> reference (2, 2, juce::dsp::Oversampling<float>::filterHalfBandPolyphaseIIR, false);
    reference.initProcessing (256);
    EXPECT_EQ (fourTimes, static_cast<int> (reference.getLatencyInSamples()));

    processor.removeListener (&counter);
}

TEST (ProcessorShell, MonoLayoutPreparesOneChannel)
{
    BrazzleAudioProcessor processor;
    ASSERT_TRUE (processor.setBusesLayout (layoutOf (Set::mono(), Set::mono())));
    processor.prepareToPlay (48000.0, 128);
    EXPECT_EQ (processor.getChainSpec().numChannels, 1u);

    juce::AudioBuffer<float> buffer (1, 128);
    fillSine (buffer, 440.0, 48000.0);
    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);
    EXPECT_TRUE (std::isfinite (buffer.getMagnitude (0, 128)));
}

// With the crossover bypassed and the mix fully dry, the output is the input after
// the oversampler's round trip: a sine in the passband comes out at full level and
// lines up best at the reported latency.
TEST (ProcessorShell, ProcessingCarriesTheReportedLatency)
{
    for (const double rate : { 44100.0, 96000.0, 192000.0 })
    {
        BrazzleAudioProcessor processor;
        auto& tree = processor.getParameterTree();
        tree.getParameter ("crossover:bypass")->setValueNotifyingHost (1.0f);
        tree.getParameter ("global:mix")->setValueNotifyingHost (0.0f);
        processor.prepareToPlay (rate, 512);
        const int latency = processor.getLatencySamples();

        // Long enough for the 40 ms bypass fade to have finished at every rate.
        constexpr int length = 16384;
        constexpr int measured = 12288;
        juce::AudioBuffer<float> input (2, length), output (2, length);
        fillSine (input, 1000.0, rate);
        output.makeCopyOf (input);

        juce::MidiBuffer midi;
        for (int start = 0; start < length; start += 512)
        {
            juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), 2, start, 512);
            processor.processBlock (block, midi);
        }

        int bestDelay = -1;
        double bestError = 1.0e9;

        for (int delay = 0; delay < 16; ++delay)
        {
            double error = 0.0;
            for (int n = measured; n < length; ++n)
                error += std::abs (output.getSample (0, n) - input.getSample (0, n - delay));
            if (error < bestError)
            {
                bestError = error;
                bestDelay = delay;
            }
        }

        EXPECT_NEAR (bestDelay, latency, 1) << rate;
        EXPECT_NEAR (output.getRMSLevel (0, measured, length - measured),
                     input.getRMSLevel (0, measured, length - measured), 0.01) << rate;
    }
}

TEST (ProcessorShell, BlockBeforePrepareFindsNoOversamplerAndPassesThrough)
{
    BrazzleAudioProcessor processor;
    juce::AudioBuffer<float> buffer (2, 300), original (2, 300);
    fillSine (buffer, 100.0, 44100.0);
    original.makeCopyOf (buffer);
    juce::MidiBuffer midi;

    RealtimeGuard guard;
    processor.processBlock (buffer, midi);

    for (int ch = 0; ch < 2; ++ch)
        for (int n = 0; n < 300; ++n)
            ASSERT_EQ (buffer.getSample (ch, n), original.getSample (ch, n));

    if (RealtimeGuard::isAvailable())
        EXPECT_EQ (guard.allocations(), 0u);
}

// A block longer than announced is processed in pieces of the announced size and,
// once the settings have stopped gliding, sounds exactly as if the host had sent the
// pieces itself.
TEST (ProcessorShell, OversizedBlockIsProcessedInPreparedPieces)
{
    for (const double rate : { 44100.0, 88200.0 })
    {
        BrazzleAudioProcessor whole, pieces;
        juce::MidiBuffer midi;

        for (auto* processor : { &whole, &pieces })
        {
            // With the pass-through curve every block restarts the compensation ramp
            // (by design), so a shaping curve keeps the comparison exact.
            processor->getParameterTree().getParameter ("saturator:drive")->setValueNotifyingHost (0.5f);
            processor->getParameterTree().getParameter ("saturator:type")->setValueNotifyingHost (0.4f);
            processor->prepareToPlay (rate, 64);
            juce::AudioBuffer<float> warmUp (2, 64);

            for (int block = 0; block < static_cast<int> (rate * 0.2) / 64; ++block)
            {
                fillSine (warmUp, 300.0, rate, block * 64);
                processor->processBlock (warmUp, midi);
            }
        }

        juce::AudioBuffer<float> a (2, 1000), b (2, 1000);
        fillSine (a, 300.0, rate);
        b.makeCopyOf (a);

        {
            RealtimeGuard guard;
            whole.processBlock (a, midi);
            if (RealtimeGuard::isAvailable())
                EXPECT_EQ (guard.allocations(), 0u);
        }

        for (int start = 0; start < 1000; start += 64)
        {
            juce::AudioBuffer<float> piece (b.getArrayOfWritePointers(), 2, start, juce::jmin (64, 1000 - start));
            pieces.processBlock (piece, midi);
        }

        for (int ch = 0; ch < 2; ++ch)
            for (int n = 0; n < 1000; ++n)
                ASSERT_EQ (a.getSample (ch, n), b.getSample (ch, n)) << rate << " ch " << ch << " n " << n;
    }
}

TEST (ProcessorShell, BuffersWhoseChannelCountDiffersFromTheLayoutStayInBounds)
{
    juce::MidiBuffer midi;

    {
        // Prepared for mono, then handed a stereo buffer on a stereo layout without a
        // new prepare: only the prepared channel runs through the oversampler.
        BrazzleAudioProcessor processor;
        ASSERT_TRUE (processor.setBusesLayout (layoutOf (Set::mono(), Set::mono())));
        processor.prepareToPlay (44100.0, 128);
        ASSERT_TRUE (processor.setBusesLayout (layoutOf (Set::stereo(), Set::stereo())));

        juce::AudioBuffer<float> buffer (2, 128);
        fillSine (buffer, 200.0, 44100.0);
        juce::AudioBuffer<float> original;
        original.makeCopyOf (buffer);

        RealtimeGuard guard;
        processor.processBlock (buffer, midi);
        if (RealtimeGuard::isAvailable())
            EXPECT_EQ (guard.allocations(), 0u);

        for (int n = 0; n < 128; ++n)
            ASSERT_EQ (buffer.getSample (1, n), original.getSample (1, n));
    }

    {
        // Fewer channels in the buffer than the layout has.
        BrazzleAudioProcessor processor;
        processor.prepareToPlay (48000.0, 128);
        juce::AudioBuffer<float> buffer (1, 128);
        fillSine (buffer, 200.0, 48000.0);
        processor.processBlock (buffer, midi);
        EXPECT_TRUE (std::isfinite (buffer.getMagnitude (0, 128)));
    }

    {
        // An empty block and a buffer without channels.
        BrazzleAudioProcessor processor;
        processor.prepareToPlay (48000.0, 128);
        juce::AudioBuffer<float> empty (2, 0), none (0, 64);
        processor.processBlock (empty, midi);
        processor.processBlock (none, midi);
    }
}

TEST (ProcessorShell, ProcessBlockNeitherAllocatesNorLocks)
{
    if (! RealtimeGuard::isAvailable())
        GTEST_SKIP() << "allocation hooks are not compiled into sanitizer builds";

    BrazzleAudioProcessor processor;
    processor.prepareToPlay (44100.0, 256);
    juce::AudioBuffer<float> buffer (2, 256);
    juce::MidiBuffer midi;

    RealtimeGuard guard;

    for (int block = 0; block < 2000; ++block)
    {
        fillSine (buffer, 220.0, 44100.0, block * 256);
        processor.processBlock (buffer, midi);
    }

    EXPECT_EQ (guard.allocations(), 0u);
    EXPECT_EQ (guard.locks(), 0u);
}

TEST (ProcessorShell, MidiBufferIsLeftUntouched)
{
    BrazzleAudioProcessor processor;
    processor.prepareToPlay (44100.0, 64);
    juce::AudioBuffer<float> buffer (2, 64);
    buffer.clear();
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.5f), 3);
    processor.processBlock (buffer, midi);
    ASSERT_EQ (midi.getNumEvents(), 1);
    EXPECT_EQ ((*midi.begin()).samplePosition, 3);
}
} // namespace
