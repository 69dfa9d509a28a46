#include "LayoutChecks.h"

#include "NoiseSource.h"
#include "PluginHost.h"
#include "SignalScan.h"

namespace brazzle::validator
{
using tools::describe;
using tools::layoutOf;

void LayoutChecks::run()
{
    using Set = juce::AudioChannelSet;
    constexpr double rate = 48000.0;
    constexpr int blockSize = 256;

    struct Case
    {
        Set in, out;
        bool accepted;
    };

    // An LV2 plug-in's ports are fixed in its manifest, so only the stereo layout
    // exists there.
    const bool monoOffered = ctx.getKind() == tools::PluginKind::vst3;

    const Case cases[] = {
        { Set::mono(), Set::mono(), monoOffered },
        { Set::stereo(), Set::stereo(), true },
        { Set::mono(), Set::stereo(), false },
        { Set::stereo(), Set::mono(), false },
        { Set::create5point1(), Set::create5point1(), false },
    };

    auto random = ctx.randomFor ("layouts");

    for (const auto& c : cases)
    {
        const auto name = "layout " + describe (c.in) + "->" + describe (c.out);
        auto plugin = ctx.load (name, rate, blockSize);

        if (plugin == nullptr)
            continue;

        // Hosts change layouts only while the plug-in is released.
        plugin->releaseResources();
        const auto layout = layoutOf (c.in, c.out);
        const bool supported = plugin->checkBusesLayoutSupported (layout);
        const auto before = plugin->getBusesLayout();
        const bool applied = plugin->setBusesLayout (layout);

        if (! c.accepted)
        {
            ctx.expect (! supported && ! applied && plugin->getBusesLayout() == before, name,
                        juce::String (supported ? "supported" : "refused") + ", "
                            + (applied ? "applied" : "not applied, layout unchanged"));
            continue;
        }

        if (! supported || ! applied)
        {
            ctx.fail (name, juce::String (supported ? "supported" : "refused") + ", " + (applied ? "applied" : "not applied"));
            continue;
        }

        ValidationContext::prepare (*plugin, rate, blockSize);
        ctx.setRandomValues (*plugin, random);

        const int inputs = plugin->getTotalNumInputChannels();
        const int outputs = plugin->getTotalNumOutputChannels();
        juce::AudioBuffer<float> buffer (juce::jmax (inputs, outputs), blockSize);
        juce::MidiBuffer midi;
        NoiseSource noise (random.nextInt64());
        SignalScan scan;

        for (int block = 0; block < 64; ++block)
        {
            buffer.clear();
            noise.fill (buffer, inputs, 0, blockSize);
            plugin->processBlock (buffer, midi);
            scan.scan (buffer, outputs, 0, blockSize);
        }

        ctx.expect (inputs == c.in.size() && outputs == c.out.size() && scan.isClean(), name,
                    "accepted and applied, " + juce::String (inputs) + " in / " + juce::String (outputs)
                        + " out, processed " + scan.describe());
    }
}
} // namespace brazzle::validator
