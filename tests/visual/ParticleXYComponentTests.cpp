#include "BrazzleLookAndFeel.h"
#include "ParticleXYComponent.h"
#include "VisualTestHelpers.h"

#include <BinaryData.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>

using visualtest::leftButton;
using visualtest::mouseEventAt;
using visualtest::PadWithHeldKeys;
using visualtest::RecordingListener;

namespace
{
using Particle = ParticleXYComponent::Particle;
using Event = RecordingListener::Event;

constexpr int noAxis = -1;
constexpr int xAxis = ParticleXYComponent::Listener::X;
constexpr int yAxis = ParticleXYComponent::Listener::Y;

void expectAtRestOnTheGrid (const ParticleXYComponent& pad, int columns, int rows)
{
    ASSERT_EQ (pad.particles.size(), static_cast<size_t> (columns * rows));

    for (int row = 0; row < rows; ++row)
    {
        for (int column = 0; column < columns; ++column)
        {
            const auto& p = pad.particles[static_cast<size_t> (row * columns + column)];
            const juce::Point<float> place (static_cast<float> (3 * column), static_cast<float> (3 * row));
            ASSERT_EQ (p.home, place) << "row " << row << ", column " << column;
            ASSERT_EQ (p.position, place) << "row " << row << ", column " << column;
            ASSERT_EQ (p.velocity, juce::Point<float>()) << "row " << row << ", column " << column;
        }
    }
}

juce::Image paintPad (ParticleXYComponent& pad)
{
    juce::Image image (juce::Image::ARGB, pad.getWidth(), pad.getHeight(), true);
    juce::Graphics g (image);
    pad.paint (g);
    return image;
}

/** A frame drawn step by step as described, from the particles as they were before it,
    at a display scale.
*/
juce::Image referenceFrame (const std::vector<Particle>& particles, juce::Point<int> puck, int width, int height,
                            float scale, juce::Colour background, juce::Colour particleColour)
{
    juce::Image image (juce::Image::ARGB, juce::roundToInt (static_cast<float> (width) * scale),
                       juce::roundToInt (static_cast<float> (height) * scale), true);
    juce::Graphics g (image);
    g.addTransform (juce::AffineTransform::scale (scale));
    g.fillAll (background);
    g.setColour (particleColour.withAlpha (static_cast<juce::uint8> (0x99)));

    for (const auto& p : particles)
        g.fillRect (static_cast<int> (p.position.x), static_cast<int> (p.position.y), 1, 1);

    g.drawImage (juce::ImageCache::getFromMemory (BinaryData::xy_puck_png, BinaryData::xy_puck_pngSize),
                 juce::Rectangle<float> (static_cast<float> (puck.x - 22), static_cast<float> (puck.y - 22), 44.0f, 44.0f));
    g.setColour (particleColour);
    g.drawEllipse (static_cast<float> (puck.x - 10), static_cast<float> (puck.y - 10), 20.0f, 20.0f, 1.4f);
    return image;
}

/** Pixels where some channel differs by more than the rounding of blending the puck
    with its opacity once or in two steps.
*/
int visiblyDifferingPixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return a.getWidth() * a.getHeight() + 1;

    const auto apart = [] (juce::uint8 p, juce::uint8 q) { return std::abs (static_cast<int> (p) - static_cast<int> (q)) > 1; };
    int n = 0;

    for (int y = 0; y < a.getHeight(); ++y)
    {
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt (x, y);
            const auto q = b.getPixelAt (x, y);

            if (apart (p.getRed(), q.getRed()) || apart (p.getGreen(), q.getGreen())
                || apart (p.getBlue(), q.getBlue()) || apart (p.getAlpha(), q.getAlpha()))
                ++n;
        }
    }

    return n;
}

struct CallbackListener : ParticleXYComponent::Listener
{
    std::function<void()> onValueChanged;

    void sliderValueChanged (ParticleXYComponent*, Axis) override
    {
        if (onValueChanged != nullptr)
            onValueChanged();
    }
};
} // namespace

