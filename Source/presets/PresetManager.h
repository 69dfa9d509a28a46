#pragma once

#include <juce_core/juce_core.h>

namespace qv
{
/** Where the preset files live and how they are collected: a factory tree installed
    beside the plug-in and a user tree for the user's own saves, both under the user's
    music folder. */
struct PresetManager
{
    static juce::File getPresetRoot()
    {
        return juce::File::getSpecialLocation (juce::File::userMusicDirectory)
            .getChildFile ("Quorvale")
            .getChildFile ("Presets")
            .getChildFile ("Brazzle");
    }

    static juce::File getUserPresetDirectory() { return getPresetRoot().getChildFile ("User"); }
    static juce::File getSystemPresetDirectory() { return getPresetRoot().getChildFile ("Factory"); }

    /** Appends every "*.xml" file at any depth below the factory root, then below the
        user root; the array is not cleared first. Missing roots add nothing. */
    static void scanPresetFiles (juce::Array<juce::File>& files)
    {
        for (const auto& root : { getSystemPresetDirectory(), getUserPresetDirectory() })
        {
            if (! root.isDirectory())
                continue;

            // Symbolic links to folders are not followed, so a link that points back up
            // the tree cannot make the scan run forever.
            for (const auto& entry : juce::RangedDirectoryIterator (root, true, "*.xml", juce::File::findFiles,
                                                                    juce::File::FollowSymlinks::no))
                files.add (entry.getFile());
        }
    }
};
} // namespace qv
