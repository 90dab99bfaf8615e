#include "dialogconfirmationprompt.h"

#include <QCoroSignal>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace Tolvan {

QCoro::Task<bool> DialogConfirmationPrompt::confirm(Request request)
{
    QPointer box = new QMessageBox(QMessageBox::NoIcon, request.message, request.message);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(request.informativeText);
    QPushButton *confirmButton = box->addButton(request.confirmButton, QMessageBox::AcceptRole);
    QPushButton *cancelButton = box->addButton(request.cancelButton, QMessageBox::RejectRole);
    box->setDefaultButton(confirmButton);
    box->setEscapeButton(cancelButton);
    box->setWindowModality(Qt::ApplicationModal);
    box->open();
    box->raise();
    box->activateWindow();
    co_await qCoro(box.data(), &QMessageBox::finished);
    co_return box && box->clickedButton() == confirmButton;
}

} // namespace Tolvan
