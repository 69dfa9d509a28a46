#include "PresetTestSupport.h"

#include "presets/StateDocument.h"

#include <optional>

namespace
{
using namespace brazzle::test;

// Settings that differ from nonDefaultSettings in every parameter.
const std::vector<Setting> otherSettings {
    { "crossover:bypass", 0.0f },   { "crossover:cutoff", 3100.0f }, { "crossover:band", 0.0f },
    { "saturator:tone", 0.8f },     { "saturator:type", 2.0f },      { "saturator:drive", 6.5f },
    { "pm:composite", 0.1f },       { "pm:spread", 1.5f },           { "global:agc", 0.0f },
    { "global:outputGain", 3.25f }, { "global:mix", 0.9f },
};

int indexOf (const char* id)
{
    for (size_t i = 0; i < nonDefaultSettings.size(); ++i)
        if (juce::String (nonDefaultSettings[i].first) == id)
            return static_cast<int> (i);

    ADD_FAILURE() << id;
    return 0;
}

std::unique_ptr<juce::XmlElement> xmlOf (const juce::MemoryBlock& document)
{
    return juce::AudioProcessor::getXmlFromBinary (document.getData(), static_cast<int> (document.getSize()));
}

juce::XmlElement* paramChild (juce::XmlElement& xml, const char* id)
{
    for (auto* child : xml.getChildWithTagNameIterator ("PARAM"))
        if (child->getStringAttribute ("id") == id)
            return child;

    ADD_FAILURE() << "no PARAM " << id;
    return nullptr;
}

// The container with any header values and text, to the byte.
juce::MemoryBlock container (juce::uint32 magic, juce::uint32 length, const juce::MemoryBlock& text, bool terminator)
{
    juce::MemoryOutputStream out;
    out.writeInt (static_cast<int> (magic));
    out.writeInt (static_cast<int> (length));
    out.write (text.getData(), text.getSize());

    if (terminator)
        out.writeByte (0);

    return out.getMemoryBlock();
}

juce::MemoryBlock bytesOf (const juce::String& text)
{
    return { text.toRawUTF8(), text.getNumBytesAsUTF8() };
}

juce::MemoryBlock textOf (const juce::XmlElement& xml)
{
    return bytesOf (xml.toString (juce::XmlElement::TextFormat().singleLine().withoutHeader()));
}

TEST (PluginState, RoundTripKeepsEveryParameterTheSkinAndThePresetPath)
{
    BrazzleAudioProcessor source;
    apply (source, nonDefaultSettings);
    source.getParameterTree().state.setProperty ("darkMode", true, nullptr);
    source.getParameterTree().state.setProperty ("presetPath", "/somewhere/Bass/Fat.xml", nullptr);

    juce::MemoryBlock saved;
    source.getStateInformation (saved);

    BrazzleAudioProcessor target;
    restore (target, saved);

    EXPECT_EQ (snapshot (target), snapshot (source));
    EXPECT_EQ (snapshot (target), snapshotAfter (nonDefaultSettings));
    EXPECT_NE (snapshot (target), snapshotAfter ({}));
    const auto& state = target.getParameterTree().state;
    EXPECT_TRUE (static_cast<bool> (state.getProperty ("darkMode")));
    EXPECT_EQ (state.getProperty ("presetPath").toString(), "/somewhere/Bass/Fat.xml");
    EXPECT_EQ (state.getProperty ("version").toString(), "1.2.1");

    juce::MemoryBlock again;
    target.getStateInformation (again);
    EXPECT_EQ (again, saved) << "saved:\n" << saved.toString() << "\nagain:\n" << again.toString();
}

TEST (PluginState, DocumentLayout)
{
    BrazzleAudioProcessor processor;
    juce::MemoryBlock saved;
    processor.getStateInformation (saved);

    ASSERT_GT (saved.getSize(), 9u);
    const auto* bytes = static_cast<const juce::uint8*> (saved.getData());
    EXPECT_EQ (juce::String::fromUTF8 (reinterpret_cast<const char*> (bytes), 4), "VC2!");
    const auto length = juce::ByteOrder::littleEndianInt (bytes + 4);
    EXPECT_EQ (saved.getSize(), 8u + length + 1u);
    EXPECT_EQ (bytes[saved.getSize() - 1], 0);

    // The framework's container writes an XML declaration ahead of the element.
    const auto text = juce::String::fromUTF8 (reinterpret_cast<const char*> (bytes + 8), static_cast<int> (length));
    EXPECT_TRUE (text.fromFirstOccurrenceOf ("?>", false, false).trimStart().startsWith (
        "<BrazzleParameterRoot version=\"1.2.1\"><PARAM "))
        << text;
    EXPECT_FALSE (text.containsChar ('\n'));

    auto xml = xmlOf (saved);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getNumChildElements(), 11);

