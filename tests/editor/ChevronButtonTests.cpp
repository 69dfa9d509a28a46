#include "ChevronButton.h"
#include "EditorTestHelpers.h"

#include <gtest/gtest.h>

using editortest::findInk;
using editortest::render;

TEST (ChevronButton, FitsItsChevronIntoTheCentredSquareKeepingProportions)
{
    // A chevron is taller than it is wide, so it fills the square's height when it points
    // sideways and its width when it points up or down.
    const struct { float rotation; bool fillsHeight; } cases[] = {
        { 0.0f, true },
        { 0.5f, true },
        { 0.25f, false },
        { 0.75f, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.rotation);
        ChevronButton button ("Prev", c.rotation);
        button.setBounds (0, 0, 24, 24);

        const auto ink = findInk (render (button), { 0, 0, 24, 24 }, nullptr, 16);
        ASSERT_GT (ink.count, 0);
        EXPECT_TRUE (juce::Rectangle<int> (6, 6, 12, 12).contains (ink.bounds)) << ink.bounds.toString();

        const auto filled = c.fillsHeight ? ink.bounds.getHeight() : ink.bounds.getWidth();
        const auto other = c.fillsHeight ? ink.bounds.getWidth() : ink.bounds.getHeight();
        EXPECT_GE (filled, 11);
        EXPECT_LT (other, 10);

        const auto before = c.fillsHeight ? ink.bounds.getX() - 6 : ink.bounds.getY() - 6;
        const auto after = c.fillsHeight ? 18 - ink.bounds.getRight() : 18 - ink.bounds.getBottom();
        EXPECT_LE (std::abs (before - after), 1) << "centred";
    }
}

TEST (ChevronButton, KeepsASixPixelMarginAtAnySize)
{
    // Without room inside the margin the path keeps its own small coordinates, which lie
    // outside such a tiny button.
    const struct { int width, height; juce::Rectangle<int> area; } cases[] = {
        { 40, 24, { 6, 6, 28, 12 } },
        { 24, 40, { 6, 6, 12, 28 } },
        { 12, 12, {} },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.width) + " x " + juce::String (c.height));
        ChevronButton button ("Next", 0.5f);
        button.setBounds (0, 0, c.width, c.height);

        const auto ink = findInk (render (button), { 0, 0, c.width, c.height }, nullptr, 16);

        if (c.area.isEmpty())
        {
            EXPECT_EQ (ink.count, 0);
            continue;
        }

        ASSERT_GT (ink.count, 0);
        EXPECT_TRUE (c.area.contains (ink.bounds)) << ink.bounds.toString();
        EXPECT_NEAR (ink.bounds.toFloat().getCentreX(), c.area.toFloat().getCentreX(), 1.0f);
        EXPECT_NEAR (ink.bounds.toFloat().getCentreY(), c.area.toFloat().getCentreY(), 1.0f);
    }
}

TEST (ChevronButton, DarkensTheChevronWhileDownAndIgnoresHighlight)
{
    const auto colour = juce::Colour (200, 100, 50);

    const struct { const char* name; juce::Button::ButtonState state; juce::Colour expected; } cases[] = {
        { "normal", juce::Button::buttonNormal, colour },
        { "highlighted", juce::Button::buttonOver, colour },
        { "down", juce::Button::buttonDown, juce::Colour (142, 71, 35) },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        ChevronButton button ("Next", 0.5f);
        button.chevronColour = colour;
        button.fillColour = juce::Colours::white;
        button.setBounds (0, 0, 96, 96);
        button.setState (c.state);

        const auto image = render (button);
        EXPECT_EQ (image.getPixelAt (1, 1), juce::Colours::white) << "the fill covers the whole button";

        int chevronPixels = 0;

        for (int y = 0; y < 96; ++y)
        {
            for (int x = 0; x < 96; ++x)
            {
                const auto pixel = image.getPixelAt (x, y);

                if (pixel != juce::Colours::white && (pixel.getRed() < 250 || pixel.getGreen() < 250))
                {
                    const bool fullyCovered = x > 0 && y > 0 && x < 95 && y < 95
                                              && image.getPixelAt (x - 1, y) == pixel && image.getPixelAt (x + 1, y) == pixel
                                              && image.getPixelAt (x, y - 1) == pixel && image.getPixelAt (x, y + 1) == pixel;

                    if (fullyCovered)
                    {
                        EXPECT_EQ (pixel, c.expected) << x << ", " << y;
                        ++chevronPixels;
                    }
                }
            }
        }

        EXPECT_GT (chevronPixels, 50);
    }
}
