#pragma once

namespace zav::outside {

class NumberUtility {
public:
    virtual ~NumberUtility() = default;
    virtual double MaxOf(double a, double b) = 0;
};

} // namespace zav::outside
