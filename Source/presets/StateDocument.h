#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <cmath>
#include <cstring>
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
        every level takes a '<', so the cap also bounds the stack a parse can use. */
    static constexpr int maximumTagCount = 1024;

    /** Preset files larger than this are not read; a preset is a few kilobytes. */
    static constexpr juce::int64 maximumPresetFileSize = 64 * 1024 * 1024;

    /** The XML element in a state document, or nothing. Accepts what
        juce::AudioProcessor::getXmlFromBinary accepts (at least 9 bytes, the magic
        number, a positive length; the text parsed from at most size - 8 bytes) with
        two differences that keep untrusted data harmless: no byte after the data is
        ever read (the framework's UTF-8 decoding peeks past a multi-byte sequence cut
        off at the end), and text with a document type declaration (whose entities the
        framework's parser expands recursively without limit) or with more than
        maximumTagCount tags is refused. */
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

        const auto textSize = static_cast<size_t> (juce::jmin (sizeInBytes - 8, length));

        // The copy ends in a zero byte, which is where the decoder's peek lands.
        juce::HeapBlock<char> terminated (textSize + 1, true);
        std::memcpy (terminated.get(), bytes + 8, textSize);

        const auto text = juce::String::fromUTF8 (terminated.get(), static_cast<int> (textSize));

        if (! isSafeToParse (text))
            return {};

        return juce::parseXML (text);
    }

    /** True for text the framework's XML parser can take without unbounded recursion. */
    static bool isSafeToParse (const juce::String& text)
    {
        int tags = 0;

        for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
            if (*p == '<' && ++tags > maximumTagCount)
                return false;

        return ! text.containsIgnoreCase ("<!DOCTYPE");
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
