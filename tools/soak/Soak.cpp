// Runs the processor for a long stretch of audio the way a busy host session would:
// an audio thread processes 64-sample blocks at 48 kHz, a host thread automates every
// parameter between blocks, a state thread switches programs and restores saved states,
// and the main thread runs the message loop that the parameter tree's timer needs.
// Every output sample must be finite and bounded, and the resident memory must not
// grow after the first minute of audio. Prints one summary line; exits non-zero on
// any failure.
//
//   brazzle-soak [--seconds N] [--realtime]

#include "BrazzleAudioProcessor.h"
#include "presets/PresetManager.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 64;
constexpr int channels = 2;

// Loud input with every gain at its top (36 dB of drive into the pass-through curve,
// 6 dB of tone, 24 dB of output gain) stays near +30 dBFS; beyond this something broke.
constexpr float outputBound = 100.0f;

// Memory taken in the first minute (caches, first restores, fragmentation settling)
// is allowed; after that the resident size may not grow by more than this.
constexpr double warmUpSeconds = 60.0;
constexpr double memoryAllowanceBytes = 4.0 * 1024.0 * 1024.0;
constexpr double memorySampleSeconds = 5.0;

// Program changes closer than 200 ms to a restore are ignored by the processor, so the
// state thread leaves this much audio between its actions.
constexpr double stateActionSeconds = 0.25;

struct Options
{
    double seconds = 600.0;
    bool realtime = false;
};

bool parse (int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const juce::String argument (argv[i]);

        if (argument == "--realtime")
            options.realtime = true;
        else if (argument == "--seconds" && i + 1 < argc)
            options.seconds = juce::String (argv[++i]).getDoubleValue();
        else
            return false;
    }

    return options.seconds > 0.0;
}

