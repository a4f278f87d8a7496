// Lista das declarações e editor da declaração usados como o usuário usa: criar pela lista
// uma declaração de débito e crédito e uma simplificada, gravar, consistir, reabrir e
// excluir; os regimes de cada ano base, a troca de regime, o ano corrente, o transportador,
// fechar pela moldura sem gravar e a mudança de município com a sua tela.
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QCheckBox>
#include <QListWidget>
#include <QTableWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "ApoioDocumentos.h"
#include "ApoioUi.h"
#include "apoio/Cadastro.h"
#include "apoio/Processo.h"
#include "data/Cadastros.h"
#include "data/EdicaoDeclaracao.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "ui/Controles.h"
#include "ui/GradeEditavel.h"
#include "ui/ModeloLinhas.h"
#include "ui/frmAncestralDetalhamentoES.h"
#include "ui/frmEDocumentos.h"
#include "ui/frmAnoAnterior.h"
#include "ui/frmMudancaMunicipio.h"
#include "ui/frmVConsistencias.h"
#include "ui/frmVDocumentos.h"
#include "ui/untMunicipio.h"

using namespace kov;
using namespace kov::teste;
using ui::TFormEdicaoDocumentos;

namespace {

const char* const TextoCancelamento =
    "Confirma cancelamento de todas as alterações, \r\nque ainda não foram enviadas para a base de dados ?";

QStringList itens(const QComboBox* cb) {
    QStringList l;
    for (int i = 0; i < cb->count(); ++i) l << cb->itemText(i);
    return l;
}

// Fecha a janela de erros da consistência que a lista mostra depois do editor, guardando o
// que ela disse.
// O texto entre aspas depois da marca (", aba \"") em "Onde corrigir"; vazio sem a marca.
std::string entreAspas(const std::string& s, const std::string& marca) {
    const size_t i = s.find(marca);
    if (i == std::string::npos) return {};
    const size_t inicio = i + marca.size();
    return s.substr(inicio, s.find('"', inicio) - inicio);
}

void quandoErrosAparecerem(QString* situacao) {
    quandoAparecer<ui::TFormVisaoConsistencias>([situacao](ui::TFormVisaoConsistencias* e) {
        *situacao = e->rotuloSituacao()->text();
        e->accept();
    });
}

}  // namespace

