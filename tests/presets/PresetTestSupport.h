#pragma once

#include "BrazzleAudioProcessor.h"
#include "presets/PresetManager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace brazzle::test
{
/** A parameter ID with a plain value. */
using Setting = std::pair<const char*, float>;

/** A value on every parameter's grid and away from every default, so that a value
    that was lost or reset shows. */
inline const std::vector<Setting> nonDefaultSettings {
    { "crossover:bypass", 1.0f },     { "crossover:cutoff", 523.0f }, { "crossover:band", 1.0f },
    { "saturator:tone", 0.237f },     { "saturator:type", 4.0f },     { "saturator:drive", 17.3f },
    { "pm:composite", 0.618f },       { "pm:spread", -2.25f },        { "global:agc", 1.0f },
    { "global:outputGain", -7.5f },   { "global:mix", 0.42f },
};

inline juce::RangedAudioParameter& parameter (BrazzleAudioProcessor& processor, const juce::String& id)
{
    auto* p = processor.getParameterTree().getParameter (id);
    EXPECT_NE (p, nullptr) << id;
    return *p;
}

inline void setPlain (BrazzleAudioProcessor& processor, const juce::String& id, float value)
{
    auto& p = parameter (processor, id);
    p.setValueNotifyingHost (p.convertTo0to1 (value));
}

inline float plain (BrazzleAudioProcessor& processor, const juce::String& id)
{
    return processor.getParameterTree().getRawParameterValue (id)->load();
}

inline void apply (BrazzleAudioProcessor& processor, const std::vector<Setting>& settings)
{
    for (const auto& [id, value] : settings)
        setPlain (processor, id, value);
}

/** Every parameter's plain value, in host order. */
inline std::vector<float> snapshot (BrazzleAudioProcessor& processor)
{
    std::vector<float> values;

    for (auto* p : processor.getParameters())
        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p))
            values.push_back (ranged->convertFrom0to1 (ranged->getValue()));

    return values;
}

/** Every parameter's plain value after the settings, as the parameters hold them
    (snapped to their steps). */
inline std::vector<float> snapshotAfter (const std::vector<Setting>& settings)
{
    BrazzleAudioProcessor processor;
    apply (processor, settings);
    return snapshot (processor);
}

/** Hands the bytes to the processor from a heap block of exactly their size, so that
    a read past the end is caught by the address sanitizer. */
inline void restore (BrazzleAudioProcessor& processor, const void* data, size_t size)
{
    const std::unique_ptr<char[]> exact (new char[size]);

    if (size > 0)
        std::memcpy (exact.get(), data, size);

    processor.setStateInformation (exact.get(), static_cast<int> (size));
}

inline void restore (BrazzleAudioProcessor& processor, const juce::MemoryBlock& block)
{
    restore (processor, block.getData(), block.getSize());
}

inline juce::MemoryBlock wrap (const juce::XmlElement& xml)
{
    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary (xml, block);
    return block;
}

/** The state document a processor writes, as XML. */
inline std::unique_ptr<juce::XmlElement> stateXml (BrazzleAudioProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation (block);
    return juce::AudioProcessor::getXmlFromBinary (block.getData(), static_cast<int> (block.getSize()));
}

/** A preset as the browser saves it: a state document with the given settings and
    without "darkMode". */
inline juce::MemoryBlock presetDocument (const std::vector<Setting>& settings)
{
    BrazzleAudioProcessor source;
    apply (source, settings);
    auto xml = stateXml (source);
    xml->removeAttribute ("darkMode");
    return wrap (*xml);
}

/** The millisecond counter as the test sets it. */
struct ManualClock
{
    explicit ManualClock (BrazzleAudioProcessor& processor)
    {
        processor.setMillisecondClock ([this] { return now; });
    }

    juce::uint32 now = 1000000;
};

/** Empties the preset roots (below the temporary home of the test binary) before and
    after a test, so that every test builds its own preset tree. */
class PresetFolders
{
public:
    PresetFolders() { clear(); }
    ~PresetFolders() { clear(); }

    static juce::File factory() { return qv::PresetManager::getSystemPresetDirectory(); }
    static juce::File user() { return qv::PresetManager::getUserPresetDirectory(); }

    /** Writes a file below a root, creating its folders. */
    static juce::File write (const juce::File& root, const juce::String& relativePath, const juce::MemoryBlock& content)
    {
        const auto file = root.getChildFile (relativePath);
        EXPECT_TRUE (file.getParentDirectory().createDirectory().wasOk()) << relativePath;
        EXPECT_TRUE (file.replaceWithData (content.getData(), content.getSize())) << relativePath;
        return file;
    }

    static juce::File write (const juce::File& root, const juce::String& relativePath, const juce::String& text)
    {
        return write (root, relativePath, juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8()));
    }

private:
    static void clear()
    {
        const auto top = qv::PresetManager::getPresetRoot().getParentDirectory().getParentDirectory();
        makeRemovable (top);
        top.deleteRecursively (false);
    }

    // Tests take permissions away from folders; they are given back, each folder
    // before it is listed, so that the tree can be removed.
    static void makeRemovable (const juce::File& folder)
    {
        if (folder.isSymbolicLink() || ! folder.isDirectory())
            return;

        ::chmod (folder.getFullPathName().toRawUTF8(), 0755);

        for (const auto& child : folder.findChildFiles (juce::File::findDirectories, false, "*",
                                                        juce::File::FollowSymlinks::no))
            makeRemovable (child);
    }
};

/** Path of a file relative to the preset folder that holds both roots, e.g. "User/Bass/Fat.xml". */
inline juce::String presetPathOf (const juce::File& file)
{
    return file.getRelativePathFrom (qv::PresetManager::getPresetRoot());
}
} // namespace brazzle::test