    for (const auto& setting : nonDefaultSettings)
    {
        auto& p = parameter (processor, setting.first);
        auto* child = paramChild (*xml, setting.first);
        ASSERT_NE (child, nullptr);
        EXPECT_EQ (static_cast<float> (child->getDoubleAttribute ("value")), p.convertFrom0to1 (p.getDefaultValue()))
            << setting.first;
    }
}

TEST (PluginState, VersionIsRewrittenWhateverTheDocumentSays)
{
    const struct
    {
        const char* version; // nullptr: no version property
        bool migrated;
    } cases[] = {
        { "0.9.5", false }, { "1.0.0", false }, { "9.9.9", false }, { "", true }, { "garbage", true }, { nullptr, true },
    };

    for (const auto& c : cases)
    {
        const auto what = juce::String (c.version != nullptr ? c.version : "(none)");
        auto xml = xmlOf (presetDocument (otherSettings));

        if (c.version == nullptr)
            xml->removeAttribute ("version");
        else
            xml->setAttribute ("version", c.version);

        BrazzleAudioProcessor processor;
        restore (processor, wrap (*xml));

        const auto stored = processor.getParameterTree().state.getProperty ("version");
        EXPECT_TRUE (stored.isString()) << what;
        EXPECT_EQ (stored.toString(), "1.2.1") << what;
        EXPECT_EQ (plain (processor, "saturator:type"), c.migrated ? 3.0f : 2.0f) << what;
        EXPECT_EQ (plain (processor, "saturator:drive"), 6.5f) << what;
    }
}

TEST (PluginState, CurveNumbersOfDocumentsBefore095AreMigrated)
{
    BrazzleAudioProcessor reference;
    apply (reference, otherSettings);

    const struct
    {
        const char* version; // nullptr: no version property
        const char* stored;  // nullptr: no "saturator:type" child
        float expected;
    } cases[] = {
        { "0.9.4", "0", 1.0f },          { "0.9.4", "1", 2.0f },         { "0.9.4", "4", 5.0f },
        { "0.9.4", "5", 0.0f },          { "0.9.4", "3.7", 4.0f },       { "0.9.4", "abc", 1.0f },
        { "0.9.4", "-3", 0.0f },         { "0.9.4", "2147483647", 0.0f }, { "0.9.4", "-2147483648", 0.0f },
        { "0.9.4", nullptr, 0.0f },      { "0.1.0", "2", 3.0f },         { "0.9", "2", 3.0f },
        { "", "2", 3.0f },               { nullptr, "0", 1.0f },         { "0.9.5", "3", 3.0f },
        { "1.0.0", "0", 0.0f },          { "1.2.1", "5", 5.0f },         { "0.10.0", "2", 2.0f },
    };

    for (const auto& c : cases)
    {
        const auto what = juce::String ("version ") + (c.version ? c.version : "(none)") + ", stored "
                          + (c.stored ? c.stored : "(none)");
        auto xml = xmlOf (presetDocument (otherSettings));

        if (c.version == nullptr)
            xml->removeAttribute ("version");
        else
            xml->setAttribute ("version", c.version);

        auto* curve = paramChild (*xml, "saturator:type");
        ASSERT_NE (curve, nullptr);

        if (c.stored == nullptr)
            xml->removeChildElement (curve, true);
        else
            curve->setAttribute ("value", c.stored);

        BrazzleAudioProcessor processor;
        apply (processor, nonDefaultSettings);
        restore (processor, wrap (*xml));

        EXPECT_EQ (plain (processor, "saturator:type"), c.expected) << what;
        EXPECT_EQ (plain (processor, "saturator:drive"), plain (reference, "saturator:drive")) << what << ": the rest of the document applies";
        EXPECT_EQ (processor.getParameterTree().state.getProperty ("version").toString(), "1.2.1") << what;
    }
}

