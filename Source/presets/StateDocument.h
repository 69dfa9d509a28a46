#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <cmath>
#include <memory>

#if ! JUCE_WINDOWS
 #include <sys/stat.h>
#endif

namespace qv
{
/** Reading plug-in state documents (the framework's binary XML container) from bytes
    that come from hosts, project files and preset folders, none of which can be
    trusted to hold what they claim. */
struct StateDocument
{
    /** The container's magic number, the bytes "VC2!". */
    static constexpr juce::uint32 magicNumber = 0x21324356;

    /** More '<' than this and the text is not a state document, which has about a
        dozen tags. The framework's XML parser recurses once per nesting level, and
        every level takes a '<', so the cap also bounds the stack a parse can use, on
        whatever thread (with however small a stack) the host restores state. */
    static constexpr int maximumTagCount = 256;

    /** Preset files larger than this are not read; a preset is a few kilobytes. */
    static constexpr juce::int64 maximumPresetFileSize = 64 * 1024 * 1024;

    /** Text in the container, laid out as juce::AudioProcessor::copyXmlToBinary lays
        out a document: the magic number, the length with the terminating zero, the
        UTF-8 bytes and the zero. Text from outside (the clipboard) goes in unparsed, so
        that it meets the same checks as any state on its way in. */
    static juce::MemoryBlock wrapText (const juce::String& text)
    {
        const auto utf8 = text.toUTF8();
        const auto length = utf8.sizeInBytes(); // with the terminating zero

        juce::MemoryOutputStream out;
        out.writeInt (static_cast<int> (magicNumber));
        out.writeInt (static_cast<int> (length));
        out.write (utf8.getAddress(), length);
        return out.getMemoryBlock();
    }

    /** The XML element in a state document, or nothing. Accepts what
        juce::AudioProcessor::getXmlFromBinary accepts (at least 9 bytes, the magic
        number, a positive length; the text parsed from at most size - 8 bytes), except
        text that the framework cannot parse safely: text that is not well-formed UTF-8
        (the framework's string iteration skips a sequence's bytes by its first byte
        alone, past the end of the string, and re-encodes overlong forms, so that what
        is saved differs from what was restored), and text that isSafeToParse refuses. */
    static std::unique_ptr<juce::XmlElement> read (const void* data, int sizeInBytes)
    {
        if (data == nullptr || sizeInBytes <= 8)
            return {};

        const auto* bytes = static_cast<const char*> (data);

        if (juce::ByteOrder::littleEndianInt (bytes) != magicNumber)
            return {};

        const auto length = static_cast<int> (juce::ByteOrder::littleEndianInt (bytes + 4));

        if (length <= 0)
            return {};

        const auto textSize = juce::jmin (sizeInBytes - 8, length);

        if (! isWellFormedUtf8 (bytes + 8, textSize))
            return {};

        const auto text = juce::String::fromUTF8 (bytes + 8, textSize);

        if (! isSafeToParse (text))
            return {};

        auto xml = juce::parseXML (text);

        if (xml != nullptr)
            keepFirstOfRepeatedAttributes (*xml);

        return xml;
    }

    /** True for UTF-8 as the standard allows it: no overlong forms, no surrogates,
        nothing above U+10FFFF, no sequence cut short. */
    static bool isWellFormedUtf8 (const char* text, int numBytes)
    {
        const auto* p = reinterpret_cast<const juce::uint8*> (text);
        const auto* const end = p + numBytes;

        while (p < end)
        {
            const auto lead = *p++;

            if (lead < 0x80)
                continue;

            int continuations = 0;
            juce::uint8 low = 0x80, high = 0xbf;

            if (lead >= 0xc2 && lead <= 0xdf)
                continuations = 1;
            else if (lead >= 0xe0 && lead <= 0xef)
            {
                continuations = 2;
                low = lead == 0xe0 ? 0xa0 : 0x80;
                high = lead == 0xed ? 0x9f : 0xbf;
            }
            else if (lead >= 0xf0 && lead <= 0xf4)
            {
                continuations = 3;
                low = lead == 0xf0 ? 0x90 : 0x80;
                high = lead == 0xf4 ? 0x8f : 0xbf;
            }
            else
                return false;

            if (end - p < continuations || *p < low || *p > high)
                return false;

            for (int i = 0; i < continuations; ++i)
                if ((p[i] & 0xc0) != 0x80)
                    return false;

            p += continuations;
        }

        return true;
    }

