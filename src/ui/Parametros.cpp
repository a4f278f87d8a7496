#include "ui/Parametros.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/dmPrincipal.h"
#include "platform/Interacao.h"
#include "ui/Ajuda.h"
#include "ui/Eventos.h"

namespace kov::ui {

TfrmParametros::TfrmParametros(Tdm& dm, QWidget* janelaPrincipal, QDate hoje)
    : QDialog(janelaPrincipal), dm_(dm), principal_(janelaPrincipal) {
    setObjectName(QStringLiteral("frmParametros"));
    setWindowTitle(QStringLiteral("Parâmetros"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    DefinirContextoAjuda(this, ContextoAjuda::Parametros);

    auto* rotulo = new QLabel(QStringLiteral("Ano base :"), this);
    rotulo->setObjectName(QStringLiteral("lblAnoBase"));
    cbAno_ = new QComboBox(this);
    cbAno_->setObjectName(QStringLiteral("cbAno"));
    cbAno_->setEditable(false);  // só os anos da lista
    cbAno_->setMinimumWidth(110);
    rotulo->setBuddy(cbAno_);
    // Do ano atual do computador até 2005, o mais novo no alto.
    for (int ano = PrimeiroAno; ano <= hoje.year(); ++ano) cbAno_->insertItem(0, QString::number(ano));
    cbAno_->setCurrentIndex(cbAno_->findText(QString::fromStdString(dm_.LerParametro("ANOEXERCICIO"))));

    btnOk_ = new QPushButton(QStringLiteral("&OK"), this);
    btnOk_->setObjectName(QStringLiteral("btnOk"));
    btnOk_->setDefault(true);
    btnFechar_ = new QPushButton(QStringLiteral("&Fechar"), this);
    btnFechar_->setObjectName(QStringLiteral("btnFechar"));
    connect(btnOk_, &QPushButton::clicked, this, &TfrmParametros::confirmar);
    connect(btnFechar_, &QPushButton::clicked, this, &QDialog::reject);

    auto* dica = new QLabel(QStringLiteral("Só as declarações do ano base escolhido são apresentadas."), this);
    dica->setObjectName(QStringLiteral("lblDica"));
    QPalette pd = dica->palette();
    pd.setColor(QPalette::WindowText, QColor(0x5a, 0x66, 0x73));
    dica->setPalette(pd);

    auto* linhaAno = new QHBoxLayout;
    linhaAno->addWidget(rotulo);
    linhaAno->addWidget(cbAno_);
    linhaAno->addStretch(1);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch(1);
    botoes->addWidget(btnOk_);
    botoes->addWidget(btnFechar_);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(20, 20, 20, 14);
    lay->setSpacing(10);
    lay->addLayout(linhaAno);
    lay->addWidget(dica);
    lay->addStretch(1);
    lay->addLayout(botoes);
    setMinimumWidth(340);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmParametros::confirmar() {
    // Sem ano escolhido o OK não faz nada.
    if (cbAno_->currentIndex() < 0) return;
    const std::string escolhido = cbAno_->currentText().toStdString();
    try {
        if (escolhido == dm_.LerParametro("ANOEXERCICIO")) {
            accept();
            return;
        }
        if (dm_.ui().pergunta("Alteração de parâmetro",
                              "O ano de exercício foi alterado. Serão apresentadas apenas\r\n"
                              "declarações do ano selecionado.\r\nConfirma alteração?"))
            dm_.GravarParametro("ANOEXERCICIO", escolhido);
    } catch (const std::exception& e) {
        dm_.ui().erro(e.what());
        return;
    }
    if (principal_) QCoreApplication::postEvent(principal_, new QEvent(EventoAtualizarAnoBase));
    QCoreApplication::processEvents();
    accept();
}

bool TfrmParametros::podeFechar() {
    std::string gravado;
    try {
        gravado = dm_.LerParametro("ANOEXERCICIO");
    } catch (const std::exception& e) {
        // Sem como ler a base não há o que conferir: a tela não pode prender o usuário.
        dm_.ui().erro(e.what());
        return true;
    }
    if (!gravado.empty()) return true;
    dm_.ui().mensagem(TipoMensagem::Informacao, "Parâmetros", "O ano de exercício deve ser informado");
    return false;
}

void TfrmParametros::done(int r) {
    // Vale para OK, Fechar, Esc e o fechamento pela moldura da janela.
    if (!podeFechar()) return;
    QDialog::done(r);
}

}  // namespace kov::ui
