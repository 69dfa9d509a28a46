#include "ValidationContext.h"

#include "ParameterTable.h"

#include <juce_dsp/juce_dsp.h>

namespace brazzle::validator
{
ValidationContext::ValidationContext (tools::PluginHost& hostIn,
                                      tools::PluginKind kindIn,
                                      const juce::File& bundleIn,
                                      const PresetHome& presetHomeIn,
                                      ValidationReport& reportIn,
                                      const ValidationOptions& optionsIn)
    : host (hostIn),
      kind (kindIn),
      bundle (bundleIn),
      presetHome (presetHomeIn),
      report (reportIn),
      options (optionsIn),
      formatName (tools::toString (kindIn))
{
}

std::unique_ptr<juce::AudioPluginInstance> ValidationContext::load (const juce::String& check, double sampleRate, int blockSize)
{
    jassert (sampleRate > 0.0 && blockSize > 0);

    juce::String error;
    auto plugin = host.load (kind, bundle, sampleRate, blockSize, error);

    if (plugin == nullptr)
    {
        fail (check, "cannot load: " + error);
        return nullptr;
    }

    plugin->enableAllBuses();
    prepare (*plugin, sampleRate, blockSize);
    return plugin;
}

juce::Array<juce::AudioProcessorParameter*> ValidationContext::parametersOf (juce::AudioPluginInstance& plugin) const
{
    juce::Array<juce::AudioProcessorParameter*> parameters;

    for (const auto& spec : parameterTable)
        parameters.add (tools::PluginHost::findParameter (plugin, kind, spec.id));

    return parameters;
}

juce::Random ValidationContext::randomFor (const juce::String& check) const
{
    return juce::Random (options.seed * 7919 + (static_cast<juce::int64> (kind) + 1) * 104729
                         + static_cast<juce::int64> (check.hashCode64()));
}

void ValidationContext::prepare (juce::AudioPluginInstance& plugin, double sampleRate, int blockSize)
{
    // Not the other way round: JUCE's VST3 host skips a prepare whose rate and size it
    // already holds, so setting them first would keep the plug-in at the old rate.
    plugin.prepareToPlay (sampleRate, blockSize);
    plugin.setRateAndBufferSizeDetails (sampleRate, blockSize);
}

void ValidationContext::settle (juce::AudioPluginInstance& plugin, int blockSize)
{
    juce::AudioBuffer<float> buffer (juce::jmax (2, plugin.getTotalNumInputChannels(), plugin.getTotalNumOutputChannels()),
                                     blockSize);
    buffer.clear();
    juce::MidiBuffer midi;
    plugin.processBlock (buffer, midi);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
}

bool ValidationContext::settleUntil (juce::AudioPluginInstance& plugin,
                                     int blockSize,
                                     const std::function<bool()>& condition,
                                     int timeoutMs)
{
    const auto start = juce::Time::getMillisecondCounter();

    for (;;)
    {
        if (condition())
            return true;

        if (juce::Time::getMillisecondCounter() - start > static_cast<juce::uint32> (timeoutMs))
            return false;

        settle (plugin, blockSize);
    }
}

std::vector<float> ValidationContext::setRandomValues (juce::AudioPluginInstance& plugin, juce::Random& random) const
{
    const auto parameters = parametersOf (plugin);
    std::vector<float> values;

    for (size_t i = 0; i < parameterTable.size(); ++i)
    {
        const auto& spec = parameterTable[i];
        const auto steps = static_cast<int> ((spec.end - spec.start) / spec.step + 0.5f);
        const auto value = static_cast<float> (random.nextInt (steps + 1)) / static_cast<float> (steps);
        values.push_back (value);

        if (auto* p = parameters[static_cast<int> (i)])
            p->setValue (value);
    }

    return values;
}

juce::String ValidationContext::describeValues (const std::vector<float>& values)
{
    juce::StringArray parts;

    for (const auto v : values)
        parts.add (juce::String (v, 4));

    return "[" + parts.joinIntoString (" ") + "]";
}

int ValidationContext::expectedLatency (double sampleRate)
{
    const int order = sampleRate < 50000.0 ? 2 : (sampleRate < 100000.0 ? 1 : 0);
    juce::dsp::Oversampling<float> reference (2, static_cast<size_t> (order),
                                              juce::dsp::Oversampling<float>::filterHalfBandPolyphaseIIR, false);
    reference.initProcessing (512);
    return static_cast<int> (reference.getLatencyInSamples());
}
} // namespace brazzle::validator
