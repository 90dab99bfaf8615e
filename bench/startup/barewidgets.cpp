// The bare Qt Widgets window: one label, reporting when it has first painted.
#include "firstframereport.h"

#include <QApplication>
#include <QLabel>

namespace {

class ReportingLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QLabel::paintEvent(event);
        if (!m_reported) {
            m_reported = true;
            reportFirstFrameNow();
        }
    }

private:
    bool m_reported = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    ReportingLabel label(QStringLiteral("Translate"));
    label.setAlignment(Qt::AlignCenter);
    label.setWindowTitle(QStringLiteral("Bare Qt Widgets"));
    label.resize(960, 600);
    label.show();
    return application.exec();
}
