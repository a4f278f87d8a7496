#include "ui/frmVDocumentos.h"

#include <QAction>
#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableView>

#include "data/Consistencia.h"
#include "data/EdicaoDeclaracao.h"
#include "data/dmPrincipal.h"
#include "platform/Interacao.h"
#include "ui/Ajuda.h"
#include "ui/Desenhos.h"
#include "ui/Formulario.h"
#include "ui/ModeloLinhas.h"
#include "ui/frmAnoAnterior.h"
#include "ui/frmEDocumentos.h"
#include "ui/frmVConsistencias.h"

namespace kov::ui {

namespace {

// Um desenho da legenda com o seu nome.
QWidget* itemLegenda(QWidget* pai, const QIcon& desenho, const QString& nome) {
    auto* w = new QWidget(pai);
    auto* lay = new QHBoxLayout(w);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(4);
    auto* figura = new QLabel(w);
    figura->setPixmap(desenho.pixmap(16, 16));
    auto* texto = new QLabel(nome, w);
    texto->setObjectName(QStringLiteral("lblLegenda"));
    lay->addWidget(figura);
    lay->addWidget(texto);
    return w;
}

}  // namespace

TFormVisaoDocumentos::TFormVisaoDocumentos(Tdm& dm, QWidget* pai) : TfrmVisaoAncestral(dm, pai) {
    setObjectName(QStringLiteral("FormVisaoDocumentos"));
    setWindowTitle(QStringLiteral("Cadastro de Documentos"));
    DefinirContextoAjuda(this, ContextoAjuda::Documentos);

    definirConjunto(std::make_unique<ConjuntoDeclaracoes>(dm),
                    {"SITUACAO", "DESCRICAO_STATUS", "IE_CONTRIBUINTE", "NOME_CONTRIBUINTE", "PERIODO",
                     "calcMesInicial", "calcMesFinal", "DESCRICAO_MUNICIPIO", "TITULO_TIPOCONTRIBUINTE",
                     "DESCRICAO_TIPOREGIME"});
    definirEdicao([this](QWidget* p) { return new TFormEdicaoDocumentos(this->dm(), declaracoes(), p); });

    ConjuntoDados* cds = conjunto();
    modelo()->definirFigura("SITUACAO", [cds](int linha) {
        return DesenhoEntrega(QString::fromStdString(cds->texto(linha, "SITUACAO")));
    });
    modelo()->definirFigura("DESCRICAO_STATUS", [cds](int linha) {
        return DesenhoConsistencia(static_cast<int>(cds->valor(linha, "STATUS_ID").inteiro()));
    });
    modelo()->definirCorTexto([cds](int linha) -> QColor {
        switch (cds->valor(linha, "STATUS_ID").inteiro()) {
            case 0: return QColor(0, 0, 255);
            case 1: return QColor(255, 0, 0);
            default: return QColor(0, 0, 0);
        }
    });

    // A linha escolhida tem o texto branco, qualquer que seja a cor dela
    QPalette pal = grade()->palette();
    pal.setColor(QPalette::HighlightedText, Qt::white);
    grade()->setPalette(pal);
    grade()->setAlternatingRowColors(false);
    grade()->setIconSize(QSize(12, 12));  // dentro das colunas de 16 pixels, com a margem da célula
    QHeaderView* h = grade()->horizontalHeader();
    h->setMinimumSectionSize(16);
    for (int c : {0, 1}) {
        h->setSectionResizeMode(c, QHeaderView::Fixed);
        grade()->setColumnWidth(c, 16);
    }
    const int larguras[] = {16, 16, 120, 250, 70, 90, 90, 170, 150, 160};
    for (int c = 2; c < 10; ++c) grade()->setColumnWidth(c, larguras[c]);

    actConsistir = NovaAcao(this, "actConsistir", QStringLiteral("C&onsistir"), QStringLiteral("Consistir o registro atual"));
    connect(actConsistir, &QAction::triggered, this, &TFormVisaoDocumentos::consistir);
    btnConsistir_ = BotaoDaAcao(this, actConsistir, "btnConsistir", QStyle::SP_DialogApplyButton);
    // Consistir vale quando há uma declaração escolhida, como editar
    connect(actdbAncestralVisaoEditar, &QAction::enabledChanged, actConsistir, &QAction::setEnabled);
    actConsistir->setEnabled(actdbAncestralVisaoEditar->isEnabled());

    actTrazerAnoAnterior = NovaAcao(this, "actTrazerAnoAnterior", QStringLiteral("&Trazer do ano anterior"),
                                    QStringLiteral("Criar as declarações do ano base a partir das do ano anterior"));
    connect(actTrazerAnoAnterior, &QAction::triggered, this, &TFormVisaoDocumentos::trazerDoAnoAnterior);
    btnTrazer_ = BotaoDaAcao(this, actTrazerAnoAnterior, "btnTrazerAnoAnterior", QStyle::SP_ArrowForward);

    // Os botões ficam junto de Inserir, Editar e Excluir; a legenda, sob a grade
    auto* lay = static_cast<QVBoxLayout*>(layout());
    auto* botoes = static_cast<QHBoxLayout*>(lay->itemAt(lay->count() - 1)->layout());
    botoes->insertWidget(3, btnConsistir_);
    botoes->insertWidget(4, btnTrazer_);
    auto* legenda = new QWidget(this);
    legenda->setObjectName(QStringLiteral("pnlLegenda"));
    auto* leg = new QHBoxLayout(legenda);
    leg->setContentsMargins(2, 0, 2, 0);
    leg->setSpacing(18);
    leg->addWidget(itemLegenda(legenda, DesenhoEntrega(QStringLiteral("T")), QStringLiteral("Transmitida")));
    leg->addWidget(itemLegenda(legenda, DesenhoEntrega(QStringLiteral("D")), QStringLiteral("Gravada em Disquete")));
    leg->addWidget(itemLegenda(legenda, DesenhoConsistencia(0), QStringLiteral("Não consistida")));
    leg->addWidget(itemLegenda(legenda, DesenhoConsistencia(1), QStringLiteral("Inconsistente")));
    leg->addWidget(itemLegenda(legenda, DesenhoConsistencia(2), QStringLiteral("Consistente")));
    leg->addStretch(1);
    lay->insertWidget(lay->count() - 1, legenda);
    resize(1180, 560);
}

ConjuntoDeclaracoes* TFormVisaoDocumentos::declaracoes() const { return static_cast<ConjuntoDeclaracoes*>(conjunto()); }

void TFormVisaoDocumentos::depoisDaEdicao() {
    if (!conjunto()->vazio()) consistir();
}

void TFormVisaoDocumentos::trazerDoAnoAnterior() {
    ConjuntoDados* cds = conjunto();
    if (!cds || !cds->navegando()) return;
    TfrmAnoAnterior tela(dm(), ui(), this);
    tela.exec();
    if (tela.criadas() == 0) return;
    try {
        cds->atualizar();  // as novas aparecem na lista
    } catch (const std::exception& e) {
        ui().erro(e.what());
    }
}

void TFormVisaoDocumentos::consistir() {
    ConjuntoDados* cds = conjunto();
    if (!cds || !cds->navegando() || cds->vazio()) return;
    const int id = static_cast<int>(cds->valor("DOCUMENTO_ID").inteiro());
    dm().Consistencias.esvaziar();
    try {
        CursorEspera espera;
        ConsistirDocumento(dm(), id, dm().Consistencias);
        // A cor e o desenho da consistência mudam na lista
        cds->atualizar();
    } catch (const Abortar&) {
        return;  // a mensagem já foi mostrada
    } catch (const std::exception& e) {
        ui().erro(e.what());
        return;
    }
    TFormVisaoConsistencias erros(dm(), *declaracoes(), this);
    erros.exec();
    // As correções feitas a partir da lista mudam a situação das declarações
    try {
        if (cds->navegando()) cds->atualizar();
    } catch (const std::exception& e) {
        ui().erro(e.what());
    }
}

}  // namespace kov::ui
