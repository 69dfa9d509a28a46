#pragma once

#include "BrazzleAudioProcessor.h"
#include "BrazzleAudioProcessorEditor.h"
#include "PresetBrowserComponent.h"
#include "presets/PresetManager.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace windowtest
{
/** Stands in for the menu, the save dialog, the alert box and the clipboard: answers
    from a script and records what it was asked.
*/
struct FakePlatform final : PresetBrowserComponent::Platform
{
    struct Log
    {
        std::deque<int> menuResults;
        std::vector<juce::PopupMenu> menusShown;
        std::vector<juce::Rectangle<int>> menuAreas;

        std::optional<juce::File> fileToChoose;
        int saveDialogs = 0;
        juce::String dialogTitle, dialogPatterns;
        juce::File dialogStartFolder;

        struct Alert
        {
            juce::MessageBoxIconType icon;
            juce::String title, message, button;
        };
        std::vector<Alert> alerts;

        juce::String clipboard;
        int clipboardWrites = 0;
    };

    explicit FakePlatform (std::shared_ptr<Log> logToUse) : log (std::move (logToUse)) {}

    int showMenu (juce::PopupMenu& menu, juce::Rectangle<int> area) override
    {
        log->menusShown.push_back (menu);
        log->menuAreas.push_back (area);

        if (log->menuResults.empty())
            return 0;

        const int result = log->menuResults.front();
        log->menuResults.pop_front();
        return result;
    }

    std::optional<juce::File> chooseFileToSave (const juce::String& title, const juce::File& start,
                                                const juce::String& patterns) override
    {
        ++log->saveDialogs;
        log->dialogTitle = title;
        log->dialogStartFolder = start;
        log->dialogPatterns = patterns;
        return log->fileToChoose;
    }

    void showMessageBox (juce::MessageBoxIconType icon, const juce::String& title,
                         const juce::String& message, const juce::String& button) override
    {
        log->alerts.push_back ({ icon, title, message, button });
    }

    void copyTextToClipboard (const juce::String& text) override
    {
        log->clipboard = text;
        ++log->clipboardWrites;
    }

    juce::String getTextFromClipboard() override { return log->clipboard; }

    std::shared_ptr<Log> log;
};

inline juce::File userRoot() { return qv::PresetManager::getUserPresetDirectory(); }
inline juce::File factoryRoot() { return qv::PresetManager::getSystemPresetDirectory(); }

/** Removes the preset folders, and whatever a test put in their place, from the test's
    own home; refuses to touch any other home.
*/
inline void clearPresetFolders()
{
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    ASSERT_TRUE (home.isAChildOf (juce::File::getSpecialLocation (juce::File::tempDirectory))) << home.getFullPathName();

    juce::File::getSpecialLocation (juce::File::userMusicDirectory).getChildFile ("Quorvale").deleteRecursively();
}

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

/** A plug-in state document with the drive at a given value, as a preset file holds it. */
inline juce::MemoryBlock presetContent (float drive)
{
    BrazzleAudioProcessor source;
    setPlain (source, "saturator:drive", drive);

    juce::MemoryBlock block;
    source.getStateInformation (block);
    return block;
}

/** Writes a preset file at a path relative to a root, "Bass/Fat" becoming Bass/Fat.xml. */
inline juce::File writePreset (const juce::File& root, const juce::String& relativeName, float drive = 6.0f)
{
    const auto file = root.getChildFile (relativeName + ".xml");
    EXPECT_TRUE (file.getParentDirectory().createDirectory().wasOk());
    const auto content = presetContent (drive);
    EXPECT_TRUE (file.replaceWithData (content.getData(), content.getSize()));
    return file;
}

/** A processor whose program changes are never held back by a recent state restore. */
inline std::unique_ptr<BrazzleAudioProcessor> makeProcessor()
{
    auto processor = std::make_unique<BrazzleAudioProcessor>();
    auto now = std::make_shared<juce::uint32> (1000000);
    processor->setMillisecondClock ([now] { return *now += 1000; });
    return processor;
}

/** Deletes an editor the way the framework does: the processor hears of it first. */
struct EditorDeleter
{
    void operator() (juce::AudioProcessorEditor* editor) const
    {
        if (editor != nullptr)
        {
            editor->getAudioProcessor()->editorBeingDeleted (editor);
            delete editor;
        }
    }
};

using EditorPtr = std::unique_ptr<juce::AudioProcessorEditor, EditorDeleter>;

/** The editor as a host gets it, through createEditorIfNeeded. */
inline EditorPtr openEditor (BrazzleAudioProcessor& processor)
{
    return EditorPtr (processor.createEditorIfNeeded());
}

inline BrazzleAudioProcessorEditor& brazzleEditor (const EditorPtr& editor)
{
    auto* typed = dynamic_cast<BrazzleAudioProcessorEditor*> (editor.get());
    EXPECT_NE (typed, nullptr);
    return *typed;
}

template <typename ComponentType = juce::Component>
ComponentType* findChild (juce::Component& parent, const juce::String& name)
{
    for (auto* child : parent.getChildren())
        if (child->getName() == name)
            if (auto* typed = dynamic_cast<ComponentType*> (child))
                return typed;

    return nullptr;
}

/** A mouse event of the main mouse source at a point of a component. */
inline juce::MouseEvent mouseEventAt (juce::Component& component, juce::Point<float> position,
                                      juce::ModifierKeys modifiers = juce::ModifierKeys::leftButtonModifier)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), position, modifiers,
                             juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                             juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                             juce::MouseInputSource::defaultTiltY, &component, &component, now, position, now, 1, false);
}

/** Lets queued messages, timers and asynchronous updates run. */
inline void dispatchMessages (int milliseconds = 20)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

inline juce::Image renderWindow (juce::Component& editor)
{
    return editor.createComponentSnapshot (editor.getLocalBounds(), true, 1.0f);
}
} // namespace windowtest
