#include "EditorWindow.h"

#include <dlfcn.h>

namespace brazzle::validator
{
namespace
{
std::atomic<int> xErrors { 0 };

int countXError (void*, void*)
{
    ++xErrors;
    return 0;
}

// Xlib has one error handler per process, and a plug-in that carries its own copy of
// JUCE sets and restores it from its own message thread, so the host's copy can end
// up with Xlib's default handler, which ends the process on the first error (for
// instance a query of an atom that only a window manager creates, absent under a
// bare X server). A host keeps its own handler; so does the validator.
void installXErrorHandler()
{
    using Handler = int (*) (void*, void*);
    using SetHandler = Handler (*) (Handler);

    if (auto* x11 = dlopen ("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD))
    {
        if (auto* set = reinterpret_cast<SetHandler> (dlsym (x11, "XSetErrorHandler")))
            set (countXError);

        dlclose (x11);
    }
}
} // namespace

int EditorWindow::getXErrorCount() noexcept
{
    return xErrors.load();
}

EditorWindow::EditorWindow (juce::AudioProcessor& processor)
{
    installXErrorHandler();
    editor.reset (processor.createEditorIfNeeded());
    installXErrorHandler();

    if (editor == nullptr)
        return;

    window = std::make_unique<juce::DocumentWindow> ("Brazzle", juce::Colours::black, juce::DocumentWindow::closeButton);
    window->setUsingNativeTitleBar (true);
    window->setContentNonOwned (editor.get(), true);
    window->setVisible (true);
}

EditorWindow::~EditorWindow()
{
    if (window != nullptr)
    {
        window->setVisible (false);
        window->clearContentComponent();
    }

    editor.reset();
    window.reset();
}

juce::Rectangle<int> EditorWindow::getEditorBounds() const
{
    return editor != nullptr ? editor->getBounds() : juce::Rectangle<int>();
}
} // namespace brazzle::validator