TEST (ParticleXYGrid, LaysOneParticleOnEveryThirdPixelAtRest)
{
    const struct { int width, height, columns, rows; } cases[] = {
        { 0, 0, 1, 1 },
        { 2, 2, 1, 1 },
        { 3, 3, 2, 2 },
        { 10, 7, 4, 3 },
        { 300, 200, 101, 67 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.width) + " x " + juce::String (c.height));
        ParticleXYComponent pad;
        EXPECT_TRUE (pad.particles.empty());

        // Only a change of size calls resized, and a new pad is already 0 x 0.
        pad.setSize (c.width + 1, c.height + 1);
        pad.setSize (c.width, c.height);
        expectAtRestOnTheGrid (pad, c.columns, c.rows);
    }
}

TEST (ParticleXYGrid, EveryResizeDiscardsTheMotionAndClampsThePuckBeforeTellingListeners)
{
    const struct { int width, height, startX, startY, expectedX, expectedY; } cases[] = {
        { 100, 50, 250, 150, 100, 50 },
        { 400, 400, 250, 150, 250, 150 },
        { 30, 300, -5, -1, 0, 0 },
        { 0, 0, 7, 9, 0, 0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.width) + " x " + juce::String (c.height));
        ParticleXYComponent pad;
        pad.setSize (300, 200);
        pad.xPosition = 30;
        pad.yPosition = 30;

        // Stir the field up: the particles around the puck are pushed away.
        paintPad (pad);
        ASSERT_NE (pad.particles[10 * 101 + 11].velocity, juce::Point<float>());

        RecordingListener listener;
        pad.addListener (&listener);
        pad.xPosition = c.startX;
        pad.yPosition = c.startY;
        pad.setSize (c.width, c.height);

        EXPECT_EQ (pad.xPosition, c.expectedX);
        EXPECT_EQ (pad.yPosition, c.expectedY);
        expectAtRestOnTheGrid (pad, c.width / 3 + 1, c.height / 3 + 1);
        EXPECT_EQ (listener.events, (std::vector<Event> { { RecordingListener::gridChanged, noAxis, c.expectedX, c.expectedY } }));

        pad.removeListener (&listener);
    }
}