TEST(Documentos, CriaGravaConsisteReabreEExcluiPelaLista) {
    for (const char* anoBase : {"2016", "2005"}) {
        SCOPED_TRACE(anoBase);
        Documentos d(anoBase);
        // Débito e crédito no ano base 2016; simplificada (Estimativa Fiscal) em 2005
        const QString regime = std::string(anoBase) == "2016" ? Q("Normal") : Q("Estimativa");
        ui::TFormVisaoDocumentos lista(d.dm());
        lista.declaracoes()->anoCorrente = [] { return 2026; };
        mostrarAtiva(lista);
        EXPECT_EQ(lista.windowTitle(), "Cadastro de Documentos");
        EXPECT_EQ(lista.actConsistir->toolTip(), "Consistir o registro atual");
        QStringList legenda;
        for (auto* l : lista.findChildren<QLabel*>("lblLegenda")) legenda << l->text();
        EXPECT_EQ(legenda, QStringList({"Transmitida", "Gravada em Disquete", Q("Não consistida"), "Inconsistente",
                                        "Consistente"}));
        EXPECT_FALSE(lista.botaoConsistir()->isEnabled());

        QString situacao;
        quandoAparecer<TFormEdicaoDocumentos>([&](TFormEdicaoDocumentos* t) {
            EXPECT_EQ(t->windowTitle(), "Documentos");
            EXPECT_EQ(t->focusWidget(), t->cbInscricao);
            EXPECT_FALSE(t->botaoFechar()->isVisible());
            EXPECT_EQ(t->pgcPrincipal->tabText(1), "PRELO");
            EXPECT_TRUE(t->pgcPrincipal->isTabEnabled(1));
            preencherCabecalho(t, "1234567890107", regime, d.nomeMunicipio(2));
            EXPECT_EQ(t->edtRazaoSocial->text(), Q("Comércio Ação Ltda"));
            EXPECT_EQ(t->edtCnae->text(), "4711301");
            EXPECT_EQ(t->edtMunicipio->text(), d.nomeMunicipio(2));
            QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
            EXPECT_TRUE(QTest::qWaitFor([t] { return !t->isVisible(); }, 3000));
        });
        quandoErrosAparecerem(&situacao);
        QTest::mouseClick(lista.botaoInserir(), Qt::LeftButton);
        ASSERT_EQ(lista.conjunto()->quantidade(), 1) << (d.amb.ui.textos().empty() ? "" : d.amb.ui.textos().front());
        EXPECT_FALSE(situacao.isEmpty());  // a lista consistiu a declaração nova e mostrou
        EXPECT_EQ(d.contar("DOCUMENTO"), 1);
        EXPECT_EQ(d.contar("DETALHAMENTOES"), std::string(anoBase) == "2016" ? 6 : 0);
        const int status = static_cast<int>(lista.conjunto()->valor("STATUS_ID").inteiro());
        EXPECT_NE(status, 0);
        auto* modelo = lista.grade()->model();
        EXPECT_EQ(modelo->index(0, 2).data().toString(), "1234567890107");
        EXPECT_EQ(modelo->index(0, 5).data().toString(), "Janeiro");
        EXPECT_EQ(modelo->index(0, 7).data().toString(), d.nomeMunicipio(2));
        EXPECT_EQ(modelo->index(0, 2).data(Qt::ForegroundRole).value<QColor>(),
                  status == 1 ? QColor(255, 0, 0) : QColor(0, 0, 0));
        EXPECT_FALSE(modelo->index(0, 1).data(Qt::DecorationRole).value<QIcon>().isNull());
        EXPECT_EQ(lista.grade()->columnWidth(0), 16);

        // Reaberta pelo duplo clique, mostra o cabeçalho gravado; cancelar não muda nada
        quandoAparecer<TFormEdicaoDocumentos>([&](TFormEdicaoDocumentos* t) {
            EXPECT_EQ(t->cbInscricao->currentText(), Q("1234567890107 - Comércio Ação Ltda"));
            EXPECT_TRUE(t->cbRegime->currentText().startsWith(regime));
            EXPECT_EQ(t->cbMesFinal->currentText(), "12 - Dezembro");
            EXPECT_EQ(t->cbAno->currentText(), QString::fromLatin1(anoBase));
            QTest::mouseClick(t->botaoCancelar(), Qt::LeftButton);
        });
        quandoErrosAparecerem(&situacao);
        const QRect linha = lista.grade()->visualRect(lista.grade()->model()->index(0, 3));
        QTest::mouseClick(lista.grade()->viewport(), Qt::LeftButton, {}, linha.center());
        QTest::mouseDClick(lista.grade()->viewport(), Qt::LeftButton, {}, linha.center());
        EXPECT_EQ(d.amb.doTipo("pergunta").size(), 0u);

        // O kov-cli mostra o que as telas gravaram
        if (std::string(anoBase) == "2016") {
            d.dm().DefinirConexao(false);
            const auto r = rodar(instalarCli(d.amb.inst.exe.string()), {"declaracoes", "listar"});
            d.dm().DefinirConexao(true);
            EXPECT_EQ(r.codigo, 0) << r.erros;
            EXPECT_NE(r.saida.find("1234567890107\tComércio Ação Ltda\t2016\tJaneiro\tDezembro"), std::string::npos)
                << r.saida;
        }

        // Excluir pergunta e apaga a declaração com todas as seções
        d.amb.ui.respostas = {true};
        QTest::mouseClick(lista.botaoExcluir(), Qt::LeftButton);
        const auto perguntas = d.amb.doTipo("pergunta");
        ASSERT_EQ(perguntas.size(), 1u);
        EXPECT_EQ(perguntas[0].texto, "Confirma exclusão do registro ?");
        EXPECT_EQ(lista.conjunto()->quantidade(), 0);
        for (const char* tabela : {"DOCUMENTO", "ESTOQUE", "ENTRADA", "SAIDA", "KOV", "EXCLUSOESKOV", "DETALHAMENTOES",
                                   "GIENTRADA", "DETALHAMENTOENTRADA"})
            EXPECT_EQ(d.contar(tabela), 0) << tabela;
    }
}