double residentBytes()
{
    std::ifstream statm ("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double> (resident) * static_cast<double> (sysconf (_SC_PAGESIZE));
}

void randomise (BrazzleAudioProcessor& processor, juce::Random& random)
{
    for (auto* parameter : processor.getParameters())
        parameter->setValueNotifyingHost (random.nextFloat());
}

/** States of randomly set processors, as a host would have saved them. */
std::vector<juce::MemoryBlock> makeStates (int count, juce::Random& random)
{
    std::vector<juce::MemoryBlock> states;
    BrazzleAudioProcessor source;

    for (int i = 0; i < count; ++i)
    {
        randomise (source, random);
        states.emplace_back();
        source.getStateInformation (states.back());
    }

    return states;
}

void writePresets (const std::vector<juce::MemoryBlock>& states)
{
    const auto factory = qv::PresetManager::getSystemPresetDirectory();
    const auto user = qv::PresetManager::getUserPresetDirectory();

    for (size_t i = 0; i < states.size(); ++i)
    {
        const auto folder = i % 3 == 2 ? user : factory.getChildFile (i % 2 == 0 ? "Bass" : "Drums");
        folder.createDirectory();
        folder.getChildFile ("Soak " + juce::String (static_cast<int> (i)) + ".xml").replaceWithData (states[i].getData(), states[i].getSize());
    }
}

struct Shared
{
    std::atomic<long long> blocksStarted { 0 };
    std::atomic<long long> blocksDone { 0 };
    std::atomic<bool> running { true };
    std::atomic<bool> failed { false };
    std::atomic<long long> automationPasses { 0 };
    std::atomic<long long> programChanges { 0 };
    std::atomic<long long> restores { 0 };
    std::atomic<float> peak { 0.0f };
    juce::String failure;

    double audioSeconds() const noexcept  { return static_cast<double> (blocksDone.load()) * blockSize / sampleRate; }

    void fail (const juce::String& why)
    {
        if (! failed.exchange (true))
            failure = why;

        stop();
    }

    // The counters change and the run stops under one mutex, so that a thread about
    // to wait cannot miss the last wake-up (waiting on the atomics themselves could:
    // a stop that changes no counter wakes nobody who starts waiting after it).
    void stop()
    {
        {
            const std::lock_guard<std::mutex> lock (mutex);
            running = false;
        }

        changed.notify_all();
    }

    /** Waits until the counter reaches the value; false once the run ends. */
    bool waitFor (std::atomic<long long>& counter, long long value)
    {
        std::unique_lock<std::mutex> lock (mutex);
        changed.wait (lock, [&] { return ! running.load() || counter.load() >= value; });
        return running.load();
    }

    void advance (std::atomic<long long>& counter)
    {
        {
            const std::lock_guard<std::mutex> lock (mutex);
            counter.fetch_add (1);
        }

        changed.notify_all();
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
};

void runAudio (BrazzleAudioProcessor& processor, Shared& shared, const Options& options)
{
    const auto totalBlocks = static_cast<long long> (options.seconds * sampleRate / blockSize);
    const auto blockDuration = std::chrono::duration<double> (blockSize / sampleRate);
    const auto start = std::chrono::steady_clock::now();

    juce::AudioBuffer<float> buffer (channels, blockSize);
    juce::MidiBuffer midi;
    juce::Random random (11);
    double phase = 0.0, frequency = 220.0;
    float level = 0.5f, peak = 0.0f;

    for (long long block = 0; block < totalBlocks && shared.running; ++block)
    {
        // A new tone and level every quarter of a second, now and then silence.
        if (block % 188 == 0)
        {
            frequency = 40.0 * std::pow (400.0, random.nextDouble());
            level = random.nextInt (6) == 0 ? 0.0f : random.nextFloat();
        }

        for (int n = 0; n < blockSize; ++n)
        {
            const auto tone = static_cast<float> (std::sin (phase));
            phase = std::fmod (phase + juce::MathConstants<double>::twoPi * frequency / sampleRate, juce::MathConstants<double>::twoPi);

            for (int ch = 0; ch < channels; ++ch)
                buffer.setSample (ch, n, level * (0.8f * tone + 0.2f * (random.nextFloat() * 2.0f - 1.0f)));
        }

        // Every block sees a fresh automation pass; the next pass runs while this
        // block is being processed.
        if (! shared.waitFor (shared.automationPasses, block + 1))
            break;

        shared.advance (shared.blocksStarted);
        processor.processBlock (buffer, midi);

        for (int ch = 0; ch < channels; ++ch)
        {
            for (int n = 0; n < blockSize; ++n)
            {
                const auto y = buffer.getSample (ch, n);

                if (! (std::abs (y) <= outputBound))
                {
                    shared.fail ("output " + juce::String (y) + " at block " + juce::String (block) + ", channel "
                                 + juce::String (ch) + ", sample " + juce::String (n));
                    return;
                }

                peak = std::max (peak, std::abs (y));
            }
        }

        shared.peak = peak;
        shared.advance (shared.blocksDone);

        if (options.realtime)
            std::this_thread::sleep_until (start + std::chrono::duration_cast<std::chrono::steady_clock::duration> (blockDuration * (block + 1)));
    }

    shared.stop();
}

void runHost (BrazzleAudioProcessor& processor, Shared& shared)
{
    juce::Random random (12);

    for (long long pass = 0; shared.waitFor (shared.blocksStarted, pass); ++pass)
    {
        randomise (processor, random);
        shared.advance (shared.automationPasses);
    }
}

void runStateChanges (BrazzleAudioProcessor& processor, Shared& shared, const std::vector<juce::MemoryBlock>& states)
{
    juce::Random random (13);
    const auto blocksBetween = static_cast<long long> (stateActionSeconds * sampleRate / blockSize);

    for (long long action = 0; shared.waitFor (shared.blocksDone, shared.blocksDone.load() + blocksBetween); ++action)
    {
        if (action % 2 == 0)
        {
            const auto programs = processor.getNumPrograms();
            const auto current = processor.getCurrentProgram();
            const auto next = (current + 1 + random.nextInt (juce::jmax (1, programs - 1))) % programs;
            processor.setCurrentProgram (next);

            if (processor.getCurrentProgram() == next && next != current)
                ++shared.programChanges;
        }
        else
        {
            juce::MemoryBlock saved;
            processor.getStateInformation (saved);
            const auto& state = random.nextBool() ? saved : states[static_cast<size_t> (random.nextInt (static_cast<int> (states.size())))];
            processor.setStateInformation (state.getData(), static_cast<int> (state.getSize()));
            ++shared.restores;
        }
    }
}

int soak (const Options& options)
{
    juce::ScopedJuceInitialiser_GUI juce;
    juce::Random random (10);

    const auto states = makeStates (8, random);
    writePresets (states);

    auto processor = std::make_unique<BrazzleAudioProcessor>();

    if (processor->getPresetFiles().size() != static_cast<int> (states.size()))
    {
        std::cout << "soak: FAIL, " << processor->getPresetFiles().size() << " preset files found instead of " << states.size() << "\n";
        return 1;
    }

    processor->prepareToPlay (sampleRate, blockSize);

    Shared shared;
    processor->setMillisecondClock ([&shared] { return static_cast<juce::uint32> (shared.audioSeconds() * 1000.0); });

    const auto wallStart = std::chrono::steady_clock::now();
    std::thread audio ([&] { runAudio (*processor, shared, options); });
    std::thread host ([&] { runHost (*processor, shared); });
    std::thread stateChanges ([&] { runStateChanges (*processor, shared, states); });

    double firstMinuteBytes = -1.0, peakBytes = residentBytes(), nextSample = memorySampleSeconds;

    while (shared.running)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        const auto position = shared.audioSeconds();

        if (position < nextSample)
            continue;

        nextSample = (std::floor (position / memorySampleSeconds) + 1.0) * memorySampleSeconds;
        const auto bytes = residentBytes();
        peakBytes = std::max (peakBytes, bytes);

        if (position >= warmUpSeconds && firstMinuteBytes < 0.0)
            firstMinuteBytes = bytes;
        else if (firstMinuteBytes >= 0.0 && bytes > firstMinuteBytes + memoryAllowanceBytes)
            shared.fail ("resident memory grew from " + juce::String (firstMinuteBytes / 1048576.0, 1) + " MB to "
                         + juce::String (bytes / 1048576.0, 1) + " MB");
    }

    audio.join();
    host.join();
    stateChanges.join();

    const auto wallSeconds = std::chrono::duration<double> (std::chrono::steady_clock::now() - wallStart).count();
    const auto finalBytes = residentBytes();
    peakBytes = std::max (peakBytes, finalBytes);

    if (firstMinuteBytes >= 0.0 && finalBytes > firstMinuteBytes + memoryAllowanceBytes && ! shared.failed)
        shared.fail ("resident memory grew to " + juce::String (finalBytes / 1048576.0, 1) + " MB");

    processor.reset();

    std::printf ("soak: %.1f s of audio in %.1f s, %lld blocks, %lld program changes, %lld restores, %lld automation passes, "
                 "peak output %.2f, RSS after first minute %s, peak %.1f MB, final %.1f MB: %s\n",
                 static_cast<double> (shared.blocksDone.load()) * blockSize / sampleRate, wallSeconds, shared.blocksDone.load(),
                 shared.programChanges.load(), shared.restores.load(), shared.automationPasses.load(),
                 static_cast<double> (shared.peak.load()),
                 firstMinuteBytes >= 0.0 ? (juce::String (firstMinuteBytes / 1048576.0, 1) + " MB").toRawUTF8() : "not reached",
                 peakBytes / 1048576.0, finalBytes / 1048576.0,
                 shared.failed ? ("FAIL, " + shared.failure).toRawUTF8() : "ok");

    return shared.failed ? 1 : 0;
}
} // namespace

int main (int argc, char** argv)
{
    Options options;

    if (! parse (argc, argv, options))
    {
        std::cerr << "usage: brazzle-soak [--seconds N] [--realtime]\n";
        return 2;
    }

    // The processor scans the preset folders under the user's music folder; the soak's
    // presets go into a folder of its own, which it removes at the end.
    char home[] = "/tmp/brazzle-soak-XXXXXX";

    if (mkdtemp (home) == nullptr || setenv ("HOME", home, 1) != 0)
    {
        std::cerr << "soak: cannot make a temporary home\n";
        return 2;
    }

    const auto result = soak (options);
    juce::File (home).deleteRecursively();
    return result;
}
