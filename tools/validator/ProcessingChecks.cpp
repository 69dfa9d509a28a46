#include "ProcessingChecks.h"

#include "NoiseSource.h"
#include "SignalScan.h"

namespace brazzle::validator
{
namespace
{
constexpr double sweepRates[] = { 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0, 384000.0 };
constexpr int sweepBlockSizes[] = { 1, 7, 32, 64, 256, 1024, 4096, 8192 };
constexpr int automationInterval = 32;

/** Feeds noise through a plug-in in blocks of one size and changes every parameter to
    a random value each time another 32 samples have passed. */
class AutomatedRun
{
public:
    AutomatedRun (ValidationContext& contextIn, juce::AudioPluginInstance& pluginIn, juce::Random& randomIn, int maxBlockSize)
        : ctx (contextIn),
          plugin (pluginIn),
          random (randomIn),
          noise (randomIn.nextInt64()),
          inputs (plugin.getTotalNumInputChannels()),
          outputs (plugin.getTotalNumOutputChannels()),
          buffer (juce::jmax (inputs, outputs), maxBlockSize)
    {
    }

    void processBlock (int numSamples)
    {
        jassert (numSamples <= buffer.getNumSamples());

        if (sinceAutomation >= automationInterval)
        {
            ctx.setRandomValues (plugin, random);
            sinceAutomation = 0;
        }

        buffer.setSize (buffer.getNumChannels(), numSamples, false, false, true);
        buffer.clear();
        noise.fill (buffer, inputs, 0, numSamples);
        plugin.processBlock (buffer, midi);
        scan.scan (buffer, outputs, 0, numSamples);
        sinceAutomation += numSamples;
    }

