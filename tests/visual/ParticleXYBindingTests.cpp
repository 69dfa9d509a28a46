#include "BrazzleAudioProcessor.h"
#include "ParticleXYAttachment.h"
#include "ParticleXYValueSource.h"
#include "VisualTestHelpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

using visualtest::leftButton;
using visualtest::mouseEventAt;
using visualtest::PadWithHeldKeys;
using visualtest::pumpMessages;
using visualtest::RecordingListener;

namespace
{
using Axis = ParticleXYComponent::Listener::Axis;

constexpr const char* driveId = "saturator:drive";
constexpr const char* phaseId = "pm:composite";

/** Counts what a parameter tells its listeners. */
struct ParameterCounter : juce::AudioProcessorParameter::Listener
{
    explicit ParameterCounter (juce::AudioProcessorParameter& p) : parameter (p) { parameter.addListener (this); }
    ~ParameterCounter() override { parameter.removeListener (this); }

    void parameterValueChanged (int, float) override { ++valueChanges; }

    void parameterGestureChanged (int, bool starting) override { ++(starting ? gestureStarts : gestureEnds); }

    juce::AudioProcessorParameter& parameter;
    int valueChanges = 0, gestureStarts = 0, gestureEnds = 0;
};

/** The pad with its two bindings and two value sources, registered in the editor's order. */
struct BoundPad
{
    BoundPad()
        : xAttachment (std::make_unique<ParticleXYAttachment> (tree, pad, driveId, Axis::X)),
          yAttachment (std::make_unique<ParticleXYAttachment> (tree, pad, phaseId, Axis::Y))
    {
    }

    juce::RangedAudioParameter& parameter (const char* id) { return *tree.getParameter (id); }

    float normalised (const char* id) { return parameter (id).getValue(); }

    void setNormalised (const char* id, float value) { parameter (id).setValueNotifyingHost (value); }

    void dragTo (juce::Point<float> position)
    {
        pad.mouseDown (mouseEventAt (pad, position, leftButton));
        pad.mouseDrag (mouseEventAt (pad, position, leftButton, true));
        pad.mouseUp (mouseEventAt (pad, position, juce::ModifierKeys()));
    }

    BrazzleAudioProcessor processor;
    juce::AudioProcessorValueTreeState& tree = processor.getParameterTree();
    PadWithHeldKeys pad;
    std::unique_ptr<ParticleXYAttachment> xAttachment, yAttachment;
    juce::Value xValue { new ParticleXYValueSource (pad, Axis::X) };
    juce::Value yValue { new ParticleXYValueSource (pad, Axis::Y) };
};
} // namespace

TEST (ParticleXYBinding, DraggingSetsTheParametersAndThePuckSettlesWhereTheirValuesMap)
{
    // The drive's step of 0.1 over 0..36 pulls 33 of 200 pixels (5.94) to 5.9, which maps
    // back to pixel 32. The labels truncate: 1 - 33/100 is just under 0.67 in single
    // precision, so the phase label reads 66%.
    const struct
    {
        juce::Point<float> to;
        float drive, phase;
        int x, y;
        const char* xText;
        const char* yText;
    } cases[] = {
        { { 200.0f, 0.0f }, 1.0f, 1.0f, 200, 0, "100%", "100%" },
        { { 0.0f, 100.0f }, 0.0f, 0.0f, 0, 100, "0%", "0%" },
        { { 50.0f, 25.0f }, 0.25f, 0.75f, 50, 25, "25%", "75%" },
        { { 150.0f, 90.0f }, 0.75f, 0.1f, 150, 90, "75%", "10%" },
        { { 33.0f, 33.0f }, 5.9f / 36.0f, 0.67f, 32, 33, "16%", "66%" },
        { { 500.0f, -40.0f }, 1.0f, 1.0f, 200, 0, "100%", "100%" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.to.toString());
        BoundPad bound;
        bound.pad.setSize (200, 100);
        bound.pad.xPosition = 100;
        bound.pad.yPosition = 50;

        bound.dragTo (c.to);

        EXPECT_FLOAT_EQ (bound.normalised (driveId), c.drive);
        EXPECT_FLOAT_EQ (bound.normalised (phaseId), c.phase);
        EXPECT_EQ (bound.pad.xPosition, c.x);
        EXPECT_EQ (bound.pad.yPosition, c.y);
        EXPECT_EQ (bound.xValue.toString(), c.xText);
        EXPECT_EQ (bound.yValue.toString(), c.yText);
    }
}

