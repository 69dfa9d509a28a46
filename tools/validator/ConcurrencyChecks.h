#pragma once

#include "ValidationContext.h"

namespace brazzle::validator
{
/** Several host threads at once: state restored from a background thread while the
    editor is open and audio runs, and parameters moved on the message thread while
    the audio thread reads them. */
class ConcurrencyChecks
{
public:
    explicit ConcurrencyChecks (ValidationContext& context) : ctx (context) {}

    void run();

private:
    void checkStateFromBackgroundThread();
    void checkParametersWhileProcessing();

    ValidationContext& ctx;
};
} // namespace brazzle::validator
