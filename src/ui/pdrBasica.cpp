#include "ui/pdrBasica.h"
#include "ui/Teclado.h"
#include "ui/Formulario.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStatusBar>
#include <QVBoxLayout>

namespace kov::ui {

TscrPdrBasica::TscrPdrBasica(QWidget* pai) : QDialog(pai) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    AcFechar = criarAcao("AcFechar", QStringLiteral("&Fechar"), QStringLiteral("Fechar"));
    AcFechar->setShortcut(QKeySequence(Qt::Key_F4));
    connect(AcFechar, &QAction::triggered, this, &QDialog::close);
    acSelecionar = criarAcao("acSelecionar", QStringLiteral("Selecionar Declarações"),
                             QStringLiteral("Seleciona declarações a serem incluídas na cópia"));
    acBackupFile = criarAcao("acBackupFile", {},
                             QStringLiteral("Informa o arquivo para restauração da cópia de segurança"));
    acRestoreFile = criarAcao("acRestoreFile", {}, QStringLiteral("Informa o arquivo de saída"));
    acFazBackup = criarAcao("acFazBackup", QStringLiteral("&Iniciar"), QStringLiteral("Iniciar cópia"));
    acFazRestore = criarAcao("acFazRestore", QStringLiteral("&Continua"), {});
    acGeraArquivos = criarAcao("acGeraArquivos", QStringLiteral("&Iniciar"), QStringLiteral("Iniciar"));
    acTipoBackup = criarAcao("acTipoBackup", QStringLiteral("&Continuar"), QStringLiteral("Continuar"));
    acVoltar = criarAcao("acVoltar", QStringLiteral("&Voltar"), QStringLiteral("Voltar"));
    acVisualizaRestore = criarAcao("acVisualizaRestore", QStringLiteral("&Iniciar"), QStringLiteral("Iniciar"));
    acTodas = criarAcao("acTodas", QStringLiteral("Selecinar Todas"), {});
    acConfirmaRestore = criarAcao("acConfirmaRestore", QStringLiteral("&Iniciar"), QStringLiteral("Iniciar"));

    corpo_ = new QWidget(this);
    corpo_->setObjectName(QStringLiteral("corpo"));
    barraStatus_ = new QStatusBar(this);
    barraStatus_->setObjectName(QStringLiteral("barraStatus"));
    barraStatus_->setSizeGripEnabled(false);
    painelStatus_ = new QLabel(barraStatus_);
    painelStatus_->setObjectName(QStringLiteral("pnlStatus"));
    barraStatus_->addWidget(painelStatus_, 1);

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    lay->addWidget(corpo_, 1);
    lay->addWidget(barraStatus_);
}

QAction* TscrPdrBasica::criarAcao(const char* nome, const QString& texto, const QString& dica) {
    return NovaAcao(this, nome, texto, dica);
}

void TscrPdrBasica::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (preparada_) return;
    preparada_ = true;
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    // Foco no primeiro controle; numa caixa de texto, com o texto selecionado
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (w->window() != this || !w->isVisibleTo(this) || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        w->setFocus(Qt::TabFocusReason);
        if (auto* edt = qobject_cast<QLineEdit*>(w)) edt->selectAll();
        break;
    }
}

void TscrPdrBasica::mousePressEvent(QMouseEvent* e) {
    // Um clique na superfície da própria janela (ou da área das telas concretas), fora dos
    // controles, fecha a tela
    QWidget* alvo = childAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton && (!alvo || alvo == corpo_)) {
        close();
        return;
    }
    QDialog::mousePressEvent(e);
}

bool TscrPdrBasica::eventFilter(QObject* alvo, QEvent* e) {
    if (TratarTeclaDaTela(
            this, alvo, e, [this] { close(); }, [this](bool proximo) { focusNextPrevChild(proximo); }))
        return true;
    return QDialog::eventFilter(alvo, e);
}

void MostrarStatus(const std::string& texto) {
    if (auto* tela = qobject_cast<TscrPdrBasica*>(QApplication::activeWindow()))
        tela->painelStatus()->setText(QString::fromStdString(texto) + QStringLiteral(". Aguarde..."));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void LimparStatus() {
    if (auto* tela = qobject_cast<TscrPdrBasica*>(QApplication::activeWindow())) tela->painelStatus()->clear();
}

}  // namespace kov::ui
