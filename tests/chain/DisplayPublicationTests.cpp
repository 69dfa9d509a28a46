#include "ChainTestHelpers.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
using brazzle::test::ProcessorFixture;
using brazzle::test::sine;

// Stands in for the editor's wave display: takes the values with atomic stores, as the
// display does, and poisons itself on destruction so that a late store would show.
struct StandInDisplay final : DisplayValueReceiver
{
    ~StandInDisplay() override { alive.store (false); }

    void storeDisplayValues (const DisplayValues& v) noexcept override
    {
        EXPECT_TRUE (alive.load());
        crossoverCutoff.store (v.crossoverCutoff);
        crossoverBand.store (v.crossoverBand);
        curveType.store (v.curveType);
        tone.store (v.tone);
        driveGain.store (v.driveGain);
        phaseAmount.store (v.phaseAmount);
        phaseDelay.store (v.phaseDelay);
        spread.store (v.spread);
        inputLevel.store (v.inputLevel);
        outputGain.store (v.outputGain);
        mix.store (v.mix);
        stores.fetch_add (1);
    }

    std::atomic<bool> alive { true };
    std::atomic<int> stores { 0 };
    std::atomic<float> crossoverCutoff { 0 }, tone { 0 }, driveGain { 0 }, phaseAmount { 0 }, phaseDelay { 0 },
        spread { 0 }, inputLevel { 0 }, outputGain { 0 }, mix { 0 };
    std::atomic<int> crossoverBand { 0 }, curveType { 0 };
};

TEST (DisplayPublication, PublishesTheDerivedValuesOfEachBlock)
{
    ProcessorFixture fixture ({ { "crossover:cutoff", 2500.0f }, { "crossover:band", 1.0f }, { "saturator:type", 4.0f },
                                { "saturator:tone", 0.25f }, { "saturator:drive", 12.0f }, { "pm:composite", 1.0f },
                                { "pm:spread", -1.5f }, { "global:outputGain", -6.0f }, { "global:mix", 0.75f } });
    fixture.prepare (48000.0, 480);

    StandInDisplay display;
    fixture.processor.getDisplayPublisher().attach (&display);
    auto buffer = sine (2, 480, 1000.0, 48000.0, 1.0f);
    fixture.process (buffer);
    fixture.processor.getDisplayPublisher().detach (&display);

    EXPECT_EQ (display.stores.load(), 1);
    EXPECT_EQ (display.crossoverCutoff.load(), 2500.0f);
    EXPECT_EQ (display.crossoverBand.load(), 1);
    EXPECT_EQ (display.curveType.load(), 4);
    EXPECT_FLOAT_EQ (display.tone.load(), 0.25f);
    EXPECT_EQ (display.driveGain.load(), juce::Decibels::decibelsToGain (12.0f));
    EXPECT_EQ (display.phaseAmount.load(), 6.0f);
    EXPECT_EQ (display.phaseDelay.load(), 2.0f);
    EXPECT_EQ (display.spread.load(), -1.5f);
    EXPECT_NEAR (display.inputLevel.load(), 0.70710678f, 1.0e-4f);
    EXPECT_EQ (display.outputGain.load(), juce::Decibels::decibelsToGain (-6.0f));
    EXPECT_FLOAT_EQ (display.mix.load(), 0.75f);
}

TEST (DisplayPublication, InputLevelIsTheFirstChannelsRms)
{
    ProcessorFixture fixture;
    fixture.prepare (44100.0, 441);
    StandInDisplay display;
    fixture.processor.getDisplayPublisher().attach (&display);

    auto buffer = sine (2, 441, 100.0, 44100.0, 1.0f);
    buffer.clear (0, 0, 441);
    fixture.process (buffer);
    EXPECT_EQ (display.inputLevel.load(), 0.0f);

    buffer.clear();
    fixture.process (buffer);
    EXPECT_EQ (display.inputLevel.load(), 0.0f);

    fixture.processor.getDisplayPublisher().detach (&display);
    const int stores = display.stores.load();
    fixture.process (buffer);
    EXPECT_EQ (display.stores.load(), stores);
}

// A display that comes and goes on one thread while another runs blocks: once detach
// returns, no store reaches it, so destroying it right after is safe. Built with
// ThreadSanitizer this also proves the hand-off free of data races.
TEST (DisplayPublication, DisplaysComingAndGoingWhileAudioRunsAreNeverTouchedAfterDetach)
{
    ProcessorFixture fixture;
    fixture.prepare (48000.0, 32);
    std::atomic<bool> running { true };

    std::thread audio ([&] {
        auto buffer = sine (2, 32, 440.0, 48000.0);
        juce::MidiBuffer midi;
        while (running.load())
            fixture.processor.processBlock (buffer, midi);
    });

    auto& publisher = fixture.processor.getDisplayPublisher();
    int received = 0;

    for (int i = 0; i < 3000; ++i)
    {
        auto display = std::make_unique<StandInDisplay>();
        publisher.attach (display.get());

        for (int spin = 0; spin < 50 && display->stores.load() == 0; ++spin)
            std::this_thread::yield();

        publisher.detach (display.get());
        received += display->stores.load() > 0 ? 1 : 0;
        display.reset();
    }

    running.store (false);
    audio.join();
    EXPECT_FALSE (publisher.hasReceiver());
    EXPECT_GT (received, 0);
}

TEST (DisplayPublication, DetachingAReceiverThatWasReplacedKeepsTheNewOne)
{
    DisplayValuePublisher publisher;
    StandInDisplay first, second;
    publisher.attach (&first);
    publisher.attach (&second);
    publisher.detach (&first);
    publisher.publish ({});
    EXPECT_EQ (first.stores.load(), 0);
    EXPECT_EQ (second.stores.load(), 1);
}
} // namespace
