// The plugin of the QML module ZAV.PrjLogin: `import ZAV.PrjLogin 1.0` loads it through the module's
// qmldir and registers the types.

#include <ZAV_PrjLoginScript/ScriptHost.h>

#include <QQmlExtensionPlugin>

class ZAV_PrjLoginQmlPlugin : public QQmlExtensionPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QQmlExtensionInterface_iid)

public:
    void registerTypes(const char* uri) override { zav::script::registerQmlTypes(uri); }
};

#include "QmlPlugin.moc"
