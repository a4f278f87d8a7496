#include "ui/frmAnoAnterior.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/AnoAnterior.h"
#include "data/RegrasDeclaracao.h"
#include "data/dmPrincipal.h"
#include "platform/Interacao.h"
#include "ui/AncestralDRU.h"
#include "ui/Ajuda.h"
#include "ui/Formulario.h"

namespace kov::ui {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

TfrmAnoAnterior::TfrmAnoAnterior(Tdm& dm, Interacao& ui, QWidget* pai) : QDialog(pai), dm_(dm), ui_(ui) {
    setObjectName(QStringLiteral("frmAnoAnterior"));
    setWindowTitle(QStringLiteral("Trazer do ano anterior"));
    DefinirContextoAjuda(this, ContextoAjuda::Documentos);
    const int base = AnoComoInteiro(dm_.LerParametro("ANOEXERCICIO"));

    titulo_ = new QLabel(this);
    titulo_->setWordWrap(true);
    paginas_ = new QStackedWidget(this);

    // Página da escolha
    auto* escolha = new QWidget(paginas_);
    auto* le = new QVBoxLayout(escolha);
    le->setContentsMargins(0, 0, 0, 0);
    lista_ = new QListWidget(escolha);
    lista_->setObjectName(QStringLiteral("lstContribuintes"));
    todas_ = new QCheckBox(QStringLiteral("Selecionar &Todas"), escolha);
    todas_->setObjectName(QStringLiteral("chkSelecionarTodas"));
    le->addWidget(lista_, 1);
    le->addWidget(todas_);
    paginas_->addWidget(escolha);

    // Página do resultado
    resultados_ = new QTableWidget(0, 3, paginas_);
    resultados_->setObjectName(QStringLiteral("grdResultados"));
    resultados_->setHorizontalHeaderLabels(
        {QStringLiteral("Inscrição Estadual"), QStringLiteral("Razão Social"), QStringLiteral("Resultado")});
    resultados_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    resultados_->setSelectionBehavior(QAbstractItemView::SelectRows);
    resultados_->verticalHeader()->hide();
    resultados_->horizontalHeader()->setStretchLastSection(true);
    resultados_->setColumnWidth(0, 130);
    resultados_->setColumnWidth(1, 260);
    paginas_->addWidget(resultados_);
    resumo_ = new QLabel(this);
    resumo_->setObjectName(QStringLiteral("lblResumo"));

    auto* botoes = new QDialogButtonBox(this);
    trazer_ = botoes->addButton(QStringLiteral("T&razer"), QDialogButtonBox::AcceptRole);
    trazer_->setObjectName(QStringLiteral("btnTrazer"));
    auto* fechar = botoes->addButton(QStringLiteral("&Fechar"), QDialogButtonBox::RejectRole);
    fechar->setObjectName(QStringLiteral("btnFechar"));
    connect(trazer_, &QPushButton::clicked, this, &TfrmAnoAnterior::trazerMarcados);
    connect(fechar, &QPushButton::clicked, this, &QDialog::reject);

    auto* lay = new QVBoxLayout(this);
    lay->addWidget(titulo_);
    lay->addWidget(paginas_, 1);
    lay->addWidget(resumo_);
    lay->addWidget(botoes);

    std::vector<CandidatoAnoAnterior> candidatos;
    try {
        candidatos = CandidatosDoAnoAnterior(dm_);
    } catch (const std::exception& e) {
        ui_.erro(e.what());
    }
    for (const auto& c : candidatos) {
        auto* item = new QListWidgetItem(q(c.INSCESTADUAL + " - " + c.RAZAOSOCIAL), lista_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(Qt::UserRole, c.CONTRIBUINTE_ID);
    }
    titulo_->setText(candidatos.empty()
                         ? QStringLiteral("Nenhum contribuinte tem declaração em %1 sem ter declaração no ano base %2.")
                               .arg(base - 1)
                               .arg(base)
                         : QStringLiteral("Contribuintes com declaração em %1 e sem declaração no ano base %2. "
                                          "Marque os que devem começar %2 com o cabeçalho e o estoque final de %1.")
                               .arg(base - 1)
                               .arg(base));
    todas_->setEnabled(!candidatos.empty());
    connect(todas_, &QCheckBox::toggled, this, &TfrmAnoAnterior::marcarTodas);
    connect(lista_, &QListWidget::itemChanged, this, &TfrmAnoAnterior::atualizarBotao);
    atualizarBotao();
    resize(640, 460);
}

void TfrmAnoAnterior::marcarTodas(bool marcar) {
    for (int i = 0; i < lista_->count(); ++i) lista_->item(i)->setCheckState(marcar ? Qt::Checked : Qt::Unchecked);
}

void TfrmAnoAnterior::atualizarBotao() {
    bool algum = false;
    for (int i = 0; i < lista_->count() && !algum; ++i) algum = lista_->item(i)->checkState() == Qt::Checked;
    trazer_->setEnabled(algum && paginas_->currentIndex() == 0);
}

void TfrmAnoAnterior::trazerMarcados() {
    std::vector<int> ids;
    for (int i = 0; i < lista_->count(); ++i)
        if (lista_->item(i)->checkState() == Qt::Checked) ids.push_back(lista_->item(i)->data(Qt::UserRole).toInt());
    if (ids.empty()) return;
    QProgressDialog progresso(QStringLiteral("Criando as declarações..."), QString(), 0, static_cast<int>(ids.size()), this);
    progresso.setWindowTitle(windowTitle());
    progresso.setWindowModality(Qt::WindowModal);
    progresso.setMinimumDuration(300);
    std::vector<ResultadoAnoAnterior> r;
    try {
        CursorEspera espera;
        r = TrazerDoAnoAnterior(dm_, ids, [&](size_t feitos, size_t) { progresso.setValue(static_cast<int>(feitos)); });
    } catch (const std::exception& e) {
        ui_.erro(e.what());
        return;
    }
    progresso.setValue(static_cast<int>(ids.size()));
    criadas_ = 0;
    int puladas = 0;
    resultados_->setRowCount(static_cast<int>(r.size()));
    for (int i = 0; i < static_cast<int>(r.size()); ++i) {
        const auto& x = r[static_cast<size_t>(i)];
        QString texto;
        if (x.chave) {
            ++criadas_;
            texto = QStringLiteral("Criada (%1)").arg(x.consistente ? QStringLiteral("consistente")
                                                                    : QStringLiteral("inconsistente"));
        } else {
            ++puladas;
            texto = QStringLiteral("Pulada: ") + q(x.motivo);
        }
        resultados_->setItem(i, 0, new QTableWidgetItem(q(x.INSCESTADUAL)));
        resultados_->setItem(i, 1, new QTableWidgetItem(q(x.RAZAOSOCIAL)));
        auto* item = new QTableWidgetItem(texto);
        if (!x.chave) item->setForeground(QColor(200, 0, 0));
        resultados_->setItem(i, 2, item);
    }
    resumo_->setText(QStringLiteral("%1 %2, %3 %4.")
                         .arg(criadas_)
                         .arg(criadas_ == 1 ? QStringLiteral("declaração criada") : QStringLiteral("declarações criadas"))
                         .arg(puladas)
                         .arg(puladas == 1 ? QStringLiteral("pulada") : QStringLiteral("puladas")));
    titulo_->setText(QStringLiteral("Resultado:"));
    paginas_->setCurrentIndex(1);
    todas_->hide();
    atualizarBotao();
    resultados_->setFocus();
}

}  // namespace kov::ui
