#pragma once

#include <juce_core/juce_core.h>

#include <vector>

namespace brazzle::validator
{
/** A temporary home folder holding a few preset files where the plug-in looks for
    them, so that its program list is known and the user's own presets stay out of
    the run. HOME points at it for the object's lifetime. */
class PresetHome
{
public:
    struct Preset
    {
        juce::String programName;
        float drive;
    };

    PresetHome();
    ~PresetHome();

    const std::vector<Preset>& getPresets() const noexcept { return presets; }
    juce::File getFolder() const { return home.getFile(); }

    /** The drive of the preset shown under the given program name, or a negative value. */
    float driveForProgram (const juce::String& programName) const;

private:
    void writePreset (const juce::File& file, float drive);

    juce::TemporaryFile home { juce::String(), juce::TemporaryFile::useHiddenFile };
    juce::String previousHome;
    std::vector<Preset> presets;

    JUCE_DECLARE_NON_COPYABLE (PresetHome)
};
} // namespace brazzle::validator