    /** True for text the framework's XML parser gets through: no recursion without
        bound and no endless loop, which a processing instruction inside an element
        followed by text sends it into. The XML declaration at the start is the one
        instruction a state document has. */
    static bool isSafeToParse (const juce::String& text)
    {
        int tags = 0;

        for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
            if (*p == '<' && ++tags > maximumTagCount)
                return false;

        auto body = text.trimStart();

        if (body.startsWith ("<?xml"))
            body = body.fromFirstOccurrenceOf ("?>", false, false);

        return ! body.contains ("<?") && ! body.containsIgnoreCase ("<!DOCTYPE");
    }

    /** True when a stored parameter value is a number the parameter can take: text
        that starts with one (after white space and a sign) and reads as finite. The
        framework would read other text as 0, and "nan" as a NaN that poisons the
        signal chain. */
    static bool isFiniteNumber (const juce::var& value)
    {
        if (! value.isString())
            return (value.isInt() || value.isInt64() || value.isDouble() || value.isBool())
                   && std::isfinite (static_cast<double> (value));

        const auto text = value.toString();
        auto p = text.getCharPointer().findEndOfWhitespace();

        if (*p == '-' || *p == '+')
            ++p;

        const bool startsWithDigits = juce::CharacterFunctions::isDigit (*p)
                                      || (*p == '.' && juce::CharacterFunctions::isDigit (p[1]));

        return startsWithDigits && std::isfinite (text.getDoubleValue());
    }

    /** Every "value" of a restored state's children that is not a finite number is
        replaced by the current value of the parameter the child's "id" names, so that
        such a value leaves its parameter as it was. Children the parameter tree does
        not know are left alone, as the tree leaves them. */
    static void keepCurrentValuesForNonNumbers (juce::ValueTree& restored, juce::AudioProcessorValueTreeState& parameters)
    {
        for (auto child : restored)
        {
            if (! child.hasProperty ("value") || isFiniteNumber (child.getProperty ("value")))
                continue;

            if (auto* current = parameters.getRawParameterValue (child.getProperty ("id").toString()))
                child.setProperty ("value", current->load(), nullptr);
        }
    }

    /** Reads a preset file whole into memory. Only an existing regular file is opened
        (a FIFO would block, a device might never end); a file that changes size while
        it is read, or that is larger than maximumPresetFileSize, is not taken. */
    static bool readPresetFile (const juce::File& file, juce::MemoryBlock& content)
    {
        if (file.getFullPathName().isEmpty() || ! file.existsAsFile() || ! isRegularFile (file))
            return false;

        const auto size = file.getSize();

        if (size > maximumPresetFileSize)
            return false;

        juce::FileInputStream stream (file);

        if (! stream.openedOk())
            return false;

        content.reset();
        const auto read = stream.readIntoMemoryBlock (content, static_cast<juce::int64> (size + 1));
        return read == static_cast<size_t> (size);
    }

private:
    // The parser keeps every attribute of a name given twice and the value tree reads
    // the first, but writing the tree back keeps the last: a restored state would save
    // other values than the parameters took. Only the first of each name is kept.
    static void keepFirstOfRepeatedAttributes (juce::XmlElement& element)
    {
        juce::StringArray names;
        juce::StringArray values;
        bool repeated = false;

        for (int i = 0; i < element.getNumAttributes(); ++i)
        {
            if (names.contains (element.getAttributeName (i)))
            {
                repeated = true;
                continue;
            }

            names.add (element.getAttributeName (i));
            values.add (element.getAttributeValue (i));
        }

        if (repeated)
        {
            element.removeAllAttributes();

            for (int i = 0; i < names.size(); ++i)
                element.setAttribute (names[i], values[i]);
        }

        for (auto* child : element.getChildIterator())
            keepFirstOfRepeatedAttributes (*child);
    }

    static bool isRegularFile (const juce::File& file)
    {
       #if JUCE_WINDOWS
        return file.existsAsFile();
       #else
        struct stat info;
        return ::stat (file.getFullPathName().toRawUTF8(), &info) == 0 && S_ISREG (info.st_mode);
       #endif
    }
};
} // namespace qv
