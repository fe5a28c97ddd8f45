#include "base/MessageBox.h"

#include "base/PanelLook.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include "base/OpenDialogs.h"
#include <QAbstractButton>
#include <QApplication>

#include <QMessageBox>
#include <QTextStream>
#include <QThread>
#include <atomic>

namespace zav {

namespace {
MessageBoxHandler& handler() {
    thread_local MessageBoxHandler instance;
    return instance;
}

// Widgets exist only on the thread of a QApplication.
bool onGuiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return qobject_cast<const QApplication*>(app) && QThread::currentThread() == app->thread();
}

int answerWithoutGui(const QString& text, int style, const QString& title) {
    QTextStream(stderr) << title << ": " << text << Qt::endl;
    return (style & 0x7) == vbYesNo ? vbNo : vbOK;
}
} // namespace

void RequireGuiApplication() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        throw AutomationError(
            5, QStringLiteral("The component's dialogs need a QApplication; none is running."));
    }
    if (!onGuiThread()) {
        throw AutomationError(
            5, QStringLiteral("The component's dialogs open only on the application's thread."));
    }
}

void setMessageBoxHandler(MessageBoxHandler h) {
    handler() = std::move(h);
}

namespace {
std::atomic<ButtonCaptionSource> captionSource{nullptr};

void captionButton(QMessageBox& box, QMessageBox::StandardButton which, int answer) {
    const ButtonCaptionSource source = captionSource.load();
    QAbstractButton* button = box.button(which);
    if (source && button) {
        if (const QString caption = source(answer); !caption.isEmpty()) {
            button->setText(caption);
        }
    }
}
} // namespace

void setButtonCaptionSource(ButtonCaptionSource source) {
    captionSource.store(source);
}

int MsgBox(const QString& text, int style, const QString& title) {
    if (handler()) {
        return handler()(text, style, title);
    }
    if (!onGuiThread()) {
        return answerWithoutGui(text, style, title);
    }
    QMessageBox box;
    const OpenDialogScope open(&box); // a logout closes it: a question then answers No
    ApplyPanelLook(&box);
    box.setText(text);
    box.setWindowTitle(title);
    switch (style & 0x70) {
    case vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case 16:
        box.setIcon(QMessageBox::Critical);
        break;
    case 64:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    if ((style & 0x7) == vbYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        captionButton(box, QMessageBox::Yes, vbYes);
        captionButton(box, QMessageBox::No, vbNo);
        return box.exec() == QMessageBox::Yes ? vbYes : vbNo;
    }
    box.setStandardButtons(QMessageBox::Ok);
    captionButton(box, QMessageBox::Ok, vbOK);
    box.exec();
    return vbOK;
}

} // namespace zav
