#pragma once

#include "outside/NumberUtility.h"

namespace zav::outside {

// The larger of two numbers, nothing more.
class PlainNumberUtility : public NumberUtility {
public:
    double MaxOf(double a, double b) override { return a < b ? b : a; }
};

} // namespace zav::outside
