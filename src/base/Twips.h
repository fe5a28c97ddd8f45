#pragma once

// Dialog geometry is designed in twips: 1440 twips to the inch, converted at the screen's logical
// resolution. Every dialog uses these helpers so that distances stay consistent.

class QWidget;

namespace zav {

inline constexpr double TwipsPerInch = 1440.0;

int TwipsToPixelsX(double twips, const QWidget* context = nullptr);
int TwipsToPixelsY(double twips, const QWidget* context = nullptr);
double PixelsToTwipsX(int pixels, const QWidget* context = nullptr);
double PixelsToTwipsY(int pixels, const QWidget* context = nullptr);

} // namespace zav

namespace zav {
// Places a widget at Left, Top, Width, Height given in twips (relative to its parent).
void PlaceInTwips(QWidget* widget, double left, double top, double width, double height);
} // namespace zav
