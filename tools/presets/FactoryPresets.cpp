#include "FactoryPresets.h"

#include "BrazzleAudioProcessor.h"

namespace brazzle::tools
{
namespace
{
juce::Result failure (int line, const juce::String& message)
{
    return juce::Result::fail ("line " + juce::String (line) + ": " + message);
}

// Names become paths on every system the presets are installed on.
bool isUsableName (const juce::String& name)
{
    if (name.isEmpty() || name.startsWithChar ('/') || name.endsWithChar ('/')
        || name.containsAnyOf ("\\:*?\"<>|") || name.containsChar ('.'))
        return false;

    for (const auto& part : juce::StringArray::fromTokens (name, "/", {}))
        if (part.trim() != part || part.isEmpty())
            return false;

    return true;
}
} // namespace

juce::Result readFactoryTable (const juce::File& table, std::vector<FactoryPreset>& presets)
{
    juce::StringArray lines;
    table.readLines (lines);

    if (lines.isEmpty())
        return juce::Result::fail ("cannot read " + table.getFullPathName());

    juce::StringArray columns;
    juce::StringArray names;

    for (int i = 0; i < lines.size(); ++i)
    {
        const auto line = lines[i].trim();
        const int lineNumber = i + 1;

        if (line.isEmpty() || line.startsWithChar ('#'))
            continue;

        if (columns.isEmpty())
        {
            columns = juce::StringArray::fromTokens (line, ",", {});
            columns.trim();

            if (columns.size() < 3 || columns[0] != "name" || columns[columns.size() - 1] != "description")
                return failure (lineNumber, "the header must be name, parameter IDs..., description");

            continue;
        }

        const int fixed = columns.size() - 1;
        juce::StringArray fields;
        auto rest = line;

        for (int f = 0; f < fixed; ++f)
        {
            if (! rest.containsChar (','))
                return failure (lineNumber, "expected " + juce::String (columns.size()) + " fields");

            fields.add (rest.upToFirstOccurrenceOf (",", false, false).trim());
            rest = rest.fromFirstOccurrenceOf (",", false, false);
        }

        FactoryPreset preset;
        preset.name = fields[0];
        preset.description = rest.trim();

        if (! isUsableName (preset.name))
            return failure (lineNumber, "\"" + preset.name + "\" cannot be a preset's file name");

        if (names.contains (preset.name, true))
            return failure (lineNumber, "\"" + preset.name + "\" is there twice");

        names.add (preset.name);

        for (int f = 1; f < fixed; ++f)
            preset.settings.set (columns[f], fields[f]);

        presets.push_back (preset);
    }

    if (presets.empty())
        return juce::Result::fail (table.getFullPathName() + " holds no presets");

    return juce::Result::ok();
}

juce::Result makePresetDocument (const FactoryPreset& preset, juce::MemoryBlock& document)
{
    BrazzleAudioProcessor processor;
    auto& tree = processor.getParameterTree();

    for (const auto& id : preset.settings.getAllKeys())
    {
        auto* parameter = tree.getParameter (id);

        if (parameter == nullptr)
            return juce::Result::fail (preset.name + ": no parameter " + id);

        const auto text = preset.settings[id];
        const auto normalised = parameter->getValueForText (text);
        parameter->setValueNotifyingHost (normalised);

        const auto shown = parameter->getText (parameter->getValue(), 0);

        if (shown != text)
            return juce::Result::fail (preset.name + ": " + id + " \"" + text + "\" is shown as \"" + shown + "\"");
    }

    juce::MemoryBlock state;
    processor.getStateInformation (state);
    auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), static_cast<int> (state.getSize()));

    if (xml == nullptr)
        return juce::Result::fail (preset.name + ": the processor wrote no state");

    xml->removeAttribute ("darkMode");
    document.reset();
    juce::AudioProcessor::copyXmlToBinary (*xml, document);
    return juce::Result::ok();
}

juce::File presetFileIn (const juce::File& folder, const FactoryPreset& preset)
{
    return folder.getChildFile (preset.name + ".xml");
}

juce::Result writeFactoryPresets (const std::vector<FactoryPreset>& presets, const juce::File& folder)
{
    std::vector<juce::MemoryBlock> documents;

    for (const auto& preset : presets)
    {
        documents.emplace_back();

        if (const auto result = makePresetDocument (preset, documents.back()); result.failed())
            return result;
    }

    // Presets renamed or removed from the table must not linger.
    for (const auto& entry : juce::RangedDirectoryIterator (folder, true, "*.xml", juce::File::findFiles))
        entry.getFile().deleteFile();

    for (const auto& entry : juce::RangedDirectoryIterator (folder, true, "*", juce::File::findDirectories))
        if (entry.getFile().getNumberOfChildFiles (juce::File::findFilesAndDirectories) == 0)
            entry.getFile().deleteFile();

    for (size_t i = 0; i < presets.size(); ++i)
    {
        const auto file = presetFileIn (folder, presets[i]);

        if (! file.getParentDirectory().createDirectory().wasOk()
            || ! file.replaceWithData (documents[i].getData(), documents[i].getSize()))
            return juce::Result::fail ("cannot write " + file.getFullPathName());
    }

    return juce::Result::ok();
}
} // namespace brazzle::tools