TEST(Documentos, RegimesDoAnoBaseETrocaDeGrupoApagaAsFiguras) {
    Documentos d("2005");
    for (auto [ano, esperados] : {std::pair{"2008", 3}, {"2010", 2}, {"2005", 6}}) {
        d.dm().GravarParametro("ANOEXERCICIO", ano);
        Editor e(d, 2026, true);
        EXPECT_EQ(e.tela->cbRegime->count(), esperados) << ano;
        if (std::string(ano) == "2008") {
            EXPECT_TRUE(itens(e.tela->cbRegime).last().startsWith("Microprodutor"));
        }
        e.tela->cancelarEFechar();
    }

    // Regime 1 para 2 mantém as figuras; de 1 (ou 2) para 3, todas vão embora
    const int id = d.gravarDeclaracao(1);
    Editor e(d, 2026, false);
    mostrarAtiva(*e.tela);
    escolherNaLista(e.tela->cbRegime, "Especial");
    EXPECT_EQ(e.tela->regimeLembrado(), 2);
    ASSERT_NE(e.cds.agregado(), nullptr);
    EXPECT_EQ(e.cds.agregado()->giEntrada.size(), 1u);
    EXPECT_EQ(e.cds.agregado()->detalhamento(1)->VCCOMPRAVENDA, Dinheiro::deReais(900));
    EXPECT_FALSE(e.tela->grpApuracao->isEnabled());
    escolherNaLista(e.tela->cbRegime, "Estimativa");
    EXPECT_TRUE(e.cds.agregado()->giEntrada.empty());
    EXPECT_TRUE(e.cds.agregado()->detalhamentoES.empty());
    EXPECT_FALSE(e.cds.agregado()->estoque.has_value());
    EXPECT_FALSE(e.tela->grpApuracao->isEnabled());  // a apuração só vale nos regimes 5 e 6
    QTest::mouseClick(e.tela->botaoGravar(), Qt::LeftButton);
    EXPECT_FALSE(e.tela->isVisible());
    EXPECT_EQ(d.contar("GIENTRADA"), 0);
    EXPECT_EQ(d.contar("DETALHAMENTOES"), 0);
    const Declaracao gravada = CarregarDeclaracao(d.dm().MainConnection, id);
    EXPECT_EQ(gravada.doc.REGIME_ID, 3);
    EXPECT_EQ(v(gravada.entrada->VCTOTAL), Dinheiro{});
}

