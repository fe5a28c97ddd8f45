#include "base/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace zav {

namespace {
const QScreen* screenOf(const QWidget* context) {
    if (context && context->screen()) {
        return context->screen();
    }
    return QGuiApplication::primaryScreen();
}

double dpiX(const QWidget* context) {
    const QScreen* screen = screenOf(context);
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

double dpiY(const QWidget* context) {
    const QScreen* screen = screenOf(context);
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}
} // namespace

int TwipsToPixelsX(double twips, const QWidget* context) {
    return static_cast<int>(std::lround(twips * dpiX(context) / TwipsPerInch));
}
int TwipsToPixelsY(double twips, const QWidget* context) {
    return static_cast<int>(std::lround(twips * dpiY(context) / TwipsPerInch));
}
double PixelsToTwipsX(int pixels, const QWidget* context) {
    return pixels * TwipsPerInch / dpiX(context);
}
double PixelsToTwipsY(int pixels, const QWidget* context) {
    return pixels * TwipsPerInch / dpiY(context);
}

} // namespace zav

namespace zav {
void PlaceInTwips(QWidget* widget, double left, double top, double width, double height) {
    widget->setGeometry(TwipsToPixelsX(left, widget), TwipsToPixelsY(top, widget),
                        TwipsToPixelsX(width, widget), TwipsToPixelsY(height, widget));
}
} // namespace zav
