#include "PluginHost.h"

#include <cstdlib>

namespace brazzle::tools
{
juce::String toString (PluginKind kind)
{
    return kind == PluginKind::vst3 ? "VST3" : "LV2";
}

PluginHost::PluginHost()
{
    // JUCE's LV2 host loads every bundle under ~/.lv2 when its format is created;
    // pointing HOME at an empty folder for that moment keeps installed copies out.
    const auto home = juce::SystemStats::getEnvironmentVariable ("HOME", {});
    emptyHome.getFile().createDirectory();
    setenv ("HOME", emptyHome.getFile().getFullPathName().toRawUTF8(), 1);

    formats.addFormat (new juce::VST3PluginFormat());
    formats.addFormat (new juce::LV2PluginFormat());

    setenv ("HOME", home.toRawUTF8(), 1);
}

PluginHost::~PluginHost()
{
    emptyHome.getFile().deleteRecursively();
}

juce::String PluginHost::hostIdentifier (PluginKind kind, const juce::String& parameterId)
{
    if (kind == PluginKind::vst3)
        return juce::String (static_cast<juce::uint32> (parameterId.hashCode()) & 0x7fffffffu);

    return juce::String ("des:") + lv2Uri + ":" + juce::URL::addEscapeChars (parameterId, true).replaceCharacter ('%', '_');
}

juce::AudioProcessorParameter* PluginHost::findParameter (juce::AudioPluginInstance& plugin,
                                                          PluginKind kind,
                                                          const juce::String& parameterId)
{
    const auto wanted = hostIdentifier (kind, parameterId);

    for (auto* parameter : plugin.getParameters())
        if (auto* withId = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameter))
            if (withId->getParameterID() == wanted)
                return parameter;

    return nullptr;
}

std::unique_ptr<juce::AudioPluginInstance> PluginHost::load (PluginKind kind,
                                                             const juce::File& bundle,
                                                             double sampleRate,
                                                             int blockSize,
                                                             juce::String& error)
{
    const auto formatName = kind == PluginKind::vst3 ? "VST3" : "LV2";
    juce::AudioPluginFormat* format = nullptr;

    for (auto* f : formats.getFormats())
        if (f->getName() == formatName)
            format = f;

    if (format == nullptr)
    {
        error = juce::String ("no ") + formatName + " hosting compiled in";
        return nullptr;
    }

    if (! bundle.exists())
    {
        error = "no plug-in at " + bundle.getFullPathName();
        return nullptr;
    }

    juce::String identifier = bundle.getFullPathName();

    if (kind == PluginKind::lv2)
    {
        format->searchPathsForPlugins (juce::FileSearchPath (bundle.getParentDirectory().getFullPathName()),
                                       false,
                                       false);
        identifier = lv2Uri;
    }

    juce::OwnedArray<juce::PluginDescription> found;
    format->findAllTypesForFile (found, identifier);

    if (found.isEmpty())
    {
        error = "the " + juce::String (formatName) + " host found no plug-in in " + bundle.getFullPathName();
        return nullptr;
    }

    description = *found.getFirst();
    return formats.createPluginInstance (description, sampleRate, blockSize, error);
}
} // namespace brazzle::tools