TEST(Documentos, AnoCorrenteTransportadorEMeses) {
    Documentos d("2016");
    {
        // Ano base igual ao corrente: a baixa aparece, "Sim" e fixa; a mudança não aparece
        Editor e(d, 2016, true);
        mostrarAtiva(*e.tela);
        EXPECT_TRUE(e.tela->grpBaixa->isVisible());
        EXPECT_EQ(e.cds.valor("BAIXA").texto(), "S");
        QTest::mouseClick(e.tela->grpBaixa->botao("N"), Qt::LeftButton);
        EXPECT_EQ(e.cds.valor("BAIXA").texto(), "S");
        EXPECT_FALSE(e.tela->grpMudanca->isVisible());
        EXPECT_EQ(itens(e.tela->cbAno), QStringList({"2016", "2015"}));

        // Meses fora de ordem: a mensagem, e o mês escolhido vale assim mesmo
        escolherNaLista(e.tela->cbMesFinal, "03");
        escolherNaLista(e.tela->cbMesInicial, "05");
        EXPECT_EQ(d.amb.ui.textos(), std::vector<std::string>{"Mês Inicial maior que Mês Final."});
        EXPECT_EQ(d.amb.ui.mensagens.back().titulo, "Erro");
        EXPECT_EQ(e.cds.valor("MESINICIAL").inteiro(), 5);
        escolherNaLista(e.tela->cbMesFinal, "04");
        EXPECT_EQ(d.amb.ui.textos().back(), "Mês Final menor que Mês Inicial.");

        // A gravação sem a baixa é recusada pela regra do ano corrente
        e.cds.definir("BAIXA", "N");
        d.amb.ui.mensagens.clear();
        QTest::mouseClick(e.tela->botaoGravar(), Qt::LeftButton);
        ASSERT_EQ(d.amb.ui.mensagens.size(), 1u);
        EXPECT_EQ(d.amb.ui.mensagens[0].titulo, "Inconsistência");
        EXPECT_NE(d.amb.ui.mensagens[0].texto.find("\"baixa referente ao ano corrente\""), std::string::npos);
        EXPECT_TRUE(e.tela->isVisible());
        EXPECT_FALSE(e.tela->podeFechar());
        e.tela->cancelarEFechar();
    }
    {
        // Ano base anterior: a mudança aparece com o ano na legenda, salvo ao transportador
        Editor e(d, 2026, true);
        mostrarAtiva(*e.tela);
        EXPECT_FALSE(e.tela->grpBaixa->isVisible());
        EXPECT_EQ(itens(e.tela->cbAno), QStringList({"2016"}));  // dez anos antes: só o seu
        escolherNaLista(e.tela->cbInscricao, "1234567890107");
        EXPECT_TRUE(e.tela->grpMudanca->isVisible());
        EXPECT_EQ(e.tela->grpMudanca->title(), Q("Mudou de município em 2016"));
        escolherNaLista(e.tela->cbInscricao, "9876543210105");
        for (const auto& t : d.dm().ref.cdsTipoContribuinte)
            if (t.TIPOCONTRIBUINTE_ID == 0) {
                EXPECT_EQ(e.tela->edtTipoContribuinte->text().toStdString(), t.TITULO);
            }
        EXPECT_FALSE(e.tela->grpMudanca->isVisible());

        // Sem município: a gravação pede o campo, e o editor não fecha
        escolherNaLista(e.tela->cbMesInicial, "01");
        escolherNaLista(e.tela->cbMesFinal, "06");
        escolherNaLista(e.tela->cbRegime, "Normal");
        d.amb.ui.mensagens.clear();
        QTest::mouseClick(e.tela->botaoGravar(), Qt::LeftButton);
        EXPECT_EQ(d.amb.ui.textos(), std::vector<std::string>{Q("Campo (Município) precisa ser preenchido!").toStdString()});
        EXPECT_TRUE(e.tela->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), e.tela->edtMunicipio);
        e.tela->cancelarEFechar();
    }
    EXPECT_EQ(d.contar("DOCUMENTO"), 0);
}

TEST(Documentos, FecharPelaMolduraSemGravarNaoMudaABase) {
    Documentos d("2016");
    const int id = d.gravarDeclaracao(1, 1, 12);
    const Declaracao antes = CarregarDeclaracao(d.dm().MainConnection, id);
    Editor e(d, 2026, false);
    mostrarAtiva(*e.tela);
    escolherNaLista(e.tela->cbMesFinal, "06");
    e.cds.alterarAgregado([](Declaracao& dd) { dd.estoque->INITRIBUTADOS = Dinheiro::deReais(777); });

    // Sair do cabeçalho posta a declaração na memória: o lembrete segue a alteração
    // pendente e "Atualizar" fica recusado
    ASSERT_TRUE(e.tela->sairDoDocumento());
    EXPECT_TRUE(e.cds.editando());
    EXPECT_TRUE(e.cds.alteracoesPendentes());
    EXPECT_TRUE(e.tela->lembrete()->isActive());
    EXPECT_FALSE(e.tela->actdbAncestralAtualizar->isEnabled());

    d.amb.ui.respostas = {false};
    e.tela->close();
    EXPECT_TRUE(e.tela->isVisible());
    ASSERT_EQ(d.amb.doTipo("pergunta").size(), 1u);
    EXPECT_EQ(d.amb.doTipo("pergunta")[0].texto, TextoCancelamento);
    d.amb.ui.respostas = {true};
    e.tela->close();
    EXPECT_FALSE(e.tela->isVisible());
    EXPECT_FALSE(e.cds.alteracoesPendentes());
    const Declaracao depois = CarregarDeclaracao(d.dm().MainConnection, id);
    EXPECT_EQ(depois.doc, antes.doc);
    EXPECT_EQ(depois.estoque, antes.estoque);
}

