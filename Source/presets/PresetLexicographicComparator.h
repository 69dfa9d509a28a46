#pragma once

#include "PresetManager.h"

/** Program order of preset files: "Default" first, then the presets directly in a
    root (factory and user mixed), then those in category folders, each group by its
    path relative to its root in code-point order. For juce::Array::sort. */
struct PresetLexicographicComparator
{
    static int compareElements (const juce::File& a, const juce::File& b)
    {
        // Two "Default" files are ordered by the remaining rules: answering "first" for
        // both would make a file come before itself, which std::sort (behind
        // juce::Array::sort) may answer by running off the end of the array.
        const bool aDefault = a.getFileNameWithoutExtension().equalsIgnoreCase ("Default");
        const bool bDefault = b.getFileNameWithoutExtension().equalsIgnoreCase ("Default");

        if (aDefault != bDefault)
            return aDefault ? -1 : 1;

        const auto user = qv::PresetManager::getUserPresetDirectory();
        const auto factory = qv::PresetManager::getSystemPresetDirectory();

        const bool aNested = isNested (a, user, factory);
        const bool bNested = isNested (b, user, factory);

        if (aNested != bNested)
            return aNested ? 1 : -1;

        const auto keyA = sortKey (a, user, factory);
        const auto keyB = sortKey (b, user, factory);
        const int order = keyA.compare (keyB);
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }

private:
    static bool isNested (const juce::File& file, const juce::File& user, const juce::File& factory)
    {
        const auto folder = file.getParentDirectory();
        return folder.isAChildOf (user) || folder.isAChildOf (factory);
    }

    static juce::String sortKey (const juce::File& file, const juce::File& user, const juce::File& factory)
    {
        if (file.isAChildOf (user))
            return file.getRelativePathFrom (user);

        if (file.isAChildOf (factory))
            return file.getRelativePathFrom (factory);

        return file.getFullPathName().toLowerCase();
    }
};
