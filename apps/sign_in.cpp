#include "apps/sign_in.h"

#include "framework/host/host_context.h"
#include "framework/net/net_connection.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

#include <iostream>

namespace oca::desktop {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Asks for operator and password until the server accepts them; "" when the person gave
// up. After a session ended, the operator stays the one whose work is on the screen.
std::string AskAndSignIn(const std::string& reason, bool sameOperator) {
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Atendimento - Entrar"));
    dialog.setMinimumWidth(380);
    auto* layout = new QVBoxLayout(&dialog);
    auto* why = new QLabel(Q(reason));
    why->setWordWrap(true);
    layout->addWidget(why);
    auto* form = new QFormLayout;
    auto* op = new QLineEdit(Q(Host().operatorCode));
    op->setMaxLength(12);
    op->setReadOnly(sameOperator);
    auto* password = new QLineEdit;
    password->setEchoMode(QLineEdit::Password);
    password->setMaxLength(256);
    form->addRow(QStringLiteral("&Operador:"), op);
    form->addRow(QStringLiteral("&Senha:"), password);
    layout->addLayout(form);
    auto* refusal = new QLabel;
    refusal->setStyleSheet(QStringLiteral("color: #b00020"));
    refusal->setWordWrap(true);
    refusal->hide();
    layout->addWidget(refusal);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Entrar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    std::string session;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        TNetConnection signer;
        signer.SetServerName("OCA0080A.rdmOcorAtendimento");
        UseHostServerAddress(signer);
        // A wrong password is answered a moment later, on purpose: the person sees why
        // the window does not answer meanwhile.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        const auto refuse = [&](const std::string& text) {
            refusal->setText(Q(text));
            refusal->show();
            dialog.adjustSize();
            password->setFocus();
        };
        try {
            signer.SetConnected(true);
        } catch (const Exception& e) {
            // No server: what was typed stays, to be sent once it answers.
            refuse(e.Message());
            return;
        }
        try {
            const SignInAnswer a =
                signer.SignIn(op->text().trimmed().toStdString(), password->text().toStdString(),
                              Host().branch, Host().activeModule);
            AdoptSession(a);
            session = a.session;
            dialog.accept();
        } catch (const Exception& e) {
            // A refused password goes; the operator stays, to be tried again.
            password->clear();
            refuse(e.Message());
        }
    });
    (sameOperator || !op->text().isEmpty() ? password : op)->setFocus();
    dialog.exec();
    return session;
}

} // namespace

bool SignInAtStart(const HostOptions& options) {
    if (!options.password.empty()) {
        Host().unattendedPassword = [password = options.password](const std::string&) {
            return password;
        };
        Host().operatorName.clear(); // the server's name for the operator
        try {
            return !HostSession().empty();
        } catch (const Exception& e) {
            std::cerr << e.Message() << "\n";
            QMessageBox::critical(nullptr, QStringLiteral("Atendimento"), Q(e.Message()));
            return false;
        }
    }
    Host().signInAgain = [] {
        return AskAndSignIn("A sessão terminou (ficou sem uso por muito tempo ou foi encerrada "
                            "pelo administrador). Entre novamente para continuar.",
                            true);
    };
    return !AskAndSignIn("Informe o seu operador e a sua senha.", false).empty();
}

void SignOut() {
    if (Host().serverSession.empty()) {
        return;
    }
    TNetConnection net;
    net.SetServerName("OCA0080A.rdmOcorAtendimento");
    UseHostServer(net);
    net.SetThrowException(true);
    try {
        net.Call("Sair");
    } catch (const Exception&) {
    }
    Host().serverSession.clear();
}

} // namespace oca::desktop