TEST(Documentos, MudancaDeMunicipioGravaEAbreATelaDosMunicipiosAnteriores) {
    Documentos d("2016");
    const int id = d.gravarDeclaracao(1);
    Editor e(d, 2026, false);
    mostrarAtiva(*e.tela);
    ASSERT_TRUE(e.tela->grpMudanca->isVisible());

    quandoAparecer<ui::TfrmMudouMunicipio>([&](ui::TfrmMudouMunicipio* m) {
        EXPECT_EQ(m->windowTitle(), Q("KOV - Mudança de município"));
        EXPECT_EQ(m->actInserirMunicipio->toolTip(), "Inserir novo registro");
        EXPECT_EQ(m->actExcluirMunicipio->toolTip(), "Deletar o registro atual");
        EXPECT_EQ(m->botaoConfirmar()->toolTip(), "Confirmar");
        EXPECT_FALSE(m->botaoFechar()->isVisible());
        // A declaração foi gravada com a resposta antes de a tela abrir
        EXPECT_EQ(CarregarDeclaracao(d.dm().MainConnection, id).doc.MUDANCAMUNICIPIO, "S");
        EXPECT_EQ(d.dm().MudancaMunicipioPadrao, "S");
        auto* grade = m->grade();
        m->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([m] { return QApplication::activeWindow() == m; }));
        QTest::mouseClick(m->botaoInserir(), Qt::LeftButton);
        ASSERT_EQ(grade->model()->rowCount(), 1);
        EXPECT_EQ(QApplication::focusWidget(), grade);
        // Código, Enter (a descrição aparece), Enter, valor com vírgula ignorada, Enter
        digitarNaCelula(grade, QString::number(d.municipio(3)));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(grade->model()->index(0, 1).data().toString(), d.nomeMunicipio(3));
        QTest::keyClick(grade, Qt::Key_Return);
        digitarNaCelula(grade, "5,00");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(grade->model()->index(0, 2).data().toString(), "500");
        // Da última coluna da última linha, Enter grava a linha e começa outra
        EXPECT_EQ(grade->model()->rowCount(), 2);
        EXPECT_EQ(m->conjunto()->estado(), EstadoConjunto::Insercao);
        // Sair da grade com a linha nova sem município a cancela
        QTest::mouseClick(m->botaoConfirmar(), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([m] { return !m->isVisible(); }, 3000));
        if (m->isVisible()) {
            d.amb.ui.respostas = {true};
            m->reject();
        }
    });
    QTest::mouseClick(e.tela->grpMudanca->botao("S"), Qt::LeftButton);
    EXPECT_TRUE(d.amb.doTipo("erro").empty()) << d.amb.ui.textos().front();
    EXPECT_EQ(d.dm().MudancaMunicipioPadrao, "N");
    ASSERT_TRUE(e.cds.editando());
    EXPECT_EQ(e.cds.valor("MUDANCAMUNICIPIO").texto(), "S");
    ASSERT_EQ(e.cds.agregado()->detalhamentoEntrada.size(), 1u);
    EXPECT_EQ(e.cds.agregado()->detalhamentoEntrada[0].MUDANCAMUNICIPIO, "S");
    EXPECT_EQ(d.contar("DETALHAMENTOENTRADA"), 0);  // só com a próxima gravação

    QTest::mouseClick(e.tela->botaoGravar(), Qt::LeftButton);
    EXPECT_FALSE(e.tela->isVisible());
    const Declaracao gravada = CarregarDeclaracao(d.dm().MainConnection, id);
    ASSERT_EQ(gravada.detalhamentoEntrada.size(), 1u);
    EXPECT_EQ(gravada.detalhamentoEntrada[0].CODDRUMUNICIPIO, d.municipio(3));
    EXPECT_EQ(gravada.detalhamentoEntrada[0].VALOR, Dinheiro::deReais(500));
    EXPECT_EQ(gravada.detalhamentoEntrada[0].MUDANCAMUNICIPIO, "S");
}