    const SignalScan& getScan() const noexcept { return scan; }

private:
    ValidationContext& ctx;
    juce::AudioPluginInstance& plugin;
    juce::Random& random;
    NoiseSource noise;
    const int inputs, outputs;
    juce::AudioBuffer<float> buffer;
    juce::MidiBuffer midi;
    SignalScan scan;
    int sinceAutomation = automationInterval;
};
} // namespace

void ProcessingChecks::run()
{
    checkSweep();
    checkRateChangeWithoutRelease();

    // VST3 forbids blocks beyond the announced maximum, and JUCE's VST3 wrapper copies
    // every input block into a scratch buffer of the announced size before the
    // processor sees it: a longer block overruns that buffer. Only a run that asks for
    // it (to show the overrun, best under AddressSanitizer) sends such blocks to VST3.
    if (ctx.getKind() == tools::PluginKind::vst3 && ! ctx.getOptions().vst3LongBlocks)
    {
        ctx.skip ("blocks of twice the announced size",
                  "outside the VST3 contract; the wrapper's input copy would overrun its buffer (--vst3-long-blocks sends them anyway)");
        return;
    }

    for (const auto& [rate, blockSize] : { std::pair { 44100.0, 256 }, std::pair { 96000.0, 100 }, std::pair { 192000.0, 33 } })
        checkLongBlocks (rate, blockSize);
}

void ProcessingChecks::checkSweep()
{
    auto plugin = ctx.load ("sweep", 44100.0, 512);

    if (plugin == nullptr)
        return;

    auto random = ctx.randomFor ("sweep");

    // Seconds of audio per rate and block size; half in whole blocks, so that the
    // plug-in sees the announced size, and half with every block cut at the 32-sample
    // automation points.
    const double seconds = ctx.getOptions().quick ? 0.02 : 1.0;
    const auto started = juce::Time::getMillisecondCounterHiRes();

    for (const auto rate : sweepRates)
    {
        SignalScan rateScan;
        juce::StringArray failures;

        for (const auto blockSize : sweepBlockSizes)
        {
            plugin->releaseResources();
            ValidationContext::prepare (*plugin, rate, blockSize);

            AutomatedRun run (ctx, *plugin, random, blockSize);
            const auto total = juce::jmax (static_cast<juce::int64> (rate * seconds), static_cast<juce::int64> (4 * blockSize));
            juce::int64 done = 0;

            for (; done < total / 2; done += blockSize)
                run.processBlock (blockSize);

            for (; done < total; done += blockSize)
                for (int start = 0; start < blockSize; start += automationInterval)
                    run.processBlock (juce::jmin (automationInterval, blockSize - start));

            if (! run.getScan().isClean())
                failures.add ("block " + juce::String (blockSize) + ": " + run.getScan().describe());

            rateScan.merge (run.getScan());
        }

        const auto check = "sweep " + juce::String (rate, 0) + " Hz";

        if (failures.isEmpty())
            ctx.pass (check, "blocks 1 to 8192, " + rateScan.describe());
        else
            for (const auto& failure : failures)
                ctx.fail (check, failure);
    }

    ctx.note (tools::toString (ctx.getKind()) + " sweep took " + juce::String ((juce::Time::getMillisecondCounterHiRes() - started) / 1000.0, 1)
              + " s");
}

void ProcessingChecks::checkRateChangeWithoutRelease()
{
    constexpr int blockSize = 512;
    auto plugin = ctx.load ("rate change without release", 44100.0, blockSize);

    if (plugin == nullptr)
        return;

    auto random = ctx.randomFor ("rate change without release");
    const auto latencyAt = [&] (double rate)
    {
        const auto expected = ValidationContext::expectedLatency (rate);
        ValidationContext::settleUntil (*plugin, blockSize, [&] { return plugin->getLatencySamples() == expected; });
        return plugin->getLatencySamples();
    };

    SignalScan before, after;
    {
        AutomatedRun run (ctx, *plugin, random, blockSize);

        for (int block = 0; block < 100; ++block)
            run.processBlock (blockSize);

        before = run.getScan();
    }
    const auto latencyBefore = latencyAt (44100.0);

    ValidationContext::prepare (*plugin, 96000.0, blockSize);
    {
        AutomatedRun run (ctx, *plugin, random, blockSize);

        for (int block = 0; block < 200; ++block)
            run.processBlock (blockSize);

        after = run.getScan();
    }
    const auto latencyAfter = latencyAt (96000.0);

    ctx.expect (before.isClean() && after.isClean() && latencyBefore == ValidationContext::expectedLatency (44100.0)
                    && latencyAfter == ValidationContext::expectedLatency (96000.0),
                "rate change without release",
                "44100 Hz: latency " + juce::String (latencyBefore) + ", " + before.describe() + "; then 96000 Hz: latency "
                    + juce::String (latencyAfter) + " (expected " + juce::String (ValidationContext::expectedLatency (96000.0))
                    + "), " + after.describe());
}

void ProcessingChecks::checkLongBlocks (double sampleRate, int announcedBlockSize)
{
    const auto check = "blocks of twice the announced size (" + juce::String (sampleRate, 0) + " Hz, "
                       + juce::String (announcedBlockSize) + ")";
    auto longBlocks = ctx.load (check, sampleRate, announcedBlockSize);
    auto shortBlocks = ctx.load (check, sampleRate, announcedBlockSize);

    if (longBlocks == nullptr || shortBlocks == nullptr)
        return;

    auto random = ctx.randomFor (check);
    const auto seed = random.nextInt64();

    for (auto* plugin : { longBlocks.get(), shortBlocks.get() })
    {
        juce::Random same (seed);
        ctx.setRandomValues (*plugin, same);
    }

    const int channels = juce::jmax (longBlocks->getTotalNumInputChannels(), longBlocks->getTotalNumOutputChannels());
    const int outputs = longBlocks->getTotalNumOutputChannels();
    const int longBlockSize = 2 * announcedBlockSize;
    const int numLongBlocks = juce::jmax (8, static_cast<int> (sampleRate * 0.2) / longBlockSize);
    const int total = numLongBlocks * longBlockSize;

    juce::AudioBuffer<float> input (channels, total);
    input.clear();
    NoiseSource (random.nextInt64()).fill (input, longBlocks->getTotalNumInputChannels(), 0, total);

    juce::AudioBuffer<float> outLong (input), outShort (input);
    juce::MidiBuffer midi;

    for (int start = 0; start < total; start += longBlockSize)
    {
        juce::AudioBuffer<float> view (outLong.getArrayOfWritePointers(), channels, start, longBlockSize);
        longBlocks->processBlock (view, midi);
    }

    for (int start = 0; start < total; start += announcedBlockSize)
    {
        juce::AudioBuffer<float> view (outShort.getArrayOfWritePointers(), channels, start, announcedBlockSize);
        shortBlocks->processBlock (view, midi);
    }

    SignalScan scan;
    scan.scan (outLong, outputs, 0, total);
    float worst = 0.0f, worstInLastQuarter = 0.0f;
    int firstDifferent = -1;

    for (int channel = 0; channel < outputs; ++channel)
        for (int i = 0; i < total; ++i)
        {
            const auto difference = std::abs (outLong.getSample (channel, i) - outShort.getSample (channel, i));

            if (difference > 0.0f && (firstDifferent < 0 || i < firstDifferent))
                firstDifferent = i;

            worst = juce::jmax (worst, difference);

            if (i >= total * 3 / 4)
                worstInLastQuarter = juce::jmax (worstInLastQuarter, difference);
        }


    // The processor cuts a long block into pieces of the prepared size and takes the
    // parameters once per host block; with the parameters held still both instances
    // run the same pieces through the same state, so the output must match exactly.
    ctx.expect (worst == 0.0f && scan.isClean(), check,
                juce::String (numLongBlocks) + " blocks of " + juce::String (longBlockSize) + " against "
                    + juce::String (2 * numLongBlocks) + " of " + juce::String (announcedBlockSize)
                    + (worst == 0.0f ? juce::String (": identical to the last bit")
                                     : ": largest difference " + juce::String (worst, 9) + ", first at sample "
                                           + juce::String (firstDifferent) + ", still " + juce::String (worstInLastQuarter, 9)
                                           + " in the last quarter")
                    + "; " + scan.describe());
}
} // namespace brazzle::validator
