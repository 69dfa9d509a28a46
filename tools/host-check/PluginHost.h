#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace brazzle::tools
{
/** Which of the built wrappers a tool loads. */
enum class PluginKind
{
    vst3,
    lv2
};

juce::String toString (PluginKind kind);

/** Loads the built VST3 or LV2 through JUCE's hosting, as a DAW would. The LV2 world
    is restricted to the given bundle's folder so that an installed copy of the same
    plug-in cannot be picked up instead of the one under test. */
class PluginHost
{
public:
    PluginHost();
    ~PluginHost();

    /** For a VST3 the path is the .vst3 bundle; for an LV2 it is the .lv2 bundle. */
    std::unique_ptr<juce::AudioPluginInstance> load (PluginKind kind,
                                                     const juce::File& bundle,
                                                     double sampleRate,
                                                     int blockSize,
                                                     juce::String& error);

    /** The description the host reads before instantiating, from the last load. */
    const juce::PluginDescription& getDescription() const noexcept { return description; }

    static constexpr const char* lv2Uri = "https://quorvale.com/plugins/brazzle";

    /** What the host sees as a parameter's identifier: VST3 hashes the string ID
        (JUCE's scheme, not a legacy index), LV2 makes it a URI below the plug-in's own. */
    static juce::String hostIdentifier (PluginKind kind, const juce::String& parameterId);

    /** The hosted parameter with the plug-in's string ID, or nullptr. */
    static juce::AudioProcessorParameter* findParameter (juce::AudioPluginInstance& plugin,
                                                         PluginKind kind,
                                                         const juce::String& parameterId);

private:
    juce::AudioPluginFormatManager formats;
    juce::PluginDescription description;
    juce::TemporaryFile emptyHome { juce::String(), juce::TemporaryFile::useHiddenFile };
};
/** A channel set as a host shows it; a disabled bus reads "none". */
inline juce::String describe (const juce::AudioChannelSet& set)
{
    return set.isDisabled() ? juce::String ("none") : set.getDescription();
}

/** A layout of one input and one output bus. */
inline juce::AudioProcessor::BusesLayout layoutOf (const juce::AudioChannelSet& in, const juce::AudioChannelSet& out)
{
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (in);
    layout.outputBuses.add (out);
    return layout;
}
} // namespace brazzle::tools