TEST(Documentos, TrazerDoAnoAnteriorPelaLista) {
    Documentos d("2015");
    d.gravarDeclaracao(1);
    d.dm().GravarParametro("ANOEXERCICIO", "2016");
    ui::TFormVisaoDocumentos lista(d.dm());
    mostrarAtiva(lista);
    ASSERT_EQ(lista.conjunto()->quantidade(), 0);
    bool viu = false;
    quandoAparecer<ui::TfrmAnoAnterior>([&](ui::TfrmAnoAnterior* t) {
        viu = true;
        EXPECT_EQ(t->lista()->count(), 1);
        if (t->lista()->count() == 1) {
            EXPECT_EQ(t->lista()->item(0)->text(), Q("1234567890107 - Comércio Ação Ltda"));
        }
        EXPECT_FALSE(t->botaoTrazer()->isEnabled()) << "nada marcado";
        t->selecionarTodas()->click();
        EXPECT_TRUE(t->botaoTrazer()->isEnabled());
        QTest::mouseClick(t->botaoTrazer(), Qt::LeftButton);
        EXPECT_EQ(t->resumo()->text(), Q("1 declaração criada, 0 puladas."));
        EXPECT_EQ(t->resultados()->rowCount(), 1);
        if (t->resultados()->rowCount() == 1) {
            EXPECT_TRUE(t->resultados()->item(0, 2)->text().startsWith("Criada"));
        }
        EXPECT_FALSE(t->botaoTrazer()->isEnabled());
        t->reject();
    });
    QTest::mouseClick(lista.findChild<QPushButton*>("btnTrazerAnoAnterior"), Qt::LeftButton);
    EXPECT_TRUE(viu);
    EXPECT_EQ(lista.conjunto()->quantidade(), 1) << "a nova aparece na lista";
    EXPECT_TRUE(d.amb.doTipo("erro").empty());
}

