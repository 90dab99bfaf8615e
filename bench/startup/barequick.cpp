// The bare Qt Quick window the desktop app is measured against: one Window
// with one Text, from the same Qt, reporting its first frame the same way.
#include "firstframereport.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    QQmlApplicationEngine engine;
    QObject::connect(&engine, &QQmlApplicationEngine::objectCreated, &application,
                     [](QObject *object) {
                         auto *window = qobject_cast<QQuickWindow *>(object);
                         if (window == nullptr) {
                             QCoreApplication::exit(1);
                             return;
                         }
                         QObject::connect(window, &QQuickWindow::frameSwapped, window,
                                          reportFirstFrameNow, Qt::SingleShotConnection);
                     });
    engine.loadData(R"(import QtQuick
Window {
    width: 960
    height: 600
    visible: true
    title: "Bare Qt Quick"
    Text { anchors.centerIn: parent; text: "Translate" }
})");
    return application.exec();
}
