#pragma once

#include <juce_core/juce_core.h>

#include <vector>

namespace brazzle::tools
{
/** One row of the factory preset table: where the preset goes and what each
    parameter shows. */
struct FactoryPreset
{
    juce::String name;               // program name, e.g. "Bass/Fat"; the file is name + ".xml"
    juce::StringPairArray settings;  // parameter ID -> text as the plug-in displays it
    juce::String description;
};

/** Reads the table: '#' starts a comment line, the first other line names the columns
    ("name", parameter IDs, "description"), every further line is a preset. The
    description is the rest of the line, commas included. */
juce::Result readFactoryTable (const juce::File& table, std::vector<FactoryPreset>& presets);

/** The preset's state document as the preset browser saves it: the processor's state
    with the preset's settings, without "darkMode". Every text must be one the
    parameter displays, so that the table reads as the plug-in will show it. */
juce::Result makePresetDocument (const FactoryPreset& preset, juce::MemoryBlock& document);

/** Replaces the preset files below the folder with the presets of the table. */
juce::Result writeFactoryPresets (const std::vector<FactoryPreset>& presets, const juce::File& folder);

/** Where a preset's file lies below a folder. */
juce::File presetFileIn (const juce::File& folder, const FactoryPreset& preset);
} // namespace brazzle::tools