// Da lista de consistências, cada código da tabela leva ao seu lugar: o editor na página do
// erro com o foco dentro dela, ou a tela de detalhamento do tipo (vinda da lista); os de
// FORMULARIO 0 desligam "&Corrigir" sem abrir nada.
TEST(Documentos, ListaDeConsistenciasLevaCadaErroAoSeuLugar) {
    Documentos d("2016");
    const int id = d.gravarDeclaracao(1);
    ui::TFormVisaoDocumentos docs(d.dm());
    docs.declaracoes()->anoCorrente = [] { return 2026; };
    docs.declaracoes()->abrir();
    for (const LinhaConsistencia& l : d.dm().ref.cdsConsistencias) {
        SCOPED_TRACE(l.ERRO);
        ListasConsistencia& listas = d.dm().Consistencias;
        listas.esvaziar();
        listas.cdsDocumentosErros.push_back({id, "1234567890107", "Comércio Ação Ltda", 2016, "Janeiro", "Dezembro"});
        IncluirErro(listas, d.dm().ref.cdsConsistencias, id, l.ERRO);
        ui::TFormVisaoConsistencias lista(d.dm(), *docs.declaracoes());
        mostrarAtiva(lista);
        ASSERT_EQ(lista.grdErros()->model()->rowCount(), 1);
        EXPECT_EQ(lista.memoMensagem()->toPlainText().toStdString(), l.MENSAGEM);
        EXPECT_TRUE(lista.actCorrigir->isEnabled());
        const DestinoCorrecao destino = DestinoDaCorrecao(l.ERRO, d.dm().ref.cdsConsistencias);
        const std::string onde = OndeCorrigir(destino);
        EXPECT_EQ(lista.rotuloOnde()->text().toStdString(), "Onde corrigir: " + onde);
        bool abriu = false;
        if (destino.forma == FormaCorrecao::Editor) {
            quandoAparecer<TFormEdicaoDocumentos>([&](TFormEdicaoDocumentos* t) {
                abriu = true;
                EXPECT_TRUE(t->modoCabecalho());
                const int pagina = l.PAGINA == "PRELO" ? 1 : l.PAGINA == "KOV" ? 2 : l.PAGINA == "GI" ? 3 : 0;
                EXPECT_EQ(t->pgcPrincipal->currentIndex(), pagina);
                QWidget* foco = t->focusWidget();
                EXPECT_TRUE(foco && t->pgcPrincipal->currentWidget()->isAncestorOf(foco));
                if (l.ERRO == "E003") {
                    EXPECT_EQ(t->pgcGI->currentWidget(), t->tbsGISaida);
                }
                if (l.ERRO == "E018") {
                    EXPECT_EQ(t->pgcKov->currentWidget(), t->tbsKovKov);
                }
                // "Onde corrigir" usa as palavras da tela: a página, a aba que mostra o foco e o
                // rótulo do campo focado (linha do quadro ou título da coluna da grade)
                EXPECT_NE(onde.find('"' + t->pgcPrincipal->tabText(pagina).toStdString() + '"'), std::string::npos);
                QStringList abas;
                for (QWidget* p = foco; p; p = p->parentWidget())
                    if (auto* tw = qobject_cast<QTabWidget*>(p); tw && tw != t->pgcPrincipal)
                        abas << tw->tabText(tw->currentIndex());
                const std::string aba = entreAspas(onde, ", aba \""), campo = entreAspas(onde, ", campo \"");
                // (foco nas abas da página: a aba é da outra variante da PRELO, escondida)
                if (!aba.empty() && !qobject_cast<QTabWidget*>(foco) && !qobject_cast<QTabBar*>(foco)) {
                    EXPECT_TRUE(abas.contains(Q(aba.c_str()))) << aba << " / " << abas.join(',').toStdString();
                }
                auto* grade = qobject_cast<QTableView*>(foco);
                auto* modelo = grade ? qobject_cast<ui::ModeloLinhas*>(grade->model()) : nullptr;
                if (modelo && !l.CAMPO.empty()) {
                    // Na grade, o cursor vai à coluna do campo (há linhas na GI de entradas)
                    const int coluna = modelo->colunaDoCampo(l.CAMPO);
                    EXPECT_GE(coluna, 0);
                    if (modelo->rowCount() > 0) {
                        EXPECT_EQ(grade->currentIndex().column(), coluna);
                    }
                    EXPECT_EQ(modelo->headerData(coluna, Qt::Horizontal, Qt::DisplayRole)
                                  .toString().replace('\n', ' ').toStdString(), campo);
                } else if (qobject_cast<ui::CampoValor*>(foco) && !campo.empty()) {
                    QString rotulo;
                    for (QLabel* r : t->findChildren<QLabel*>())
                        if (r->buddy() == foco) rotulo = r->text();
                    EXPECT_EQ(rotulo.toStdString(), campo);
                }
                t->cancelar();
                t->close();
            });
        } else if (destino.forma == FormaCorrecao::Detalhamento) {
            quandoAparecer<ui::TfrmAncestralDetalhamentoES>([&](ui::TfrmAncestralDetalhamentoES* t) {
                abriu = true;
                EXPECT_EQ(t->tipoOperacao(), destino.tipoOperacao);
                EXPECT_EQ("Tela \"" + t->windowTitle().toStdString() + '"', onde);
                EXPECT_TRUE(t->daListaConsistencia());
                t->reject();
            });
        }
        emit lista.grdErros()->doubleClicked(lista.grdErros()->model()->index(0, 1));
        EXPECT_EQ(abriu, destino.forma != FormaCorrecao::Nenhuma) << (d.amb.ui.textos().empty() ? "" : d.amb.ui.textos().back());
        EXPECT_EQ(lista.actCorrigir->isEnabled(), destino.forma != FormaCorrecao::Nenhuma);
        EXPECT_FALSE(docs.declaracoes()->editando());
    }

    // Gravar no editor aberto pelo erro da GI de saídas consiste de novo: a lista fica só
    // com esta declaração, e os erros que restam
    ListasConsistencia& listas = d.dm().Consistencias;
    listas.esvaziar();
    listas.cdsDocumentosErros.push_back({id, "1234567890107", "A", 2016, "Janeiro", "Dezembro"});
    listas.cdsDocumentosErros.push_back({id + 1000, "999", "Outra", 2016, "Janeiro", "Dezembro"});
    IncluirErro(listas, d.dm().ref.cdsConsistencias, id, "E003");
    {
        ui::TFormVisaoConsistencias lista(d.dm(), *docs.declaracoes());
        mostrarAtiva(lista);
        quandoAparecer<TFormEdicaoDocumentos>([&](TFormEdicaoDocumentos* t) {
            EXPECT_EQ(t->pgcGI->currentWidget(), t->tbsGISaida);
            QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
            if (t->isVisible()) t->close();
        });
        lista.actCorrigir->trigger();
        EXPECT_EQ(lista.grdDocumentos()->model()->rowCount(), 1);
        ASSERT_EQ(listas.cdsDocumentosErros.size(), 1u);
        EXPECT_EQ(listas.cdsDocumentosErros[0].Documento, id);
        EXPECT_EQ(lista.erros().size(), listas.errosDe(id).size());
    }

    // A tela das saídas para o exterior, aberta pelo erro, grava na base na hora e a lista
    // mostra a nova consistência
    listas.esvaziar();
    IncluirErro(listas, d.dm().ref.cdsConsistencias, id, "E031");
    listas.cdsDocumentosErros.push_back({id, "1234567890107", "A", 2016, "Janeiro", "Dezembro"});
    {
        ui::TFormVisaoConsistencias lista(d.dm(), *docs.declaracoes());
        mostrarAtiva(lista);
        quandoAparecer<ui::TfrmAncestralDetalhamentoES>([&](ui::TfrmAncestralDetalhamentoES* t) {
            EXPECT_EQ(t->tipoOperacao(), 6);
            ui::CampoValor* c = t->campo("VCCOMPRAVENDA");
            ASSERT_TRUE(c);
            c->setFocus(Qt::MouseFocusReason);
            c->selectAll();
            QTest::keyClicks(c, "321");
            QTest::keyClick(c, Qt::Key_Tab);
            QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
            if (t->isVisible()) t->reject();
        });
        lista.actCorrigir->trigger();
        const Declaracao gravada = CarregarDeclaracao(d.dm().MainConnection, id);
        ASSERT_NE(gravada.detalhamento(6), nullptr);
        EXPECT_EQ(gravada.detalhamento(6)->VCCOMPRAVENDA, Dinheiro::deReais(321));
        EXPECT_TRUE(listas.temDocumento(id));
        EXPECT_EQ(lista.erros().size(), listas.errosDe(id).size());
        EXPECT_FALSE(docs.declaracoes()->editando());
    }

    // Sem erros, "&Corrigir" fica desligado
    d.dm().Consistencias.esvaziar();
    ui::TFormVisaoConsistencias vazia(d.dm(), *docs.declaracoes());
    EXPECT_FALSE(vazia.actCorrigir->isEnabled());
    EXPECT_EQ(vazia.rotuloSituacao()->text(), Q("Nenhum erro encontrado: a declaração está consistente."));
}