TEST (ParticleXYBinding, ParameterChangesOnTheMessageThreadMoveThePuckAtOnce)
{
    const struct { float drive, phase; int x, y; const char* xText; const char* yText; } cases[] = {
        { 1.0f, 1.0f, 200, 0, "100%", "100%" },
        { 0.0f, 0.0f, 0, 100, "0%", "0%" },
        { 0.5f, 0.25f, 100, 75, "50%", "25%" },
        { 0.25f, 0.9f, 50, 10, "25%", "90%" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.drive) + ", " + juce::String (c.phase));
        BoundPad bound;
        bound.pad.setSize (200, 100);
        bound.setNormalised (driveId, 0.6f);
        bound.setNormalised (phaseId, 0.6f);

        bound.setNormalised (driveId, c.drive);
        bound.setNormalised (phaseId, c.phase);

        EXPECT_EQ (bound.pad.xPosition, c.x);
        EXPECT_EQ (bound.pad.yPosition, c.y);
        EXPECT_EQ (bound.xValue.toString(), c.xText);
        EXPECT_EQ (bound.yValue.toString(), c.yText);
        EXPECT_FALSE (bound.xAttachment->isUpdatePending());
    }
}

TEST (ParticleXYBinding, CreatingTheBindingsLeavesThePuckAloneUntilThePadIsResized)
{
    BrazzleAudioProcessor processor;
    auto& tree = processor.getParameterTree();
    tree.getParameter (driveId)->setValueNotifyingHost (0.5f);
    tree.getParameter (phaseId)->setValueNotifyingHost (0.25f);

    PadWithHeldKeys pad;
    pad.setSize (200, 100);
    pad.xPosition = 10;
    pad.yPosition = 20;

    RecordingListener listener;
    pad.addListener (&listener);

    {
        ParticleXYAttachment xAttachment (tree, pad, driveId, Axis::X);
        ParticleXYAttachment yAttachment (tree, pad, phaseId, Axis::Y);
        pumpMessages();

        EXPECT_EQ (pad.xPosition, 10);
        EXPECT_EQ (pad.yPosition, 20);
        EXPECT_TRUE (listener.events.empty());

        pad.setSize (400, 200);

        EXPECT_EQ (pad.xPosition, 200);
        EXPECT_EQ (pad.yPosition, 150);
        EXPECT_EQ (listener.count (RecordingListener::valueChanged, Axis::X), 1);
        EXPECT_EQ (listener.count (RecordingListener::valueChanged, Axis::Y), 1);
    }

    // Gone bindings neither listen to the pad nor to the parameters any more.
    tree.getParameter (driveId)->setValueNotifyingHost (1.0f);
    pad.setSize (300, 300);
    EXPECT_EQ (pad.xPosition, 200);
    pad.removeListener (&listener);
}

TEST (ParticleXYBinding, ChangesFromAnotherThreadArriveAsOnePushOfTheLatestValue)
{
    const struct { std::vector<float> values; int x; } cases[] = {
        { { 0.75f }, 150 },
        { { 0.1f, 0.9f, 0.3f, 0.75f }, 150 },
        { { 0.25f, 1.0f }, 200 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.values.size());
        BoundPad bound;
        bound.pad.setSize (200, 100);
        ASSERT_EQ (bound.pad.xPosition, 0);

        RecordingListener listener;
        bound.pad.addListener (&listener);

        std::thread automation ([&]
        {
            for (auto v : c.values)
                bound.setNormalised (driveId, v);
        });
        automation.join();

        EXPECT_EQ (bound.pad.xPosition, 0);
        EXPECT_TRUE (listener.events.empty());
        EXPECT_TRUE (bound.xAttachment->isUpdatePending());

        pumpMessages();

        EXPECT_EQ (bound.pad.xPosition, c.x);
        EXPECT_EQ (listener.count (RecordingListener::valueChanged, Axis::X), 1);
        EXPECT_EQ (listener.count (RecordingListener::valueChanged, Axis::Y), 0);
        bound.pad.removeListener (&listener);
    }
}

