// Loaded with QT_QPA_GENERIC_PLUGINS=zavanswer: cancels every dialog the moment it is shown and names
// it on standard error, so that a host runs to its end without a screen or an operator.
#include <QCoreApplication>
#include <QEvent>
#include <QGenericPlugin>
#include <cstdio>

class DialogAnswerer : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "answerer.json")

public:
    QObject* create(const QString&, const QString&) override {
        QCoreApplication::instance()->installEventFilter(this);
        return this;
    }
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show && object->inherits("QDialog")) {
            std::fprintf(stderr, "answered %s\n", object->metaObject()->className());
            QMetaObject::invokeMethod(object, "reject", Qt::QueuedConnection);
        }
        return false;
    }
};

#include "DialogAnswerer.moc"
