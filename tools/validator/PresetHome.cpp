#include "PresetHome.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <cstdlib>

namespace brazzle::validator
{
PresetHome::PresetHome()
    : previousHome (juce::SystemStats::getEnvironmentVariable ("HOME", {}))
{
    const auto folder = home.getFile();
    folder.createDirectory();
    setenv ("HOME", folder.getFullPathName().toRawUTF8(), 1);

    // Without a user-dirs file the music folder is ~/Music.
    const auto root = folder.getChildFile ("Music/Quorvale/Presets/Brazzle");

    // Drives far apart, so that a loaded program can be told from its neighbours by
    // the drive the host shows; one preset in a sub-folder, one in the user tree.
    writePreset (root.getChildFile ("Factory/Warm.xml"), 6.0f);
    writePreset (root.getChildFile ("Factory/Bass/Fat.xml"), 18.0f);
    writePreset (root.getChildFile ("User/Mine.xml"), 30.0f);

    presets = { { "Warm", 6.0f }, { "Bass/Fat", 18.0f }, { "Mine", 30.0f } };
}

PresetHome::~PresetHome()
{
    setenv ("HOME", previousHome.toRawUTF8(), 1);
    home.getFile().deleteRecursively();
}

float PresetHome::driveForProgram (const juce::String& programName) const
{
    for (const auto& preset : presets)
        if (preset.programName == programName)
            return preset.drive;

    return -1.0f;
}

void PresetHome::writePreset (const juce::File& file, float drive)
{
    jassert (drive >= 0.0f && drive <= 36.0f);

    juce::XmlElement root ("BrazzleParameterRoot");
    root.setAttribute ("version", "1.2.1");

    const std::pair<const char*, double> values[] = {
        { "crossover:bypass", 1.0 }, { "saturator:type", 1.0 }, { "saturator:drive", drive }, { "global:mix", 0.5 },
    };

    for (const auto& [id, value] : values)
    {
        auto* child = root.createNewChildElement ("PARAM");
        child->setAttribute ("id", id);
        child->setAttribute ("value", value);
    }

    juce::MemoryBlock document;
    juce::AudioProcessor::copyXmlToBinary (root, document);
    file.getParentDirectory().createDirectory();
    file.replaceWithData (document.getData(), document.getSize());
}
} // namespace brazzle::validator
