#include "signinform.h"

#include "tolvanapp.h"

namespace Tolvan {

SignInForm::SignInForm(QObject *parent)
    : QObject(parent)
    , m_auth(&TolvanApp::instance()->auth())
{
    connect(m_auth, &AuthStore::isBusyChanged, this, &SignInForm::canSubmitChanged);
    connect(m_auth, &AuthStore::codeEmailChanged, this, &SignInForm::stepChanged);
    connect(m_auth, &AuthStore::codeSentChanged, this, [this] {
        setCode(QString());
        Q_EMIT stepChanged();
        Q_EMIT canSubmitChanged();
        Q_EMIT focusRequested();
    });
}

void SignInForm::setEmail(const QString &email)
{
    if (email != m_email) {
        m_email = email;
        Q_EMIT emailChanged();
        Q_EMIT canSubmitChanged();
    }
}

void SignInForm::setCode(const QString &code)
{
    if (code != m_code) {
        m_code = code;
        Q_EMIT codeChanged();
        Q_EMIT canSubmitChanged();
    }
}

bool SignInForm::canSubmit() const
{
    const QString &field = m_auth->codeSent() ? m_code : m_email;
    return !m_auth->isBusy() && !field.trimmed().isEmpty();
}

SignInForm::Field SignInForm::focusField() const
{
    return m_auth->codeSent() ? Field::Code : Field::Email;
}

QString SignInForm::subtitle() const
{
    if (m_auth->codeSent()) {
        return tr("Enter the sign-in code sent to %1.").arg(m_auth->codeEmail());
    }
    return tr("Sign in or create an account with your email. No password needed.");
}

void SignInForm::submit()
{
    // The card is disabled while busy; an empty field still reaches the
    // store, which answers with its own message.
    if (m_auth->isBusy()) {
        return;
    }
    if (m_auth->codeSent()) {
        m_auth->startVerifyCode(m_code);
    } else {
        m_auth->startRequestCode(m_email);
    }
}

void SignInForm::resendCode()
{
    setCode(QString());
    m_auth->startRequestCode(m_auth->codeEmail());
}

void SignInForm::changeEmail()
{
    setEmail(m_auth->codeEmail());
    setCode(QString());
    m_auth->changeEmail();
}

} // namespace Tolvan
