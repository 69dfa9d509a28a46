// brazzle-make-presets: writes the factory preset files from their table.

#include "FactoryPresets.h"

#include <juce_events/juce_events.h>

#include <iostream>

namespace
{
constexpr const char* usage =
    "usage: brazzle-make-presets [--list] [TABLE [FOLDER]]\n"
    "  TABLE    the preset table (default: " BRAZZLE_FACTORY_TABLE ")\n"
    "  FOLDER   where the preset files go; its .xml files are replaced\n"
    "           (default: " BRAZZLE_FACTORY_FOLDER ")\n"
    "  --list   print the presets with their descriptions instead of writing them\n";
} // namespace

int main (int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI juce;

    bool list = false;
    juce::StringArray paths;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);

        if (arg == "--list")
            list = true;
        else if (arg.startsWith ("-") || paths.size() == 2)
        {
            std::cerr << usage;
            return 2;
        }
        else
            paths.add (arg);
    }

    const auto cwd = juce::File::getCurrentWorkingDirectory();
    const auto table = cwd.getChildFile (paths.size() > 0 ? paths[0] : juce::String (BRAZZLE_FACTORY_TABLE));
    const auto folder = cwd.getChildFile (paths.size() > 1 ? paths[1] : juce::String (BRAZZLE_FACTORY_FOLDER));

    std::vector<brazzle::tools::FactoryPreset> presets;

    if (const auto result = brazzle::tools::readFactoryTable (table, presets); result.failed())
    {
        std::cerr << table.getFullPathName() << ": " << result.getErrorMessage() << "\n";
        return 1;
    }

    if (list)
    {
        for (const auto& preset : presets)
            std::cout << preset.name << ": " << preset.description << "\n";

        return 0;
    }

    if (const auto result = brazzle::tools::writeFactoryPresets (presets, folder); result.failed())
    {
        std::cerr << result.getErrorMessage() << "\n";
        return 1;
    }

    std::cout << "wrote " << presets.size() << " presets to " << folder.getFullPathName() << "\n";
    return 0;
}
