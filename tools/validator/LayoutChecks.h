#pragma once

#include "ValidationContext.h"

namespace brazzle::validator
{
/** The channel layouts a host may ask for: accepted ones applied and run, refused ones
    left alone. */
class LayoutChecks
{
public:
    explicit LayoutChecks (ValidationContext& context) : ctx (context) {}

    void run();

private:
    ValidationContext& ctx;
};
} // namespace brazzle::validator