TEST (ParticleXYBinding, AChangeOnTheMessageThreadCancelsAPendingPushAndMovesAtOnce)
{
    BoundPad bound;
    bound.pad.setSize (200, 100);

    RecordingListener listener;
    bound.pad.addListener (&listener);

    std::thread automation ([&] { bound.setNormalised (driveId, 0.75f); });
    automation.join();
    ASSERT_TRUE (bound.xAttachment->isUpdatePending());

    bound.setNormalised (driveId, 0.25f);

    EXPECT_FALSE (bound.xAttachment->isUpdatePending());
    EXPECT_EQ (bound.pad.xPosition, 50);
    EXPECT_EQ (listener.count (RecordingListener::valueChanged, Axis::X), 1);

    pumpMessages();

    EXPECT_EQ (bound.pad.xPosition, 50);
    EXPECT_EQ (listener.count (RecordingListener::valueChanged, Axis::X), 1);
    bound.pad.removeListener (&listener);
}

TEST (ParticleXYBinding, EveryPressOpensAGestureOnBothParametersWhicheverAxisMoves)
{
    const struct
    {
        const char* name;
        int heldKeys;
        juce::Point<float> to;
        int driveChanges, phaseChanges;
    } cases[] = {
        { "press and release", 0, { 100.0f, 50.0f }, 0, 0 },
        { "horizontal only", juce::ModifierKeys::shiftModifier, { 150.0f, 10.0f }, 1, 0 },
        { "vertical only", juce::ModifierKeys::altModifier, { 150.0f, 10.0f }, 0, 1 },
        { "both locked", juce::ModifierKeys::altModifier | juce::ModifierKeys::shiftModifier, { 150.0f, 10.0f }, 0, 0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        BoundPad bound;
        bound.pad.setSize (200, 100);
        bound.setNormalised (driveId, 0.5f);
        bound.setNormalised (phaseId, 0.5f);
        bound.pad.heldKeys = juce::ModifierKeys (c.heldKeys);

        ParameterCounter drive (bound.parameter (driveId));
        ParameterCounter phase (bound.parameter (phaseId));

        bound.dragTo (c.to);

        EXPECT_EQ (drive.gestureStarts, 1);
        EXPECT_EQ (drive.gestureEnds, 1);
        EXPECT_EQ (phase.gestureStarts, 1);
        EXPECT_EQ (phase.gestureEnds, 1);
        EXPECT_EQ (drive.valueChanges, c.driveChanges);
        EXPECT_EQ (phase.valueChanges, c.phaseChanges);
        EXPECT_EQ (bound.normalised (driveId), c.driveChanges > 0 ? 0.75f : 0.5f);
        EXPECT_FLOAT_EQ (bound.normalised (phaseId), c.phaseChanges > 0 ? 0.9f : 0.5f);
    }
}

TEST (ParticleXYValueSource, OneAxisChangingRefreshesBothLabelsBeforeTheParameterIsSet)
{
    const struct { const char* name; int heldKeys; const char* xText; const char* yText; } cases[] = {
        { "horizontal", juce::ModifierKeys::shiftModifier, "75%", "50%" },
        { "vertical", juce::ModifierKeys::altModifier, "50%", "90%" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        BoundPad bound;
        bound.pad.setSize (200, 100);
        bound.setNormalised (driveId, 0.5f);
        bound.setNormalised (phaseId, 0.5f);
        bound.pad.heldKeys = juce::ModifierKeys (c.heldKeys);

        juce::Label xLabel, yLabel;
        xLabel.getTextValue().referTo (bound.xValue);
        yLabel.getTextValue().referTo (bound.yValue);

        struct FirstRefresh : juce::Label::Listener
        {
            BoundPad& bound;
            float driveSeen = -1.0f, phaseSeen = -1.0f;
            int refreshes = 0;

            explicit FirstRefresh (BoundPad& b) : bound (b) {}

            void labelTextChanged (juce::Label*) override
            {
                if (refreshes++ == 0)
                {
                    driveSeen = bound.normalised (driveId);
                    phaseSeen = bound.normalised (phaseId);
                }
            }
        } xRefresh (bound), yRefresh (bound);

        xLabel.addListener (&xRefresh);
        yLabel.addListener (&yRefresh);

        bound.pad.mouseDrag (mouseEventAt (bound.pad, { 150.0f, 10.0f }, leftButton, true));

        EXPECT_EQ (xLabel.getText(), c.xText);
        EXPECT_EQ (yLabel.getText(), c.yText);

        // The moved axis' label has changed its text; the other one was told too, with the
        // same text, and the label only reports actual changes.
        const auto& moved = c.heldKeys == juce::ModifierKeys::shiftModifier ? xRefresh : yRefresh;
        EXPECT_EQ (moved.refreshes, 1);
        EXPECT_EQ (moved.driveSeen, 0.5f);
        EXPECT_EQ (moved.phaseSeen, 0.5f);

        xLabel.removeListener (&xRefresh);
        yLabel.removeListener (&yRefresh);
    }
}

TEST (ParticleXYValueSource, EveryAxisChangeNotifiesTheValuesOfBothAxesSynchronously)
{
    struct Counter : juce::Value::Listener
    {
        void valueChanged (juce::Value&) override { ++count; }
        int count = 0;
    };

    // With the parameters where the puck already is, the bindings have nothing to set, so
    // each notification reaches the values exactly once.
    BoundPad bound;
    bound.pad.setSize (200, 100);
    bound.setNormalised (driveId, 0.5f);
    bound.setNormalised (phaseId, 0.5f);

    juce::Value xShown, yShown;
    xShown.referTo (bound.xValue);
    yShown.referTo (bound.yValue);
    Counter xCounter, yCounter;
    xShown.addListener (&xCounter);
    yShown.addListener (&yCounter);

    bound.pad.sendValueChanged (Axis::X);
    EXPECT_EQ (xCounter.count, 1);
    EXPECT_EQ (yCounter.count, 1);

    bound.pad.sendValueChanged (Axis::Y);
    EXPECT_EQ (xCounter.count, 2);
    EXPECT_EQ (yCounter.count, 2);

    pumpMessages();
    EXPECT_EQ (xCounter.count, 2);
    EXPECT_EQ (yCounter.count, 2);
}

TEST (ParticleXYValueSource, ShowsTheTruncatedPercentageUpwardsAndToTheRight)
{
    const struct { Axis axis; int position, extent; const char* text; } cases[] = {
        { Axis::X, 0, 200, "0%" },
        { Axis::X, 200, 200, "100%" },
        { Axis::X, 1, 3, "33%" },
        { Axis::X, 2, 3, "66%" },
        { Axis::X, 199, 200, "99%" },
        { Axis::Y, 0, 100, "100%" },
        { Axis::Y, 100, 100, "0%" },
        { Axis::Y, 1, 3, "66%" },
        { Axis::Y, 2, 3, "33%" },
        { Axis::Y, 33, 100, "66%" },
        { Axis::Y, 99, 100, "0%" },
        { Axis::X, 0, 0, "0%" },
        { Axis::Y, 0, 0, "100%" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.axis) + ": " + juce::String (c.position) + " of " + juce::String (c.extent));
        EXPECT_EQ (ParticleXYValueSource::positionToText (c.axis, c.position, c.extent), c.text);

        ParticleXYComponent pad;
        pad.setSize (c.axis == Axis::X ? c.extent : 10, c.axis == Axis::Y ? c.extent : 10);
        (c.axis == Axis::X ? pad.xPosition : pad.yPosition) = c.position;

        juce::Value value (new ParticleXYValueSource (pad, c.axis));
        EXPECT_EQ (value.toString(), c.text);

        value.setValue ("42%");
        EXPECT_EQ (value.toString(), c.text);
    }
}

TEST (ParticleXYValueSource, OutlivesThePadThroughTheValuesThatReferToIt)
{
    auto pad = std::make_unique<ParticleXYComponent>();
    pad->setSize (200, 100);
    pad->xPosition = 100;

    juce::Label label;
    {
        juce::Value value (new ParticleXYValueSource (*pad, Axis::X));
        label.getTextValue().referTo (value);
    }

    pad->sendValueChanged (Axis::X);
    EXPECT_EQ (label.getText(), "50%");

    pad.reset();
    EXPECT_EQ (label.getTextValue().toString(), "");
}
