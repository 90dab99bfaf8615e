#pragma once

// The shell's stores as QML singletons: each answers the running app's
// instance, owned by C++.

#include "tolvanapp.h"

#include <QJSEngine>
#include <QtQml/qqmlregistration.h>

namespace Tolvan {

template<typename Store, Store &(TolvanApp::*member)()>
Store *shellStore()
{
    Store *store = &(TolvanApp::instance()->*member)();
    QJSEngine::setObjectOwnership(store, QJSEngine::CppOwnership);
    return store;
}

struct AuthStoreSingleton {
    Q_GADGET
    QML_FOREIGN(Tolvan::AuthStore)
    QML_NAMED_ELEMENT(AuthStore)
    QML_SINGLETON
public:
    static AuthStore *create(QQmlEngine *, QJSEngine *)
    {
        return shellStore<AuthStore, &TolvanApp::auth>();
    }
};

struct BillingStoreSingleton {
    Q_GADGET
    QML_FOREIGN(Tolvan::BillingStore)
    QML_NAMED_ELEMENT(BillingStore)
    QML_SINGLETON
public:
    static BillingStore *create(QQmlEngine *, QJSEngine *)
    {
        return shellStore<BillingStore, &TolvanApp::billing>();
    }
};

struct HistoryStoreSingleton {
    Q_GADGET
    QML_FOREIGN(Tolvan::HistoryStore)
    QML_NAMED_ELEMENT(HistoryStore)
    QML_SINGLETON
public:
    static HistoryStore *create(QQmlEngine *, QJSEngine *)
    {
        return shellStore<HistoryStore, &TolvanApp::history>();
    }
};

struct TranslationStoreSingleton {
    Q_GADGET
    QML_FOREIGN(Tolvan::TranslationStore)
    QML_NAMED_ELEMENT(TranslationStore)
    QML_SINGLETON
public:
    static TranslationStore *create(QQmlEngine *, QJSEngine *)
    {
        return shellStore<TranslationStore, &TolvanApp::translation>();
    }
};

struct WritingStoreSingleton {
    Q_GADGET
    QML_FOREIGN(Tolvan::WritingStore)
    QML_NAMED_ELEMENT(WritingStore)
    QML_SINGLETON
public:
    static WritingStore *create(QQmlEngine *, QJSEngine *)
    {
        return shellStore<WritingStore, &TolvanApp::writing>();
    }
};

struct CopyShortcutSingleton {
    Q_GADGET
    QML_FOREIGN(Tolvan::GlobalCopyShortcut)
    QML_NAMED_ELEMENT(CopyShortcut)
    QML_SINGLETON
public:
    static GlobalCopyShortcut *create(QQmlEngine *, QJSEngine *)
    {
        return shellStore<GlobalCopyShortcut, &TolvanApp::copyShortcut>();
    }
};

struct SettingsStoreSingleton {
    Q_GADGET
    QML_FOREIGN(Tolvan::SettingsStore)
    QML_NAMED_ELEMENT(SettingsStore)
    QML_SINGLETON
public:
    static SettingsStore *create(QQmlEngine *, QJSEngine *)
    {
        return shellStore<SettingsStore, &TolvanApp::settings>();
    }
};

struct WindowScenesSingleton {
    Q_GADGET
    QML_FOREIGN(Tolvan::WindowScenes)
    QML_NAMED_ELEMENT(Scenes)
    QML_SINGLETON
public:
    static WindowScenes *create(QQmlEngine *, QJSEngine *)
    {
        return shellStore<WindowScenes, &TolvanApp::scenes>();
    }
};

} // namespace Tolvan