TEST (PluginState, SkinIsKeptByPresetsAndSetByHostState)
{
    // -1: no "darkMode" property; 0 and 1: false and true.
    const struct
    {
        int current, document, expected;
    } cases[] = {
        { 1, -1, 1 }, { 0, -1, 0 }, { -1, -1, -1 }, { 1, 0, 0 }, { 0, 1, 1 }, { -1, 1, 1 }, { -1, 0, 0 },
    };

    for (const auto& c : cases)
    {
        const auto what = "current " + juce::String (c.current) + ", document " + juce::String (c.document);

        BrazzleAudioProcessor processor;
        auto& state = processor.getParameterTree().state;

        if (c.current >= 0)
            state.setProperty ("darkMode", c.current == 1, nullptr);

        auto xml = xmlOf (presetDocument (otherSettings));

        if (c.document >= 0)
            xml->setAttribute ("darkMode", c.document == 1 ? "1" : "0");

        restore (processor, wrap (*xml));

        const auto& restored = processor.getParameterTree().state;
        EXPECT_EQ (restored.hasProperty ("darkMode"), c.expected >= 0) << what;

        if (c.expected >= 0)
            EXPECT_EQ (static_cast<bool> (restored.getProperty ("darkMode")), c.expected == 1) << what;

        EXPECT_EQ (snapshot (processor), snapshotAfter (otherSettings)) << what;
    }
}

TEST (PluginState, PresetPathSelectsTheCurrentProgram)
{
    PresetFolders folders;
    const auto document = presetDocument (otherSettings);
    juce::Array<juce::File> written;

    for (const auto* name : { "A.xml", "B.xml", "C.xml", "D.xml" })
        written.add (PresetFolders::write (PresetFolders::factory(), name, document));

    const auto outside = PresetFolders::write (PresetFolders::factory().getParentDirectory(), "Outside.xml", document);

    BrazzleAudioProcessor processor;
    ASSERT_EQ (processor.getPresetFiles(), written);
    EXPECT_EQ (processor.getCurrentProgram(), 0);

    const struct
    {
        const char* what;
        juce::String path;
        int expected;
    } cases[] = {
        { "the third file", written[2].getFullPathName(), 2 },
        { "a file that is no program", outside.getFullPathName(), 2 },
        { "the fourth file", written[3].getFullPathName(), 3 },
        { "a missing file", PresetFolders::factory().getChildFile ("Gone.xml").getFullPathName(), 3 },
        { "an empty path", "", 3 },
        { "a relative path", "A.xml", 3 },
        { "the folder of the files", PresetFolders::factory().getFullPathName(), 3 },
        { "the first file, spelled with '..'", PresetFolders::factory().getFullPathName() + "/../Factory/A.xml", 0 },
    };

    for (const auto& c : cases)
    {
        auto xml = xmlOf (document);
        xml->setAttribute ("presetPath", c.path);
        restore (processor, wrap (*xml));

        EXPECT_EQ (processor.getCurrentProgram(), c.expected) << c.what;
        EXPECT_EQ (processor.getParameterTree().state.getProperty ("presetPath").toString(), c.path) << c.what;
    }
}

// The parser keeps both of two attributes with one name; the parameter must take the
// value that a later save writes, or a reopened project would sound different.
TEST (PluginState, AValueGivenTwiceCountsOnceAndIsSavedAsTaken)
{
    const auto good = presetDocument (otherSettings);
    auto text = textOf (*xmlOf (good)).toString();
    text = text.replace ("id=\"saturator:drive\" value=\"", "id=\"saturator:drive\" value=\"12.0\" value=\"");
    ASSERT_TRUE (text.contains ("value=\"12.0\" value=\"6.5")) << text;

    BrazzleAudioProcessor processor;
    restore (processor, container (0x21324356, static_cast<juce::uint32> (text.getNumBytesAsUTF8()), bytesOf (text), true));
    EXPECT_EQ (plain (processor, "saturator:drive"), 12.0f);

    juce::MemoryBlock saved;
    processor.getStateInformation (saved);
    BrazzleAudioProcessor reopened;
    restore (reopened, saved);
    EXPECT_EQ (snapshot (reopened), snapshot (processor));

    juce::MemoryBlock savedAgain;
    reopened.getStateInformation (savedAgain);
    EXPECT_EQ (savedAgain, saved);
}

