#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <cstdlib>

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    // Preset folders live under the user's music folder: every test binary runs with
    // a home of its own so that no test reads or writes the real one.
    const juce::TemporaryFile home (juce::String(), juce::TemporaryFile::useHiddenFile);
    home.getFile().createDirectory();
    setenv ("HOME", home.getFile().getFullPathName().toRawUTF8(), 1);
    unsetenv ("XDG_MUSIC_DIR");
    unsetenv ("XDG_CONFIG_HOME");

    int result = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        result = RUN_ALL_TESTS();
    }

    home.getFile().deleteRecursively();
    return result;
}
