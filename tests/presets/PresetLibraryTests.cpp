#include "PresetTestSupport.h"

#include "presets/PresetLexicographicComparator.h"
#include "presets/SemVer.h"

#include <sys/stat.h>
#include <unistd.h>

namespace
{
using brazzle::test::PresetFolders;
using brazzle::test::presetPathOf;

juce::StringArray scannedAndSorted()
{
    juce::Array<juce::File> files;
    qv::PresetManager::scanPresetFiles (files);
    PresetLexicographicComparator comparator;
    files.sort (comparator);

    juce::StringArray paths;

    for (const auto& file : files)
        paths.add (presetPathOf (file));

    return paths;
}

juce::StringArray scanned()
{
    juce::Array<juce::File> files;
    qv::PresetManager::scanPresetFiles (files);

    juce::StringArray paths;

    for (const auto& file : files)
        paths.add (presetPathOf (file));

    paths.sort (false);
    return paths;
}

TEST (SemVer, ParsesDottedParts)
{
    const struct
    {
        const char* text;
        int major, minor, patch;
    } cases[] = {
        { "1.2.1", 1, 2, 1 },        { "0.9.4", 0, 9, 4 },         { "1.10.0", 1, 10, 0 },
        { "2", 2, 0, 0 },            { "0.9", 0, 9, 0 },           { "", 0, 0, 0 },
        { "12rc.3.4", 12, 3, 4 },    { "1.2.3beta", 1, 2, 3 },     { "v1.2.3", 0, 2, 3 },
        { "1..5", 1, 0, 5 },         { ".5", 0, 5, 0 },            { " 1. 2.\t3", 1, 2, 3 },
        { "-1.+2.3", -1, 2, 3 },     { "1.2.3.4", 1, 2, 3 },       { "99999999999.1.1", 2147483647, 1, 1 },
    };

    for (const auto& c : cases)
    {
        const qv::SemVer v { juce::String (c.text) };
        EXPECT_EQ (v.major, c.major) << '"' << c.text << '"';
        EXPECT_EQ (v.minor, c.minor) << '"' << c.text << '"';
        EXPECT_EQ (v.patch, c.patch) << '"' << c.text << '"';
    }
}

TEST (SemVer, LessThanComparesMajorThenMinorThenPatch)
{
    const struct
    {
        const char *a, *b;
        bool less;
    } cases[] = {
        { "1.10.0", "1.9.5", false }, { "1.9.5", "1.10.0", true },  { "0.9.4", "0.9.5", true },
        { "0.9.5", "0.9.4", false },  { "0.9.5", "0.9.5", false },  { "0.9", "0.9.0", false },
        { "0.9.0", "0.9", false },    { "", "0.9.5", true },        { "0.10.0", "1.0.0", true },
        { "2.0.0", "1.99.99", false }, { "1.2.1", "0.9.5", false }, { "0.9.4rc", "0.9.5", true },
    };

    for (const auto& c : cases)
        EXPECT_EQ (qv::SemVer (c.a) < qv::SemVer (c.b), c.less) << c.a << " < " << c.b;
}

TEST (PresetOrder, ProgramOrderOfFilesInBothRoots)
{
    const struct
    {
        const char* what;
        std::vector<const char*> files; // as created, relative to the folder of both roots
        std::vector<const char*> order;
    } cases[] = {
        { "a default anywhere leads",
          { "Factory/Alpha.xml", "User/Aardvark.xml", "User/Bass/default.xml" },
          { "User/Bass/default.xml", "User/Aardvark.xml", "Factory/Alpha.xml" } },
        { "top level before nested", { "User/Bass/Fat.xml", "Factory/Zap.xml" }, { "Factory/Zap.xml", "User/Bass/Fat.xml" } },
        { "roots mixed by name", { "Factory/Zap.xml", "User/Apple.xml" }, { "User/Apple.xml", "Factory/Zap.xml" } },
        { "capitals before small letters", { "Factory/Bass/apple.xml", "Factory/Bass/Zebra.xml" },
          { "Factory/Bass/Zebra.xml", "Factory/Bass/apple.xml" } },
        { "by category, slash, name",
          { "Factory/Drums/Punch.xml", "User/Bass/Fat.xml", "Factory/Bass/Deep.xml", "Factory/Bass Extra/A.xml" },
          { "Factory/Bass Extra/A.xml", "Factory/Bass/Deep.xml", "User/Bass/Fat.xml", "Factory/Drums/Punch.xml" } },
        { "a file before the folder of its name ('.' before '/')",
          { "User/Keys/Soft/Felt.xml", "User/Keys/Hard.xml", "Factory/Keys/Soft.xml" },
          { "User/Keys/Hard.xml", "Factory/Keys/Soft.xml", "User/Keys/Soft/Felt.xml" } },
        { "a default in each root: both lead, then by path",
          { "User/Lead.xml", "User/default.xml", "Factory/Default.xml" },
          { "Factory/Default.xml", "User/default.xml", "User/Lead.xml" } },
    };

    for (const auto& c : cases)
    {
        PresetFolders folders;
        const auto presetRoot = qv::PresetManager::getPresetRoot();

        for (const auto* path : c.files)
            PresetFolders::write (presetRoot, path, juce::String ("x"));

        juce::StringArray expected;

        for (const auto* path : c.order)
            expected.add (path);

        EXPECT_EQ (scannedAndSorted(), expected) << c.what;

        BrazzleAudioProcessor processor;
        juce::StringArray programOrder;

        for (const auto& file : processor.getPresetFiles())
            programOrder.add (presetPathOf (file));

        EXPECT_EQ (programOrder, expected) << c.what << " (the processor's program list)";
    }
}

// Large enough for std::sort to partition around pivots, where a comparator that puts
// an element before itself walks off the array.
TEST (PresetOrder, ManyPresetsWithDefaultsSortCompletely)
{
    PresetFolders folders;
    juce::StringArray expectedRest;

    for (int i = 0; i < 60; ++i)
    {
        const auto root = i % 2 == 0 ? juce::String ("Factory") : juce::String ("User");
        const auto path = root + "/Cat" + juce::String (i % 7) + "/P" + juce::String (i).paddedLeft ('0', 2) + ".xml";
        PresetFolders::write (qv::PresetManager::getPresetRoot(), path, juce::String ("x"));
    }

    PresetFolders::write (PresetFolders::factory(), "Default.xml", juce::String ("x"));
    PresetFolders::write (PresetFolders::user(), "Mine/Default.xml", juce::String ("x"));

    const auto order = scannedAndSorted();
    ASSERT_EQ (order.size(), 62);
    EXPECT_EQ (order[0], "Factory/Default.xml");
    EXPECT_EQ (order[1], "User/Mine/Default.xml");

    for (int i = 3; i < order.size(); ++i)
    {
        const auto key = [] (const juce::String& p) { return p.fromFirstOccurrenceOf ("/", false, false); };
        EXPECT_LE (key (order[i - 1]).compare (key (order[i])), 0) << order[i - 1] << " before " << order[i];
    }
}

TEST (PresetOrder, ComparatorIsConsistent)
{
    PresetFolders folders;
    const juce::File files[] = {
        PresetFolders::factory().getChildFile ("Default.xml"), PresetFolders::user().getChildFile ("default.xml"),
        PresetFolders::factory().getChildFile ("Zap.xml"),     PresetFolders::user().getChildFile ("Bass/Fat.xml"),
        PresetFolders::factory().getChildFile ("Bass/Fat.xml"), juce::File ("/elsewhere/Preset.xml"),
    };

    for (const auto& a : files)
    {
        EXPECT_EQ (PresetLexicographicComparator::compareElements (a, a), 0) << a.getFullPathName();

        for (const auto& b : files)
            EXPECT_EQ (PresetLexicographicComparator::compareElements (a, b),
                       -PresetLexicographicComparator::compareElements (b, a))
                << a.getFullPathName() << " vs " << b.getFullPathName();
    }
}

TEST (PresetScan, ListsXmlFilesAtAnyDepthFactoryFirst)
{
    PresetFolders folders;
    PresetFolders::write (PresetFolders::user(), "Mine.xml", juce::String ("x"));
    PresetFolders::write (PresetFolders::factory(), "Bass/Deep/Sub.xml", juce::String ("x"));
    PresetFolders::write (PresetFolders::factory(), ".Hidden.xml", juce::String ("x"));
    PresetFolders::write (PresetFolders::factory(), "Notes.txt", juce::String ("x"));
    PresetFolders::write (PresetFolders::user(), "Preset.xml.bak", juce::String ("x"));
    PresetFolders::user().getChildFile ("Folder.xml").createDirectory();
    PresetFolders::write (PresetFolders::user(), "Folder.xml/Inner.xml", juce::String ("x"));

    juce::Array<juce::File> files { juce::File ("/kept/Already.xml") };
    qv::PresetManager::scanPresetFiles (files);

    ASSERT_EQ (files.size(), 5);
    EXPECT_EQ (files[0], juce::File ("/kept/Already.xml"));

    for (int i = 1; i < files.size(); ++i)
    {
        const bool factory = files[i].isAChildOf (PresetFolders::factory());
        EXPECT_TRUE (factory == (i <= 2)) << files[i].getFullPathName() << " out of root order";
    }

    EXPECT_EQ (scanned(), juce::StringArray ({ "Factory/.Hidden.xml", "Factory/Bass/Deep/Sub.xml",
                                               "User/Folder.xml/Inner.xml", "User/Mine.xml" }));
}

TEST (PresetScan, MissingRootsGiveWhatTheOtherHolds)
{
    {
        PresetFolders folders;
        PresetFolders::write (PresetFolders::user(), "Mine.xml", juce::String ("x"));
        EXPECT_EQ (scanned(), juce::StringArray ({ "User/Mine.xml" }));
    }
    {
        PresetFolders folders;
        PresetFolders::write (PresetFolders::factory(), "Theirs.xml", juce::String ("x"));
        EXPECT_EQ (scanned(), juce::StringArray ({ "Factory/Theirs.xml" }));
    }
    {
        PresetFolders folders;
        EXPECT_TRUE (scanned().isEmpty());
    }
}

bool permissionsBite()
{
    return geteuid() != 0;
}

// Folder faults: the scan ends, lists what it can reach and says nothing.
TEST (PresetScan, FolderFaultsAreSilent)
{
    const struct
    {
        const char* what;
        std::function<void()> make;
        juce::StringArray expected;
    } cases[] = {
        { "a root that is a file",
          [] {
              PresetFolders::write (PresetFolders::factory().getParentDirectory(), "Factory", juce::String ("x"));
              PresetFolders::write (PresetFolders::user(), "Mine.xml", juce::String ("x"));
          },
          { "User/Mine.xml" } },
        { "a folder that links to its parent",
          [] {
              PresetFolders::write (PresetFolders::user(), "Mine.xml", juce::String ("x"));
              PresetFolders::user().createSymbolicLink (PresetFolders::user().getChildFile ("Loop"), true);
              PresetFolders::user().getParentDirectory().createSymbolicLink (PresetFolders::user().getChildFile ("Up"), true);
          },
          { "User/Mine.xml" } },
        { "a preset file that links to itself",
          [] {
              PresetFolders::user().createDirectory();
              ::symlink ("Self.xml", PresetFolders::user().getChildFile ("Self.xml").getFullPathName().toRawUTF8());
          },
          { "User/Self.xml" } },
        { "a root that links to itself",
          [] {
              PresetFolders::factory().getParentDirectory().createDirectory();
              ::symlink ("Factory", PresetFolders::factory().getFullPathName().toRawUTF8());
              PresetFolders::write (PresetFolders::user(), "Mine.xml", juce::String ("x"));
          },
          { "User/Mine.xml" } },
        { "an unreadable category folder",
          [] {
              PresetFolders::write (PresetFolders::user(), "Mine.xml", juce::String ("x"));
              const auto hidden = PresetFolders::write (PresetFolders::user(), "Locked/Inside.xml", juce::String ("x"));
              ::chmod (hidden.getParentDirectory().getFullPathName().toRawUTF8(), 0);
          },
          permissionsBite() ? juce::StringArray { "User/Mine.xml" }
                            : juce::StringArray { "User/Locked/Inside.xml", "User/Mine.xml" } },
        { "an unreadable root",
          [] {
              PresetFolders::write (PresetFolders::factory(), "Theirs.xml", juce::String ("x"));
              PresetFolders::write (PresetFolders::user(), "Mine.xml", juce::String ("x"));
              ::chmod (PresetFolders::factory().getFullPathName().toRawUTF8(), 0);
          },
          permissionsBite() ? juce::StringArray { "User/Mine.xml" }
                            : juce::StringArray { "Factory/Theirs.xml", "User/Mine.xml" } },
    };

    for (const auto& c : cases)
    {
        PresetFolders folders;
        c.make();
        EXPECT_EQ (scanned(), c.expected) << c.what;

        BrazzleAudioProcessor processor;
        EXPECT_EQ (processor.getPresetFiles().size(), c.expected.size()) << c.what;
    }
}
} // namespace