// Every malformed or hostile state document: ignored (every parameter, the skin and the
// preset path as they were), or clamped where a single value is out of range.
TEST (PluginState, MalformedDocuments)
{
    const auto good = presetDocument (otherSettings);
    const auto goodText = textOf (*xmlOf (good));
    const auto goodLength = static_cast<juce::uint32> (goodText.getSize());

    const auto withValue = [&] (const char* id, const juce::String& value) {
        auto xml = xmlOf (good);
        paramChild (*xml, id)->setAttribute ("value", value);
        return wrap (*xml);
    };

    const auto unchanged = snapshotAfter (nonDefaultSettings);
    const auto applied = snapshotAfter (otherSettings);
    const auto appliedExcept = [&] (const char* id, std::optional<float> value = {}) {
        auto values = applied;
        values[static_cast<size_t> (indexOf (id))] = value ? *value : unchanged[static_cast<size_t> (indexOf (id))];
        return values;
    };

    juce::MemoryBlock noise (10 * 1024 * 1024);
    juce::Random random (5);

    for (size_t i = 0; i < noise.getSize(); ++i)
        noise[i] = static_cast<char> (random.nextInt (256));

    juce::MemoryOutputStream nested, nestedToTheLimit;

    for (int i = 0; i < 3 * 1024 * 1024; ++i)
        nested << "<a>";

    nestedToTheLimit << "<BrazzleParameterRoot version=\"1.2.1\">";

    for (int i = 1; i < qv::StateDocument::maximumTagCount; ++i)
        nestedToTheLimit << "<a>";

    const auto recursiveEntity = bytesOf ("<!DOCTYPE BrazzleParameterRoot [<!ENTITY e \"&xe;\">]>"
                                          "<BrazzleParameterRoot version=\"1.2.1\">&e;</BrazzleParameterRoot>");
    const auto withDocumentType =
        container (0x21324356, static_cast<juce::uint32> (recursiveEntity.getSize()), recursiveEntity, true);

    const auto goodString = goodText.toString();
    const auto rootEnd = goodString.indexOf ("<PARAM");
    const auto withInstruction = [&] {
        const auto text = bytesOf (goodString.substring (0, rootEnd) + "<?pi x?> text" + goodString.substring (rootEnd));
        return container (0x21324356, static_cast<juce::uint32> (text.getSize()), text, true);
    }();
    const auto withDeclaration = [&] {
        const auto text = bytesOf ("<?xml version=\"1.0\" encoding=\"UTF-8\"?> " + goodString);
        return container (0x21324356, static_cast<juce::uint32> (text.getSize()), text, true);
    }();

    auto withBadEnd = goodText;
    withBadEnd.append ("\xf8\xf8\xf8", 3);

    // A path with an overlong '/' (0xc0 0xaf) and one with a UTF-16 surrogate (0xed 0xa0 0x80).
    const auto withBytesInPath = [&] (const char* bytes, size_t size) {
        const auto text = textOf (*xmlOf (good)).toString();
        const auto splitAt = text.indexOf ("version=");
        juce::MemoryBlock result (text.toRawUTF8(), static_cast<size_t> (splitAt));
        result.append ("presetPath=\"", 12);
        result.append (bytes, size);
        result.append ("\" ", 2);
        result.append (text.toRawUTF8() + splitAt, text.getNumBytesAsUTF8() - static_cast<size_t> (splitAt));
        return container (0x21324356, static_cast<juce::uint32> (result.getSize()), result, true);
    };

    auto withUnicode = xmlOf (good);
    withUnicode->setAttribute ("presetPath", juce::String (juce::CharPointer_UTF8 ("/home/zo\xc3\xab/B\xc3\xa4sse/Fett \xf0\x9f\x8e\xb8.xml")));

    juce::MemoryBlock halfText (goodText.getData(), goodText.getSize() / 2);
    const juce::MemoryBlock header (good.getData(), 8);

    const struct
    {
        const char* what;
        juce::MemoryBlock document;
        std::vector<float> expected;
    } cases[] = {
        { "no bytes", {}, unchanged },
        { "the magic number alone", juce::MemoryBlock (good.getData(), 4), unchanged },
        { "the header alone (8 bytes)", header, unchanged },
        { "the header and one byte", container (0x21324356, 1, bytesOf ("<"), false), unchanged },
        { "another magic number", container (0x21334356, goodLength, goodText, true), unchanged },
        { "zero length", container (0x21324356, 0, goodText, true), unchanged },
        { "a length with the top bit set", container (0x21324356, 0x80000010, goodText, true), unchanged },
        { "a length beyond the data, the text cut short", container (0x21324356, goodLength, halfText, false), unchanged },
        { "a length beyond the data, the whole text there", container (0x21324356, goodLength + 4096, goodText, false), applied },
        { "a length that cuts the text", container (0x21324356, goodLength / 2, goodText, true), unchanged },
        { "the text without the zero byte", container (0x21324356, goodLength, goodText, false), applied },
        { "text that is not XML", container (0x21324356, 21, bytesOf ("certainly not markup!"), true), unchanged },
        { "text ending inside a multi-byte character", container (0x21324356, 4, juce::MemoryBlock ("abc\xf0", 4), false), unchanged },
        { "a document that ends in bytes that are not UTF-8", container (0x21324356, goodLength + 3, withBadEnd, false), unchanged },
        { "a document with characters beyond ASCII", wrap (*withUnicode), applied },
        { "a document with plain bytes in a path", withBytesInPath ("/a/b.xml", 8), applied },
        { "a document with an overlong form in a path", withBytesInPath ("/a\xc0\xaf" "b.xml", 9), unchanged },
        { "a document with a surrogate in a path", withBytesInPath ("/a\xed\xa0\x80" "b.xml", 10), unchanged },
        { "XML without the container", goodText, unchanged },
        { "XML of another root",
          wrap (*juce::parseXML (goodText.toString().replace ("BrazzleParameterRoot", "OtherPluginState"))), unchanged },
        { "XML of another root with the right prefix",
          wrap (*juce::parseXML (goodText.toString().replace ("BrazzleParameterRoot", "BrazzleParameterRootX"))), unchanged },
        { "the root name in other letter case",
          wrap (*juce::parseXML (goodText.toString().replace ("BrazzleParameterRoot", "brazzleparameterROOT"))), applied },
        { "a drive that is a word", withValue ("saturator:drive", "loud"), appliedExcept ("saturator:drive") },
        { "a drive that is empty", withValue ("saturator:drive", ""), appliedExcept ("saturator:drive") },
        { "a drive that is NaN", withValue ("saturator:drive", "nan"), appliedExcept ("saturator:drive") },
        { "a mix that is infinite", withValue ("global:mix", "inf"), appliedExcept ("global:mix") },
        { "a mix of 1e999", withValue ("global:mix", "1e999"), appliedExcept ("global:mix") },
        { "a drive above its range", withValue ("saturator:drive", "99"), appliedExcept ("saturator:drive", 36.0f) },
        { "a mix below its range", withValue ("global:mix", "-5"), appliedExcept ("global:mix", 0.0f) },
        { "a cutoff far above its range", withValue ("crossover:cutoff", "1e30"), appliedExcept ("crossover:cutoff", 16000.0f) },
        { "a curve above its range", withValue ("saturator:type", "7"), appliedExcept ("saturator:type", 5.0f) },
        { "a value with trailing text", withValue ("saturator:drive", "12.5dB"), appliedExcept ("saturator:drive", 12.5f) },
        { "10 MB of noise", container (0x21324356, static_cast<juce::uint32> (noise.getSize()), noise, false), unchanged },
        { "10 MB of nested elements",
          container (0x21324356, static_cast<juce::uint32> (nested.getDataSize()), nested.getMemoryBlock(), true), unchanged },
        { "as deep a nesting as a document may have, never closed",
          container (0x21324356, static_cast<juce::uint32> (nestedToTheLimit.getDataSize()), nestedToTheLimit.getMemoryBlock(), true),
          unchanged },
        { "a document type whose entity refers to itself", withDocumentType, unchanged },
        { "an instruction followed by text inside the root", withInstruction, unchanged },
        { "the XML declaration ahead of the root", withDeclaration, applied },
    };

    for (const auto& c : cases)
    {
        BrazzleAudioProcessor processor;
        apply (processor, nonDefaultSettings);
        auto& state = processor.getParameterTree().state;
        state.setProperty ("darkMode", true, nullptr);
        state.setProperty ("presetPath", "/before/Preset.xml", nullptr);

        restore (processor, c.document);

        EXPECT_EQ (snapshot (processor), c.expected) << c.what;
        EXPECT_TRUE (static_cast<bool> (processor.getParameterTree().state.getProperty ("darkMode"))) << c.what;

        if (c.expected == unchanged)
            EXPECT_EQ (processor.getParameterTree().state.getProperty ("presetPath").toString(), "/before/Preset.xml")
                << c.what;
    }

    BrazzleAudioProcessor processor;
    apply (processor, nonDefaultSettings);
    processor.setStateInformation (nullptr, 4096);
    processor.setStateInformation (good.getData(), -1);
    EXPECT_EQ (snapshot (processor), unchanged) << "no data, or a negative size";
}
} // namespace
