#include "ui/frmAncestralDetalhamentoES.h"

#include <QGridLayout>
#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>
#include <array>

#include "data/EdicaoDeclaracao.h"
#include "data/Figuras.h"
#include "data/RegrasFiguras.h"
#include "ui/Ajuda.h"
#include "ui/Controles.h"
#include "ui/QuadrosFiguras.h"

namespace kov::ui {

namespace {

// Caixas de aviso sem título próprio levam o nome do programa
const char* const TITULO_AVISO = "KOV";

// Contexto de ajuda de cada tipo de operação (1 a 6).
constexpr std::array<int, 6> AJUDAS = {ContextoAjuda::EntradasEstado, ContextoAjuda::EntradasOutrosEstados,
                                       ContextoAjuda::EntradasExterior, ContextoAjuda::SaidasEstado,
                                       ContextoAjuda::SaidasOutrosEstados, ContextoAjuda::SaidasExterior};

// Rótulos das linhas, na ordem das espécies; a primeira depende do tipo.
constexpr std::array<const char*, 7> ROTULOS = {"", " Transferências", " Devoluções", " Energia Elétrica",
                                                " Comunicações", " Transportes", " Outras"};
constexpr int LINHA_TRANSFERENCIA = 1;
// Espécies que o transportador não informa nas saídas: vendas a comunicações
constexpr int ESPECIES_DO_TRANSPORTADOR = 5;

QLabel* titulo(const QString& texto, QWidget* pai) {
    auto* l = new QLabel(texto, pai);
    l->setAlignment(Qt::AlignCenter);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

CampoValor* campoDaGrade(QWidget* pai, const std::string& nome) {
    auto* e = new CampoValor(pai);
    e->setObjectName(QString::fromStdString(nome));
    e->setMinimumWidth(130);
    const bool calculado = nome.rfind("calc", 0) == 0;
    LigarCampo(e, nome.c_str(), calculado);
    if (calculado) TravarFigura(e, true);
    return e;
}

}  // namespace

TfrmAncestralDetalhamentoES::TfrmAncestralDetalhamentoES(Tdm& dm, ConjuntoDeclaracoes& declaracoes, int tipoOperacao,
                                                         QWidget* pai)
    : TfrmAncestralKOV(dm, &declaracoes.detalhamentoES(), pai), declaracoes_(declaracoes), tipo_(tipoOperacao) {
    setObjectName(QStringLiteral("frmDetalhamentoES%1").arg(tipo_));
    setWindowTitle(QString::fromUtf8(TituloDetalhamento(tipo_)));
    DefinirContextoAjuda(this, AJUDAS.at(static_cast<size_t>(std::clamp(tipo_, 1, 6) - 1)));
    // Uma linha só, sempre em edição: incluir, navegar e exportar não têm vez
    barraComandos()->hide();
    definirFonte(NomeSecao(SecaoFigura::Entrada), &declaracoes.secao(SecaoFigura::Entrada));
    definirFonte(NomeSecao(SecaoFigura::Saida), &declaracoes.secao(SecaoFigura::Saida));

    const bool saida = TipoDeSaida(tipo_);
    QWidget* p = corpo();
    grade_ = new QGridLayout;
    grade_->setHorizontalSpacing(8);
    grade_->setVerticalSpacing(5);
    grade_->addWidget(titulo(QStringLiteral("Valor Contábil"), p), 0, 1, 2, 1, Qt::AlignCenter | Qt::AlignBottom);
    grade_->addWidget(titulo(saida ? QStringLiteral("Oper/Prest. com Débito de ICMS")
                                   : QStringLiteral("Oper/Prest. com Crédito de ICMS"),
                             p),
                      0, 2, 1, 2);
    grade_->addWidget(titulo(QStringLiteral("Base de Cálculo"), p), 1, 2);
    grade_->addWidget(titulo(QStringLiteral("ICMS"), p), 1, 3);
    grade_->addWidget(titulo(QStringLiteral("Operações e \nPrestações sem\n") +
                                 (saida ? QStringLiteral("Débito ICMS") : QStringLiteral("Crédito ICMS")),
                             p),
                      0, 4, 2, 1, Qt::AlignCenter | Qt::AlignBottom);
    int linha = 2;
    const auto& categorias = CategoriasES();
    for (size_t i = 0; i < categorias.size(); ++i, ++linha) {
        const CategoriaES& c = categorias[i];
        const QString rotulo =
            QString::fromUtf8(i == 0 ? RotuloCompraVenda(tipo_).c_str() : ROTULOS[i]);
        auto* l = new QLabel(rotulo, p);
        rotulos_.push_back(l);
        grade_->addWidget(l, linha, 0);
        const std::string nomes[] = {std::string("VC") + c.nome, std::string("BC") + c.nome,
                                     std::string("ICMS") + c.nome, c.campoOPSICMS};
        for (int col = 0; col < 4; ++col) {
            CampoValor* e = campoDaGrade(p, nomes[col]);
            if (col == 0) l->setBuddy(e);
            grade_->addWidget(e, linha, 1 + col);
        }
    }
    auto* sub = new QLabel(QStringLiteral(" Subtotal"), p);
    QFont negrito = sub->font();
    negrito.setBold(true);
    sub->setFont(negrito);
    rotulos_.push_back(sub);
    grade_->addWidget(sub, linha, 0);
    int col = 1;
    for (const char* nome : {"calcVCSubTotal", "calcBCSubTotal", "calcICMSSubTotal", "calcOPSICMSSubTotal"}) {
        CampoValor* e = campoDaGrade(p, nome);
        e->setFont(negrito);
        grade_->addWidget(e, linha, col++);
    }
    proximaLinha_ = linha + 1;
    // Sem transferências com o exterior
    if (tipo_ == 3 || tipo_ == 6) {
        rotulos_[LINHA_TRANSFERENCIA]->hide();
        for (int c = 1; c <= 4; ++c)
            if (auto* item = grade_->itemAtPosition(2 + LINHA_TRANSFERENCIA, c)) item->widget()->hide();
    }

    auto* lay = new QVBoxLayout(p);
    lay->setContentsMargins(4, 8, 4, 4);
    lay->addLayout(grade_);
    lay->addStretch(1);
}

CampoValor* TfrmAncestralDetalhamentoES::campo(const char* nome) const {
    return findChild<CampoValor*>(QString::fromLatin1(nome));
}

CampoValor* TfrmAncestralDetalhamentoES::adicionarCampo(const char* fonte, const char* nomeCampo,
                                                        const QString& rotulo) {
    QWidget* p = corpo();
    auto* l = new QLabel(rotulo, p);
    auto* e = new CampoValor(p);
    e->setObjectName(QString::fromLatin1(nomeCampo));
    LigarCampoDe(e, fonte, nomeCampo);
    l->setBuddy(e);
    grade_->addWidget(l, proximaLinha_, 0, 1, 3, Qt::AlignRight | Qt::AlignVCenter);
    grade_->addWidget(e, proximaLinha_, 3);
    ++proximaLinha_;
    return e;
}

bool TfrmAncestralDetalhamentoES::transportador() const {
    const Declaracao* d = declaracoes_.agregado();
    return d && d->doc.TIPOCONTRIBUINTE_ID.value_or(-1) == 0;
}

void TfrmAncestralDetalhamentoES::travarParaTransportador(CampoValor* c, const char* fonte, const char* nomeCampo) {
    const bool travar = transportador();
    if (travar) {
        ConjuntoDados* secao = fonte == std::string(NomeSecao(SecaoFigura::Entrada))
                                   ? &declaracoes_.secao(SecaoFigura::Entrada)
                                   : &declaracoes_.secao(SecaoFigura::Saida);
        if (secao->editando()) secao->definir(nomeCampo, fb::Valor(Dinheiro{}));
    }
    TravarFigura(c, travar);
    c->setEnabled(!travar);
}

void TfrmAncestralDetalhamentoES::concluir() {
    iniciarTela();
    abrirTipo();
}

void TfrmAncestralDetalhamentoES::abrirTipo() {
    auto& det = declaracoes_.detalhamentoES();
    const int t = tipo_;
    if (det.editando()) det.cancelar();
    det.definirFiltro([t](const DetalhamentoES& l) { return l.TIPOOPERACAO_ID == t; });
    try {
        if (!det.vazio()) {
            det.irPara(0);
            det.editar();
        } else {
            det.inserir();
            det.definir("TIPOOPERACAO_ID", t);
        }
    } catch (const std::exception& e) {
        ui().erro(e.what());
    }
    mostrarRegistro();
}

void TfrmAncestralDetalhamentoES::showEvent(QShowEvent* e) {
    TfrmAncestralKOV::showEvent(e);
    if (mostrada_) return;
    mostrada_ = true;
    // Transportador: nas saídas, só transportes e outras
    if (TipoDeSaida(tipo_) && transportador()) {
        const auto& categorias = CategoriasES();
        for (int i = 0; i < ESPECIES_DO_TRANSPORTADOR; ++i)
            for (const char* prefixo : {"VC", "BC", "ICMS"})
                if (CampoValor* c = campo((std::string(prefixo) + categorias[static_cast<size_t>(i)].nome).c_str()))
                    c->setEnabled(false);
        focarPrimeiroCampo();
    }
}

void TfrmAncestralDetalhamentoES::gravarRegistro() {
    if (!conferirAntesDeGravar()) throw Abortar();
    auto& det = declaracoes_.detalhamentoES();
    if (const DetalhamentoES* l = det.registro())
        if (const auto recusa = ConferirDetalhamentoES(*l)) {
            ui().mensagem(TipoMensagem::Informacao, TITULO_AVISO, recusa->mensagem);
            throw Abortar(recusa->campo);
        }
    // Gravada na declaração em edição, que refaz os totais de entradas e saídas
    det.gravar();
    // Da lista de consistências nenhuma gravação do editor vem depois: a declaração vai à base
    if (daLista_ && declaracoes_.editando()) {
        declaracoes_.postar();
        declaracoes_.aplicar();
        declaracoes_.editar();
    }
}

// --- As seis telas -----------------------------------------------------------------------------

TfrmEEntradaEstado::TfrmEEntradaEstado(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai)
    : TfrmAncestralDetalhamentoES(dm, declaracoes, 1, pai) {
    const char* entrada = NomeSecao(SecaoFigura::Entrada);
    adicionarCampo(entrada, "PRODUTOSAGROP", QStringLiteral("Produtos Agropecuários/Hortifrutigranjeiros"));
    CampoValor* energia = adicionarCampo(entrada, "ENERGIAELETRICA", QStringLiteral("Geração de Energia Elétrica"));
    concluir();
    travarParaTransportador(energia, entrada, "ENERGIAELETRICA");
}

bool TfrmEEntradaEstado::conferirAntesDeGravar() {
    const Declaracao* d = declaracoes().agregado();
    const DetalhamentoES* l = declaracoes().detalhamentoES().registro();
    if (d && d->entrada && l && ProdutosAgropAcimaDoSubtotal(*d->entrada, *l)) {
        ui().mensagem(TipoMensagem::Informacao, TITULO_AVISO, MSG_PRODUTOS_AGROP);
        return false;
    }
    return true;
}

TfrmEEntradasOutrosEstados::TfrmEEntradasOutrosEstados(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai)
    : TfrmAncestralDetalhamentoES(dm, declaracoes, 2, pai) { concluir(); }

TfrmEEntradaExterior::TfrmEEntradaExterior(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai)
    : TfrmAncestralDetalhamentoES(dm, declaracoes, 3, pai) { concluir(); }

TfrmESaidaEstado::TfrmESaidaEstado(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai)
    : TfrmAncestralDetalhamentoES(dm, declaracoes, 4, pai) {
    const char* saida = NomeSecao(SecaoFigura::Saida);
    CampoValor* transporte = adicionarCampo(saida, "TRANSPORTETOMADO", QStringLiteral("Transporte Tomado "));
    concluir();
    travarParaTransportador(transporte, saida, "TRANSPORTETOMADO");
}

TfrmESaidaOutrosEstados::TfrmESaidaOutrosEstados(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai)
    : TfrmAncestralDetalhamentoES(dm, declaracoes, 5, pai) { concluir(); }

TfrmESaidaExterior::TfrmESaidaExterior(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai)
    : TfrmAncestralDetalhamentoES(dm, declaracoes, 6, pai) { concluir(); }

std::unique_ptr<TfrmAncestralDetalhamentoES> CriarTelaDetalhamento(int tipoOperacao, Tdm& dm,
                                                                   ConjuntoDeclaracoes& declaracoes, QWidget* pai) {
    switch (tipoOperacao) {
        case 1: return std::make_unique<TfrmEEntradaEstado>(dm, declaracoes, pai);
        case 2: return std::make_unique<TfrmEEntradasOutrosEstados>(dm, declaracoes, pai);
        case 3: return std::make_unique<TfrmEEntradaExterior>(dm, declaracoes, pai);
        case 4: return std::make_unique<TfrmESaidaEstado>(dm, declaracoes, pai);
        case 5: return std::make_unique<TfrmESaidaOutrosEstados>(dm, declaracoes, pai);
        case 6: return std::make_unique<TfrmESaidaExterior>(dm, declaracoes, pai);
        default: return nullptr;
    }
}

}  // namespace kov::ui
