#include "AllocationChecks.h"

#include "AllocationCounter.h"
#include "NoiseSource.h"

#include <thread>

namespace brazzle::validator
{
namespace
{
// JUCE 7.0.5's VST3 wrapper builds the plug-in's buffer in code inlined into
// processAudio, then calls the plug-in's processBlock through a virtual call, which
// is never inlined there. An allocation whose nearest caller is processAudio itself is
// therefore the wrapper's, made before or after processBlock, never inside it. A
// plug-in library without a symbol table gives no name, and its allocations all count.
bool isVst3WrapperBufferMapping (const AllocationCounter::Site& site)
{
    return site.callerFunction.startsWith ("void juce::JuceVST3Component::processAudio<");
}
} // namespace

void AllocationChecks::run()
{
    if (! AllocationCounter::isAvailable)
    {
        ctx.skip ("no allocation in processBlock", "sanitizer build: allocations are not intercepted");
        return;
    }

    AllocationCounter::prepare();

    for (const auto& [rate, blockSize] : { std::pair { 44100.0, 1 }, std::pair { 48000.0, 256 }, std::pair { 192000.0, 4096 } })
        checkProcessBlock (rate, blockSize);
}

void AllocationChecks::checkInterceptionReachesPlugin (juce::AudioPluginInstance& plugin)
{
    // Reading the state allocates inside the plug-in (it builds an XML document), so
    // call stacks through the plug-in's library prove that its allocations are counted.
    AllocationCounter::reset();
    {
        const AllocationCounter::ScopedArm arm;
        juce::MemoryBlock state;
        plugin.getStateInformation (state);
    }

    const auto count = AllocationCounter::getCount();
    juce::StringArray pluginModules;

    for (const auto& module : AllocationCounter::getAllocatingModules())
        if (module.contains ("Brazzle"))
            pluginModules.add (juce::File (module).getFileName());

    ctx.expect (! pluginModules.isEmpty(), "allocation counting reaches the plug-in",
                juce::String (count) + " allocations counted while the state was read, "
                    + (pluginModules.isEmpty() ? juce::String ("none from the plug-in's library")
                                               : "some from " + pluginModules.joinIntoString (", ")));
}

void AllocationChecks::checkProcessBlock (double sampleRate, int blockSize)
{
    const auto check = "no allocation in processBlock (" + juce::String (sampleRate, 0) + " Hz, block " + juce::String (blockSize) + ")";
    auto plugin = ctx.load (check, sampleRate, blockSize);

    if (plugin == nullptr)
        return;

    if (blockSize == 1)
        checkInterceptionReachesPlugin (*plugin);

    auto random = ctx.randomFor (check);
    const int warmUpBlocks = juce::jmax (64, static_cast<int> (sampleRate * 0.1) / blockSize);
    const int countedBlocks = juce::jmax (ctx.getOptions().quick ? 64 : 512, static_cast<int> (sampleRate * (ctx.getOptions().quick ? 0.1 : 1.0)) / blockSize);
    const auto parameters = ctx.parametersOf (*plugin);

    std::vector<AllocationCounter::Site> sites;

    // A thread of its own, as a host's audio thread: the counter is per thread, so
    // nothing the message thread does is counted.
    std::thread audio ([&]
    {
        const int inputs = plugin->getTotalNumInputChannels();
        juce::AudioBuffer<float> buffer (juce::jmax (inputs, plugin->getTotalNumOutputChannels()), blockSize);
        juce::MidiBuffer midi;
        NoiseSource noise (random.nextInt64());
        int sinceAutomation = 0;

        for (int block = 0; block < warmUpBlocks + countedBlocks; ++block)
        {
            if (block == warmUpBlocks)
                AllocationCounter::reset();

            // Automation as a host sends it: values set from the audio thread between
            // blocks, delivered by the wrapper inside the next processBlock.
            if ((sinceAutomation += blockSize) >= 32)
            {
                sinceAutomation = 0;

                for (auto* p : parameters)
                    if (p != nullptr)
                        p->setValue (random.nextFloat());
            }

            buffer.clear();
            noise.fill (buffer, inputs, 0, blockSize);

            const AllocationCounter::ScopedArm arm;
            plugin->processBlock (buffer, midi);
        }

        sites = AllocationCounter::getSites();
    });

    audio.join();

    juce::uint64 allocations = 0, wrapperAllocations = 0;
    juce::String wrapperCaller;
    const AllocationCounter::Site* firstPluginSite = nullptr;

    for (const auto& site : sites)
    {
        if (ctx.getKind() == tools::PluginKind::vst3 && isVst3WrapperBufferMapping (site))
        {
            wrapperAllocations += site.count;
            wrapperCaller = site.caller;
            continue;
        }

        allocations += site.count;

        if (firstPluginSite == nullptr)
            firstPluginSite = &site;
    }

    const auto blocks = " in " + juce::String (countedBlocks) + " blocks after " + juce::String (warmUpBlocks) + " warm-up blocks";

    ctx.expect (allocations == 0, check,
                juce::String (allocations) + " allocations" + blocks
                    + (firstPluginSite == nullptr ? juce::String() : ", first from " + (firstPluginSite->caller.isEmpty() ? juce::String ("one of many sites") : firstPluginSite->caller))
                    + (wrapperAllocations == 0 ? juce::String() : "; the wrapper's own allocations before processBlock are reported apart"));

    if (firstPluginSite != nullptr)
        for (const auto& line : firstPluginSite->stack)
            ctx.note ("  " + line);

    if (wrapperAllocations > 0)
        ctx.skip ("wrapper allocation around processBlock (" + juce::String (sampleRate, 0) + " Hz, block " + juce::String (blockSize) + ")",
                  juce::String (wrapperAllocations) + " allocations" + blocks + ", made by " + wrapperCaller
                      + " before it calls processBlock (JUCE 7.0.5 VST3 wrapper: ClientBufferMapperData::setUpInputChannels, "
                        "juce_VST3Common.h:693, copies each input bus's DynamicChannelMapping and with it a std::vector of "
                        "channel indices on every process call)");
}
} // namespace brazzle::validator
