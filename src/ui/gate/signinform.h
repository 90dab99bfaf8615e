#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace Tolvan {

class AuthStore;

// The two steps of the sign-in card: the address, then the code sent to it.
// The fields live as long as the card; the store trims and checks them.
class SignInForm : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString email READ email WRITE setEmail NOTIFY emailChanged)
    Q_PROPERTY(QString code READ code WRITE setCode NOTIFY codeChanged)
    Q_PROPERTY(bool canSubmit READ canSubmit NOTIFY canSubmitChanged)
    Q_PROPERTY(Field focusField READ focusField NOTIFY focusRequested)
    Q_PROPERTY(QString subtitle READ subtitle NOTIFY stepChanged)

public:
    enum class Field { Email, Code };
    Q_ENUM(Field)

    explicit SignInForm(QObject *parent = nullptr);

    QString email() const { return m_email; }
    void setEmail(const QString &email);
    QString code() const { return m_code; }
    void setCode(const QString &code);
    bool canSubmit() const;
    // The field of the current step, which takes the focus at each step.
    Field focusField() const;
    QString subtitle() const;

    // Sends the field of the current step as typed.
    Q_INVOKABLE void submit();
    // Sends a new code to the address of the first one, whatever the field holds.
    Q_INVOKABLE void resendCode();
    // Back to the address step, with the address used last ready to edit.
    Q_INVOKABLE void changeEmail();

Q_SIGNALS:
    void emailChanged();
    void codeChanged();
    void canSubmitChanged();
    void focusRequested();
    void stepChanged();

private:
    QPointer<AuthStore> m_auth;
    QString m_email;
    QString m_code;
};

} // namespace Tolvan