TEST (ParticleXYStep, PushesAwayFromThePuckAndSpringsHomeInSinglePrecision)
{
    // Exact cases have a tolerance of 0.
    const struct
    {
        const char* name;
        Particle before;
        juce::Point<float> puck;
        Particle after;
        float tolerance;
    } cases[] = {
        { "spring only",
          { { 10.0f, -8.0f }, { 0.0f, 0.0f }, { 0.0f, 0.0f } }, { 1000.0f, 1000.0f },
          { { 7.5f, -6.0f }, { 0.0f, 0.0f }, { 0.0f, 0.0f } }, 0.0f },
        { "velocity carried, halves round away from home",
          { { 2.0f, -2.0f }, { 0.0f, 0.0f }, { -1.0f, 1.0f } }, { 1000.0f, 1000.0f },
          { { 0.5f, -0.5f }, { 0.0f, 0.0f }, { -0.95f, 0.95f } }, 0.0f },
        { "snaps home once it rounds to it",
          { { 1.5f, 99.0f }, { 0.0f, 100.0f }, { -1.0f, 0.5f } }, { 1000.0f, 1000.0f },
          { { 0.0f, 100.0f }, { 0.0f, 100.0f }, { -0.95f, 0.475f } }, 0.0f },
        { "no push at 32 pixels",
          { { 0.0f, 0.0f }, { 0.0f, 0.0f }, { 0.0f, 0.0f } }, { 32.0f, 0.0f },
          { { 0.0f, 0.0f }, { 0.0f, 0.0f }, { 0.0f, 0.0f } }, 0.0f },
        { "just over a pixel just inside 32 pixels",
          { { 0.0f, 0.0f }, { 0.0f, 0.0f }, { 0.0f, 0.0f } }, { 31.0f, 0.0f },
          { { -1024.0f / 961.0f, 0.0f }, { 0.0f, 0.0f }, { -1024.0f / 961.0f * 0.95f, 0.0f } }, 0.0f },
        { "capped push to the left at distance 0",
          { { 3.0f, 3.0f }, { 3.0f, 3.0f }, { 0.0f, 0.0f } }, { 3.0f, 3.0f },
          { { -999997.0f, 3.0f }, { 3.0f, 3.0f }, { -950000.0f, 0.0f } }, 0.0f },
        { "directly away along a 3-4-5 triangle",
          { { 0.0f, 0.0f }, { 0.0f, 0.0f }, { 0.0f, 0.0f } }, { 3.0f, 4.0f },
          { { -24.576f, -32.768f }, { 0.0f, 0.0f }, { -23.3472f, -31.1296f } }, 1.0e-5f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        auto particle = c.before;
        ParticleXYComponent::stepParticle (particle, c.puck);

        EXPECT_NEAR (particle.position.x, c.after.position.x, c.tolerance);
        EXPECT_NEAR (particle.position.y, c.after.position.y, c.tolerance);
        EXPECT_NEAR (particle.velocity.x, c.after.velocity.x, c.tolerance);
        EXPECT_NEAR (particle.velocity.y, c.after.velocity.y, c.tolerance);
        EXPECT_EQ (particle.home, c.before.home);
    }
}

TEST (ParticleXYStep, AParticleBlownFromUnderThePuckNeedsAbout280FramesToComeBack)
{
    Particle particle { { 3.0f, 3.0f }, { 3.0f, 3.0f }, { 0.0f, 0.0f } };
    ParticleXYComponent::stepParticle (particle, { 3.0f, 3.0f });

    int frames = 1;

    while (std::abs (particle.position.x - particle.home.x) >= 3.0f && frames < 1000)
    {
        ParticleXYComponent::stepParticle (particle, { 1000.0f, 1000.0f });
        ++frames;
    }

    EXPECT_EQ (frames, 280);
    EXPECT_EQ (particle.position.y, 3.0f);
}

TEST (ParticleXYMouse, DragMovesThePuckWithinThePadUnlessTheHeldKeysLockAnAxis)
{
    const auto alt = juce::ModifierKeys::altModifier;
    const auto shift = juce::ModifierKeys::shiftModifier;
    const auto value = RecordingListener::valueChanged;

    const struct
    {
        const char* name;
        int heldKeys;
        int eventButtons;
        juce::Point<float> to;
        int x, y;
        std::vector<Event> events;
    } cases[] = {
        { "free", 0, leftButton.getRawFlags(), { 120.0f, 70.0f }, 120, 70,
          { { value, xAxis, 120, 40 }, { value, yAxis, 120, 70 } } },
        { "rounded to whole pixels", 0, leftButton.getRawFlags(), { 120.4f, 69.6f }, 120, 70,
          { { value, xAxis, 120, 40 }, { value, yAxis, 120, 70 } } },
        { "alt locks the horizontal axis", alt, leftButton.getRawFlags(), { 120.0f, 70.0f }, 50, 70,
          { { value, yAxis, 50, 70 } } },
        { "shift locks the vertical axis", shift, leftButton.getRawFlags(), { 120.0f, 70.0f }, 120, 40,
          { { value, xAxis, 120, 40 } } },
        { "alt and shift lock both", alt | shift, leftButton.getRawFlags(), { 120.0f, 70.0f }, 50, 40, {} },
        { "keys in the event alone lock nothing", 0, leftButton.getRawFlags() | alt | shift, { 120.0f, 70.0f }, 120, 70,
          { { value, xAxis, 120, 40 }, { value, yAxis, 120, 70 } } },
        { "right button alone moves nothing", 0, juce::ModifierKeys::rightButtonModifier, { 120.0f, 70.0f }, 50, 40, {} },
        { "left and right buttons", 0, leftButton.getRawFlags() | juce::ModifierKeys::rightButtonModifier,
          { 120.0f, 70.0f }, 120, 70, { { value, xAxis, 120, 40 }, { value, yAxis, 120, 70 } } },
        { "pinned to the bottom left outside", 0, leftButton.getRawFlags(), { -30.0f, 500.0f }, 0, 100,
          { { value, xAxis, 0, 40 }, { value, yAxis, 0, 100 } } },
        { "pinned to the top right outside", 0, leftButton.getRawFlags(), { 250.7f, -3.0f }, 200, 0,
          { { value, xAxis, 200, 40 }, { value, yAxis, 200, 0 } } },
        { "only the changed axis is told", 0, leftButton.getRawFlags(), { 60.0f, 40.0f }, 60, 40,
          { { value, xAxis, 60, 40 } } },
        { "no change, no news", 0, leftButton.getRawFlags(), { 50.0f, 40.0f }, 50, 40, {} },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        PadWithHeldKeys pad;
        pad.setSize (200, 100);
        pad.xPosition = 50;
        pad.yPosition = 40;
        pad.heldKeys = juce::ModifierKeys (c.heldKeys);

        RecordingListener listener;
        pad.addListener (&listener);
        pad.mouseDrag (mouseEventAt (pad, c.to, juce::ModifierKeys (c.eventButtons), true));
        pad.removeListener (&listener);

        EXPECT_EQ (pad.xPosition, c.x);
        EXPECT_EQ (pad.yPosition, c.y);
        EXPECT_EQ (listener.events, c.events);
    }
}

TEST (ParticleXYMouse, PressAndReleaseOnlyOpenAndCloseTheGestureWithAnyButton)
{
    const juce::ModifierKeys buttons[] = { leftButton,
                                           juce::ModifierKeys (juce::ModifierKeys::rightButtonModifier),
                                           juce::ModifierKeys (juce::ModifierKeys::middleButtonModifier) };

    for (const auto& button : buttons)
    {
        SCOPED_TRACE (button.getRawFlags());
        PadWithHeldKeys pad;
        pad.setSize (200, 100);
        pad.xPosition = 50;
        pad.yPosition = 40;

        RecordingListener listener;
        pad.addListener (&listener);
        pad.mouseDown (mouseEventAt (pad, { 150.0f, 90.0f }, button));
        pad.mouseDrag (mouseEventAt (pad, { 150.0f, 90.0f }, button, true));
        pad.mouseUp (mouseEventAt (pad, { 150.0f, 90.0f }, juce::ModifierKeys()));
        pad.removeListener (&listener);

        const bool moves = button.isLeftButtonDown();
        EXPECT_EQ (listener.count (RecordingListener::dragStarted), 1);
        EXPECT_EQ (listener.count (RecordingListener::dragEnded), 1);
        EXPECT_EQ (listener.events.front().kind, RecordingListener::dragStarted);
        EXPECT_EQ (listener.events.back().kind, RecordingListener::dragEnded);
        EXPECT_EQ (listener.count (RecordingListener::valueChanged), moves ? 2 : 0);
        EXPECT_EQ (pad.xPosition, moves ? 150 : 50);
        EXPECT_EQ (pad.yPosition, moves ? 90 : 40);
    }
}

TEST (ParticleXYListeners, TellsTheMostRecentFirstOnceEachAndSurvivesRemovalDuringTheCall)
{
    const struct
    {
        const char* name;
        int removedBy;  // index of the listener that removes another while it is called, or -1
        int removed;
        std::vector<int> expectedOrder;
    } cases[] = {
        { "plain", -1, -1, { 2, 1, 0 } },
        { "the last removes itself", 2, 2, { 2, 1, 0 } },
        { "the middle removes itself", 1, 1, { 2, 1, 0 } },
        { "the last removes the first", 2, 0, { 2, 1 } },
        { "the last removes the middle", 2, 1, { 2, 0 } },
        { "the first removes the last", 0, 2, { 2, 1, 0 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        ParticleXYComponent pad;
        CallbackListener listeners[3];
        std::vector<int> order;

        for (int i = 0; i < 3; ++i)
        {
            listeners[i].onValueChanged = [&, i]
            {
                order.push_back (i);

                if (i == c.removedBy)
                    pad.removeListener (&listeners[c.removed]);
            };

            pad.addListener (&listeners[i]);
        }

        pad.addListener (&listeners[0]);
        pad.addListener (nullptr);

        pad.sendValueChanged (ParticleXYComponent::Listener::X);
        EXPECT_EQ (order, c.expectedOrder);

        for (auto& l : listeners)
            pad.removeListener (&l);
    }
}

TEST (ParticleXYPaint, DrawsTheFieldInTheSkinsColoursOrBlackAndWhite)
{
    BrazzleLookAndFeel brazzle;
    juce::LookAndFeel_V4 plain;

    const struct { const char* name; juce::LookAndFeel* lookAndFeel; juce::Colour background, particle; } cases[] = {
        { "brazzle", &brazzle, juce::Colour (0xff151617), juce::Colour (0xffefefef) },
        { "other", &plain, juce::Colours::black, juce::Colours::white },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        ParticleXYComponent pad;
        pad.setLookAndFeel (c.lookAndFeel);
        pad.setSize (90, 90);
        pad.xPosition = 90;
        pad.yPosition = 90;

        const auto image = paintPad (pad);
        const auto particle = c.background.overlaidWith (c.particle.withAlpha (static_cast<juce::uint8> (0x99)));

        // Far from the puck: particles on every third pixel, background between them.
        for (const auto& at : { juce::Point<int> (0, 0), juce::Point<int> (3, 6), juce::Point<int> (30, 0) })
        {
            const auto pixel = image.getPixelAt (at.x, at.y);
            EXPECT_NEAR (pixel.getRed(), particle.getRed(), 1) << at.toString();
            EXPECT_NEAR (pixel.getBlue(), particle.getBlue(), 1) << at.toString();
            EXPECT_EQ (pixel.getAlpha(), 255) << at.toString();
        }

        for (const auto& at : { juce::Point<int> (1, 1), juce::Point<int> (4, 5), juce::Point<int> (31, 2) })
            EXPECT_EQ (image.getPixelAt (at.x, at.y), c.background) << at.toString();

        pad.setLookAndFeel (nullptr);
    }
}

TEST (ParticleXYPaint, DrawsThePuckOverTheFieldAtEverySizeAndWholeDisplayScale)
{
    // One pad through all the frames, so that a picture kept from an earlier frame at
    // another scale would show.
    const struct { int width, height; float scale; int x, y; } frames[] = {
        { 90, 60, 1.0f, 45, 30 },
        { 90, 60, 1.0f, 0, 0 },
        { 90, 60, 2.0f, 90, 60 },
        { 90, 60, 2.0f, 37, 13 },
        { 120, 50, 1.0f, 61, 25 },
        { 120, 50, 3.0f, 1, 49 },
        { 120, 50, 1.0f, 120, 0 },
    };

    BrazzleLookAndFeel skin;
    ParticleXYComponent pad;
    pad.setLookAndFeel (&skin);

    for (const auto& f : frames)
    {
        SCOPED_TRACE (juce::String (f.width) + " x " + juce::String (f.height) + " at " + juce::String (f.scale)
                      + ", puck at " + juce::String (f.x) + ", " + juce::String (f.y));
        pad.setSize (f.width, f.height);
        pad.xPosition = f.x;
        pad.yPosition = f.y;

        const auto reference = referenceFrame (pad.particles, { f.x, f.y }, f.width, f.height, f.scale,
                                               skin.padColour, skin.foregroundColour);

        juce::Image image (juce::Image::ARGB, reference.getWidth(), reference.getHeight(), true);
        {
            juce::Graphics g (image);
            g.addTransform (juce::AffineTransform::scale (f.scale));
            pad.paint (g);
        }

        EXPECT_EQ (visiblyDifferingPixels (image, reference), 0);
    }

    pad.setLookAndFeel (nullptr);
}

TEST (ParticleXYPaint, StepsEveryParticleOncePerPaint)
{
    ParticleXYComponent pad;
    pad.setSize (60, 60);
    pad.xPosition = 30;
    pad.yPosition = 31;

    auto expected = pad.particles;

    for (int frame = 0; frame < 3; ++frame)
    {
        for (auto& particle : expected)
            ParticleXYComponent::stepParticle (particle, { 30.0f, 31.0f });

        paintPad (pad);
    }

    ASSERT_EQ (pad.particles.size(), expected.size());

    for (size_t i = 0; i < expected.size(); ++i)
    {
        ASSERT_EQ (pad.particles[i].position, expected[i].position) << i;
        ASSERT_EQ (pad.particles[i].velocity, expected[i].velocity) << i;
    }

    EXPECT_NE (expected[10 * 21 + 10].position, expected[10 * 21 + 10].home);
}
