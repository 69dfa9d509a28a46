#include "Snapshot.h"

#include "BrazzleAudioProcessor.h"

#include <iostream>

namespace
{
constexpr const char* usage =
    "Usage: brazzle-snapshot [--out=FOLDER] [--scene=NAME] [--scale=FACTOR] [--defaults]\n"
    "Writes FOLDER/NAME-dark.png and FOLDER/NAME-light.png for every scene, or for the one named;\n"
    "FOLDER/NAME.png for a scene that looks the same in both skins.\n"
    "Controls show a setting away from their defaults unless --defaults is given.\n";
}

int main (int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI gui;
    juce::ArgumentList arguments (argc, argv);

    if (arguments.containsOption ("--help|-h"))
    {
        std::cout << usage;
        return 0;
    }

    const auto folder = arguments.containsOption ("--out")
                          ? juce::File::getCurrentWorkingDirectory().getChildFile (arguments.getValueForOption ("--out"))
                          : juce::File::getCurrentWorkingDirectory();
    const auto sceneName = arguments.getValueForOption ("--scene");
    const auto scale = arguments.containsOption ("--scale") ? arguments.getValueForOption ("--scale").getFloatValue() : 1.0f;

    if (scale <= 0.0f)
    {
        std::cerr << "The scale must be a positive number.\n" << usage;
        return 2;
    }

    int written = 0;

    {
        BrazzleAudioProcessor processor;

        if (! arguments.containsOption ("--defaults"))
            snapshot::applyShowcaseSettings (processor);

        for (const auto& scene : snapshot::getScenes())
        {
            if (sceneName.isNotEmpty() && scene.name != sceneName)
                continue;

            for (const bool dark : { true, false })
            {
                if (! scene.dependsOnSkin && ! dark)
                    continue;

                const auto suffix = ! scene.dependsOnSkin ? ".png" : (dark ? "-dark.png" : "-light.png");
                const auto file = folder.getChildFile (scene.name + suffix);

                if (! snapshot::writePng (scene.render (processor, dark, scale), file))
                {
                    std::cerr << "Could not write " << file.getFullPathName() << "\n";
                    return 1;
                }

                std::cout << file.getFullPathName() << "\n";
                ++written;
            }
        }
    }

    if (written == 0)
    {
        std::cerr << "No scene named \"" << sceneName << "\".\n" << usage;
        return 2;
    }

    return 0;
}
