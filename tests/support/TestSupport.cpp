#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QWidget>

namespace zav::test {

namespace {
void poll(const std::function<bool(QWidget*)>& isWanted, const std::function<void(QWidget*)>& action,
          int remainingMs) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && isWanted(modal)) {
        action(modal);
        return;
    }
    if (remainingMs <= 0) {
        return;
    }
    QTimer::singleShot(10, [=] { poll(isWanted, action, remainingMs - 10); });
}
} // namespace

void whenModal(const std::function<bool(QWidget*)>& isWanted, const std::function<void(QWidget*)>& action,
               int timeoutMs) {
    QTimer::singleShot(0, [=] { poll(isWanted, action, timeoutMs); });
}

void click(const QWidget* dialog, const char* name) {
    control<QAbstractButton>(dialog, name)->click();
}

void type(const QWidget* dialog, const char* name, const QString& text) {
    control<QLineEdit>(dialog, name)->setText(text);
}

void choose(const QWidget* dialog, const char* name, const QString& item) {
    auto* list = control<QComboBox>(dialog, name);
    list->setCurrentIndex(list->findText(item));
}

void answerNextMessage(QStringList& seen) {
    whenModal<QMessageBox>([&seen](QMessageBox* box) {
        seen << box->windowTitle() + QStringLiteral(": ") + box->text();
        box->accept();
    });
}

struct ModalWatchdog::Impl {
    QTimer timer;
};

ModalWatchdog::ModalWatchdog(int ms) : m_impl(new Impl) {
    m_impl->timer.setSingleShot(false);
    m_impl->timer.setInterval(ms);
    QObject::connect(&m_impl->timer, &QTimer::timeout, [] {
        while (QWidget* w = QApplication::activeModalWidget()) {
            w->close();
            if (QApplication::activeModalWidget() == w) {
                w->hide();
            }
        }
    });
    m_impl->timer.start();
}

ModalWatchdog::~ModalWatchdog() {
    delete m_impl;
}

bool InChild() {
    return qEnvironmentVariableIsSet("ZAV_TEST_CHILD");
}

bool RanCleanlyInChild(const char* testFunction, int timeoutMs) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ZAV_TEST_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(testFunction)});
    if (!child.waitForFinished(timeoutMs)) {
        child.kill();
        child.waitForFinished();
        return false;
    }
    return child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

} // namespace zav::test
