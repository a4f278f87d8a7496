// Páginas das figuras do editor e telas de detalhamento usadas como o usuário usa: uma
// declaração de débito/crédito e uma simplificada digitadas pelas páginas, gravadas,
// reabertas e encontradas de novo; as regras de digitação, as figuras travadas, as
// conferências das telas de detalhamento, as grades e a GI que não se informa.
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "ApoioDocumentos.h"
#include "data/Figuras.h"
#include "ui/Ajuda.h"
#include "ui/Controles.h"
#include "ui/GradeEditavel.h"
#include "ui/frmAncestralDetalhamentoES.h"

using namespace kov;
using namespace kov::teste;
using ui::CampoValor;
using ui::TFormEdicaoDocumentos;

namespace {

// Clica no campo, apaga o que há e digita; sai com Tab.
void digitarFigura(CampoValor* c, const QString& texto) {
    ASSERT_TRUE(c);
    ASSERT_TRUE(c->isVisible()) << c->objectName().toStdString();
    c->setFocus(Qt::MouseFocusReason);
    c->selectAll();
    QTest::keyClick(c, Qt::Key_Backspace);
    QTest::keyClicks(c, texto);
    QTest::keyClick(c, Qt::Key_Tab);
}

void irPara(TFormEdicaoDocumentos* t, int pagina) { t->pgcPrincipal->setCurrentIndex(pagina); }

// Na tela de detalhamento que o botão abre, digita os valores e grava; 'antes' roda com a
// tela aberta antes de gravar (para conferir recusas).
void detalhar(TFormEdicaoDocumentos* t, QAction* botao, std::vector<std::pair<const char*, QString>> valores,
              std::function<void(ui::TfrmAncestralDetalhamentoES*)> antes = {}) {
    bool abriu = false;
    quandoAparecer<ui::TfrmAncestralDetalhamentoES>([&](ui::TfrmAncestralDetalhamentoES* d) {
        abriu = true;
        d->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([d] { return QApplication::activeWindow() == d; }));
        for (const auto& [campo, texto] : valores) digitarFigura(d->campo(campo), texto);
        if (antes) antes(d);
        QTest::mouseClick(d->botaoGravar(), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([d] { return !d->isVisible(); }, 3000));
        if (d->isVisible()) d->cancelarEFechar();
    });
    botao->trigger();
    EXPECT_TRUE(abriu);
    t->activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([t] { return QApplication::activeWindow() == t; }));
}

// Escolhe a UF na primeira coluna da linha em edição e digita os valores, coluna a coluna.
void linhaGI(QTableView* g, const char* uf, const QStringList& valores) {
    const QModelIndex i = g->currentIndex();
    g->edit(g->model()->index(i.row(), 0));
    auto* cb = qobject_cast<QComboBox*>(QApplication::focusWidget());
    ASSERT_TRUE(cb);
    cb->setCurrentIndex(cb->findData(QString::fromLatin1(uf)));
    QTest::keyClick(cb, Qt::Key_Return);
    for (const QString& v : valores) {
        digitarNaCelula(g, v);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
}

Declaracao gravada(Documentos& d) {
    auto tr = fb::Transacao::leitura(d.dm().MainConnection);
    fb::Comando q(tr, "SELECT MAX(DOCUMENTO_ID) FROM DOCUMENTO");
    q.proximo();
    const int id = static_cast<int>(q.coluna(0).inteiro());
    tr.commit();
    return CarregarDeclaracao(d.dm().MainConnection, id);
}

Dinheiro R(int64_t reais) { return Dinheiro::deReais(reais); }

}  // namespace

TEST(Figuras, DebitoCreditoDigitadaGravadaEReaberta) {
    Documentos d;
    {
        Editor e(d, 2026, true);
        TFormEdicaoDocumentos* t = e.tela.get();
        mostrarAtiva(*t);
        preencherCabecalho(t, "1234567890107", "Normal", d.nomeMunicipio(2));
        mostrarAtiva(*t);
        irPara(t, TFormEdicaoDocumentos::PaginaPrelo);
        ASSERT_EQ(t->pgcPrincipal->currentIndex(), TFormEdicaoDocumentos::PaginaPrelo) << d.amb.ui.textos().size();
        // Débito/crédito sem escrita contábil: despesas operacionais, sem o resultado
        EXPECT_FALSE(t->pgcPrelo->isTabVisible(0));
        EXPECT_TRUE(t->pgcPrelo->isTabVisible(1));
        EXPECT_TRUE(t->pgcPreloDebCred->isTabVisible(1));
        EXPECT_FALSE(t->pgcPreloDebCred->isTabVisible(2));
        EXPECT_EQ(ui::ContextoAjudaDe(t), ui::ContextoAjuda::PreloEstoque);

        // Estoque: a vírgula não entra (1,5 é 15) e o total acompanha cada tecla
        const QString estoque = QStringLiteral("tbsPreloDebCredEstoque");
        digitarFigura(t->figura(estoque, "INITRIBUTADOS"), "1,5");
        EXPECT_EQ(t->figura(estoque, "INITRIBUTADOS")->text(), "15");
        digitarFigura(t->figura(estoque, "INISST"), "2000");
        EXPECT_EQ(t->figura(estoque, "INISST")->text(), "2.000") << "máscara fora do foco";
        EXPECT_EQ(t->figura(estoque, "calcIniTotal")->text(), "2.015");
        EXPECT_TRUE(t->figura(estoque, "calcIniTotal")->isReadOnly());
        EXPECT_EQ(t->figura(estoque, "INISST")->alignment() & Qt::AlignRight, Qt::AlignRight);
        // Esvaziado, o campo volta a "0", selecionado
        CampoValor* fim = t->figura(estoque, "FIMOUTROS");
        fim->setFocus();
        fim->selectAll();
        QTest::keyClick(fim, Qt::Key_Backspace);
        EXPECT_EQ(fim->text(), "0");
        EXPECT_EQ(fim->selectedText(), "0");
        QTest::keyClicks(fim, "a-7");
        EXPECT_EQ(fim->text(), "7") << "letras e sinal ignorados";
        t->pgcPreloDebCred->setCurrentIndex(1);
        EXPECT_EQ(ui::ContextoAjudaDe(t), ui::ContextoAjuda::DespesasOperacionais);
        digitarFigura(t->figura("tbsPreloDebCredDO", "PROLABORE"), "300");

        // Entradas do estado: as duas conferências e a dos produtos agropecuários
        t->pgcPreloDebCred->setCurrentIndex(3);
        detalhar(t, t->actEntradaEstado,
                 {{"VCCOMPRAVENDA", "1000"}, {"BCCOMPRAVENDA", "800"}, {"PRODUTOSAGROP", "1001"}},
                 [&](ui::TfrmAncestralDetalhamentoES* s) {
                     EXPECT_EQ(s->windowTitle(), "Entradas do Estado");
                     EXPECT_EQ(s->rotuloLinha(0)->text(), " Compras");
                     EXPECT_EQ(s->campo("calcOPSICMSCompraVenda")->text(), "200");
                     QTest::mouseClick(s->botaoGravar(), Qt::LeftButton);
                     EXPECT_EQ(d.amb.ui.textos().back(), Q("O valor de Produtos Agropecuários não pode ser superior "
                                                               "ao SubTotal do Valor Contábil").toStdString());
                     digitarFigura(s->campo("PRODUTOSAGROP"), "1000");  // igual ao subtotal passa
                     QTest::mouseClick(s->botaoGravar(), Qt::LeftButton);
                     EXPECT_EQ(d.amb.ui.textos().back(), "Base de Cálculo sem valor de ICMS informado Compra/Venda");
                     EXPECT_EQ(QApplication::focusWidget(), s->campo("ICMSCOMPRAVENDA"));
                     EXPECT_TRUE(s->isVisible());
                     digitarFigura(s->campo("ICMSCOMPRAVENDA"), "144");
                 });
        const QString entrada = QStringLiteral("tbsPreloDebCredEntrada");
        EXPECT_EQ(t->figura(entrada, "VCTOTAL")->text(), "1.000");
        EXPECT_EQ(t->figura(entrada, "OPSEMICMSTOTAL")->text(), "200");
        detalhar(t, t->actEntradaOutros, {{"VCTRANSFERENCIA", "400"}, {"BCTRANSFERENCIA", "400"},
                                          {"ICMSTRANSFERENCIA", "48"}});
        EXPECT_EQ(t->figura(entrada, "VCTOTAL")->text(), "1.400");
        // Saídas do estado, com o transporte tomado
        detalhar(t, t->actSaidaEstado, {{"VCCOMPRAVENDA", "5000"}, {"BCCOMPRAVENDA", "5000"},
                                        {"ICMSCOMPRAVENDA", "900"}, {"TRANSPORTETOMADO", "50"}});
        EXPECT_EQ(t->figura(QStringLiteral("tbsPreloDebCredSaida"), "VCTOTAL")->text(), "5.000");

        // KOV: exclusões (o ajuste de entrada só com transferências), o KOV, os municípios
        irPara(t, TFormEdicaoDocumentos::PaginaKOV);
        EXPECT_EQ(t->pgcKov->currentIndex(), 0);
        EXPECT_EQ(ui::ContextoAjudaDe(t), ui::ContextoAjuda::ExclusoesKOV);
        const QString exclusoes = QStringLiteral("tbsKovExclusoes");
        EXPECT_TRUE(t->figura(exclusoes, "ENTAJUSTETRANSFERENCIA")->isEnabled());
        EXPECT_FALSE(t->figura(exclusoes, "SAIAJUSTETRANSFERENCIA")->isEnabled());
        digitarFigura(t->figura(exclusoes, "ENTIPI"), "30");
        digitarFigura(t->figura(exclusoes, "ENTAJUSTETRANSFERENCIA"), "20");
        digitarFigura(t->figura(exclusoes, "SAITRANPORTESINICIADOOUTRA"), "10");
        EXPECT_EQ(t->figura(exclusoes, "calcEntTotal")->text(), "50");
        t->pgcKov->setCurrentIndex(1);
        EXPECT_EQ(ui::ContextoAjudaDe(t), ui::ContextoAjuda::KOV);
        const QString kov = QStringLiteral("tbsKovKov");
        EXPECT_TRUE(t->figura(kov, "SAIDAS")->isReadOnly());
        const FigurasKOV k = FigurasDoKOV(*e.cds.agregado(), CasoDoKOV(e.cds.agregado()->doc));
        EXPECT_EQ(t->figura(kov, "SAIDAS")->text().toStdString(), k.saidas.formatado());
        EXPECT_EQ(t->figura(kov, "ENTRADAS")->text().toStdString(), k.entradas.formatado());
        digitarFigura(t->figura(kov, "OUTRASENTRADAS"), "70");
        t->pgcKov->setCurrentIndex(2);
        QTest::mouseClick(t->tbsKovDetalhamento->findChild<QPushButton*>("btnIncluir"), Qt::LeftButton);
        digitarNaCelula(t->grdDetalhamento, QString::number(d.municipio(3)));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClick(t->grdDetalhamento, Qt::Key_Return);
        digitarNaCelula(t->grdDetalhamento, "70");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(t->total("agTotalValor"), "70");

        // GI: Enter na última coluna da última linha começa outra, que some ao sair vazia
        irPara(t, TFormEdicaoDocumentos::PaginaGI);
        EXPECT_EQ(ui::ContextoAjudaDe(t), ui::ContextoAjuda::GI);
        t->actIncluirGIEntrada->trigger();
        linhaGI(t->grdGIEntrada, "SP", {"300", "250", "10", "5", "1"});
        EXPECT_EQ(t->grdGIEntrada->model()->rowCount(), 2);
        EXPECT_EQ(t->total("agTotalVC"), "300");
        t->pgcGI->setCurrentIndex(1);
        EXPECT_EQ(t->grdGIEntrada->model()->rowCount(), 1) << "a linha vazia saiu com a grade";
        t->grdGISaida->setFocus();
        t->actIncluirGISaida->trigger();
        linhaGI(t->grdGISaida, "BA", {"100", "20", "90", "10", "5", "3"});
        EXPECT_EQ(t->total("agTotalBCC"), "90");
        t->actExcluirGISaida->trigger();  // a linha nova do Enter, sem perguntar
        EXPECT_EQ(t->grdGISaida->model()->rowCount(), 1);

        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        EXPECT_TRUE(e.cds.navegando()) << (d.amb.ui.textos().empty() ? "" : d.amb.ui.textos().back());
    }
    // Gravada: tudo o que foi digitado está na base
    const Declaracao g = gravada(d);
    ASSERT_TRUE(g.estoque && g.despesas && g.entrada && g.saida && g.kov && g.exclusoes);
    EXPECT_EQ(v(g.estoque->INITRIBUTADOS), R(15));
    EXPECT_EQ(v(g.estoque->FIMOUTROS), R(7));
    EXPECT_EQ(v(g.estoque->INITOTAL), R(2015));
    EXPECT_EQ(v(g.despesas->PROLABORE), R(300));
    ASSERT_TRUE(g.detalhamento(1) && g.detalhamento(2) && g.detalhamento(4));
    EXPECT_EQ(v(g.detalhamento(1)->ICMSCOMPRAVENDA), R(144));
    EXPECT_EQ(v(g.detalhamento(2)->VCTRANSFERENCIA), R(400));
    EXPECT_EQ(v(g.entrada->PRODUTOSAGROP), R(1000));
    EXPECT_EQ(v(g.entrada->VCTOTAL), R(1400));
    EXPECT_EQ(v(g.saida->TRANSPORTETOMADO), R(50));
    EXPECT_EQ(v(g.saida->VCESTADO), R(5000)) << "o total do detalhamento não é zerado pela variante";
    EXPECT_EQ(v(g.exclusoes->ENTAJUSTETRANSFERENCIA), R(20));
    EXPECT_EQ(v(g.exclusoes->SAITRANPORTESINICIADOOUTRA), R(10));
    EXPECT_EQ(v(g.kov->OUTRASENTRADAS), R(70));
    ASSERT_EQ(g.detalhamentoEntrada.size(), 1u);
    EXPECT_EQ(v(g.detalhamentoEntrada[0].VALOR), R(70));
    ASSERT_EQ(g.giEntrada.size(), 1u);
    EXPECT_EQ(g.giEntrada[0].UF_ID, "SP");
    EXPECT_EQ(v(g.giEntrada[0].STOUTROS), R(1));
    ASSERT_EQ(g.giSaidas.size(), 1u);
    EXPECT_EQ(v(g.giSaidas[0].SUBSTTRIBUTARIA), R(3));

    // Reaberta, as páginas mostram o que foi gravado
    Editor e(d, 2026, false);
    TFormEdicaoDocumentos* t = e.tela.get();
    mostrarAtiva(*t);
    irPara(t, TFormEdicaoDocumentos::PaginaPrelo);
    EXPECT_EQ(t->figura(QStringLiteral("tbsPreloDebCredEstoque"), "calcIniTotal")->text(), "2.015");
    EXPECT_EQ(t->figura(QStringLiteral("tbsPreloDebCredSaida"), "VCTOTAL")->text(), "5.000");
    irPara(t, TFormEdicaoDocumentos::PaginaKOV);
    EXPECT_EQ(t->figura(QStringLiteral("tbsKovExclusoes"), "ENTIPI")->text(), "30");
    EXPECT_EQ(t->total("agTotalValor"), "70");
    irPara(t, TFormEdicaoDocumentos::PaginaGI);
    EXPECT_EQ(t->grdGIEntrada->model()->index(0, 1).data().toString(), "300");
    EXPECT_EQ(t->total("agTotalST"), "3");
    t->cancelarEFechar();
}

TEST(Figuras, SimplificadaComApuracaoEscritaEGIQueNaoSeInforma) {
    Documentos d("2005");
    Editor e(d, 2026, true);
    TFormEdicaoDocumentos* t = e.tela.get();
    mostrarAtiva(*t);
    preencherCabecalho(t, "1234567890107", "Simplificado - Micro", d.nomeMunicipio(2));
    mostrarAtiva(*t);
    QTest::mouseClick(t->grpApuracao->botao("1"), Qt::LeftButton);  // "Real"
    QTest::mouseClick(t->grpEscrita->botao("S"), Qt::LeftButton);
    irPara(t, TFormEdicaoDocumentos::PaginaPrelo);
    ASSERT_EQ(t->pgcPrincipal->currentIndex(), TFormEdicaoDocumentos::PaginaPrelo);
    EXPECT_TRUE(t->pgcPrelo->isTabVisible(0));
    EXPECT_FALSE(t->pgcPrelo->isTabVisible(1));
    EXPECT_FALSE(t->pgcPreloSimples->isTabVisible(1)) << "com escrita contábil, o resultado";
    EXPECT_TRUE(t->pgcPreloSimples->isTabVisible(2));

    // Só a correção monetária aceita o sinal; um valor com centavos vindo de fora é truncado
    const QString dro = QStringLiteral("tbsPreloSimplesDRO");
    t->pgcPreloSimples->setCurrentIndex(2);
    digitarFigura(t->figura(dro, "CORRECAOMONETARIA"), "-5");
    digitarFigura(t->figura(dro, "IMPOSTO"), "-5");
    EXPECT_EQ(t->figura(dro, "CORRECAOMONETARIA")->text(), "-5");
    EXPECT_EQ(t->figura(dro, "IMPOSTO")->text(), "5");
    e.cds.alterarAgregado([](Declaracao& x) { x.resultado->RECEITABRUTA = Dinheiro::deCentavos(1290); });
    CampoValor* receita = t->figura(dro, "RECEITABRUTA");
    receita->setFocus();
    EXPECT_EQ(receita->text(), "12,90");
    QTest::keyClick(receita, Qt::Key_Tab);
    EXPECT_EQ(receita->text(), "12");
    EXPECT_EQ(v(e.cds.agregado()->resultado->RECEITABRUTA), R(12));
    EXPECT_EQ(t->figura(dro, "calcLucroPrejuizoOperacional")->text(), "2") << "12 - 5 - 5";

    // Regime 5 com apuração "Real": as saídas por destino se informam
    t->pgcPreloSimples->setCurrentIndex(3);
    digitarFigura(t->figura(QStringLiteral("tbsPreloSimplesEntrada"), "VCTOTALSIMPLES"), "900");
    const QString saida = QStringLiteral("tbsPreloSimplesSaida");
    t->pgcPreloSimples->setCurrentIndex(4);
    EXPECT_FALSE(t->figura(saida, "VCESTADO")->isReadOnly());
    digitarFigura(t->figura(saida, "VCESTADO"), "700");
    digitarFigura(t->figura(saida, "VCTOTALSIMPLES"), "1000");
    irPara(t, TFormEdicaoDocumentos::PaginaGI);
    ASSERT_EQ(t->pgcPrincipal->currentIndex(), TFormEdicaoDocumentos::PaginaGI);
    t->actIncluirGIEntrada->trigger();
    linhaGI(t->grdGIEntrada, "SP", {"100"});
    EXPECT_TRUE(t->gradeGIEntrada->sairDaGrade());
    ASSERT_EQ(e.cds.agregado()->giEntrada.size(), 1u);

    // "Presumida": as saídas por destino travam zeradas e a GI é apagada com o aviso
    irPara(t, TFormEdicaoDocumentos::PaginaDocumento);
    QTest::mouseClick(t->grpApuracao->botao("2"), Qt::LeftButton);
    irPara(t, TFormEdicaoDocumentos::PaginaPrelo);
    EXPECT_TRUE(t->figura(saida, "VCESTADO")->isReadOnly());
    EXPECT_EQ(t->figura(saida, "VCESTADO")->text(), "0");
    EXPECT_EQ(t->figura(saida, "VCTOTALSIMPLES")->text(), "1.000");
    irPara(t, TFormEdicaoDocumentos::PaginaGI);
    EXPECT_EQ(d.amb.ui.textos().back(), Q("Não é possível informar GI").toStdString());
    EXPECT_EQ(t->pgcPrincipal->currentIndex(), TFormEdicaoDocumentos::PaginaDocumento);
    EXPECT_TRUE(e.cds.agregado()->giEntrada.empty());

    QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
    ASSERT_TRUE(e.cds.navegando()) << d.amb.ui.textos().back();
    const Declaracao g = gravada(d);
    ASSERT_TRUE(g.entrada && g.saida && g.resultado);
    EXPECT_EQ(v(g.entrada->VCTOTALSIMPLES), R(900));
    EXPECT_EQ(v(g.saida->VCTOTALSIMPLES), R(1000));
    EXPECT_EQ(v(g.saida->VCESTADO), R(0));
    EXPECT_EQ(v(g.resultado->CORRECAOMONETARIA), R(-5));
    EXPECT_TRUE(g.giEntrada.empty());
    EXPECT_TRUE(g.detalhamentoES.empty());
}

TEST(Figuras, GIApagadaNoRegime3) {
    Documentos d;
    const int id = d.gravarDeclaracao(3);
    ASSERT_EQ(CarregarDeclaracao(d.dm().MainConnection, id).giEntrada.size(), 1u);
    Editor e(d, 2026, false);
    mostrarAtiva(*e.tela);
    irPara(e.tela.get(), TFormEdicaoDocumentos::PaginaGI);
    EXPECT_EQ(d.amb.ui.textos().back(), Q("Não é possível informar GI").toStdString());
    EXPECT_EQ(e.tela->pgcPrincipal->currentIndex(), TFormEdicaoDocumentos::PaginaDocumento);
    EXPECT_TRUE(e.cds.agregado()->giEntrada.empty());
    EXPECT_EQ(e.tela->grdGIEntrada->model()->rowCount(), 0);
}

TEST(Figuras, TransportadorExteriorELimiteDasExclusoes) {
    Documentos d;
    Editor e(d, 2026, true);
    TFormEdicaoDocumentos* t = e.tela.get();
    mostrarAtiva(*t);
    preencherCabecalho(t, "9876543210105", "Normal", d.nomeMunicipio(2));
    mostrarAtiva(*t);
    irPara(t, TFormEdicaoDocumentos::PaginaPrelo);
    ASSERT_EQ(t->pgcPrincipal->currentIndex(), TFormEdicaoDocumentos::PaginaPrelo);
    const QString saida = QStringLiteral("tbsPreloDebCredSaida");
    for (const char* c : {"COOPERATIVA", "AJUSTETRANSFERENCIA"}) {
        EXPECT_TRUE(t->figura(saida, c)->isReadOnly()) << c;
        EXPECT_EQ(t->figura(saida, c)->focusPolicy(), Qt::NoFocus) << c;
    }

    // Primeira visita ao exterior cria a linha do tipo 3; a segunda edita a mesma
    e.cds.alterarAgregado([](Declaracao& x) { x.detalhamentoES.clear(); });
    for (const char* valor : {"10", "20"})
        detalhar(t, t->actEntradaExterior, {{"VCOUTRAS", valor}}, [](ui::TfrmAncestralDetalhamentoES* s) {
            EXPECT_EQ(s->windowTitle(), "Entradas do Exterior");
            EXPECT_FALSE(s->rotuloLinha(1)->isVisible()) << "sem transferências";
            EXPECT_FALSE(s->campo("VCTRANSFERENCIA")->isVisible());
        });
    ASSERT_EQ(e.cds.agregado()->detalhamentoES.size(), 1u);
    EXPECT_EQ(e.cds.agregado()->detalhamentoES[0].TIPOOPERACAO_ID, 3);
    EXPECT_EQ(v(e.cds.agregado()->detalhamentoES[0].VCOUTRAS), R(20));

    // Transportador nas saídas do estado: só transportes e outras; transporte tomado zerado
    detalhar(t, t->actSaidaEstado, {{"VCTRANSPORTE", "100"}}, [](ui::TfrmAncestralDetalhamentoES* s) {
        EXPECT_EQ(s->rotuloLinha(0)->text(), " Vendas");
        for (const char* c : {"VCCOMPRAVENDA", "BCDEVOLUCAO", "ICMSCOMUNICACAO"}) EXPECT_FALSE(s->campo(c)->isEnabled()) << c;
        for (const char* c : {"VCTRANSPORTE", "ICMSOUTRAS"}) EXPECT_TRUE(s->campo(c)->isEnabled()) << c;
        EXPECT_FALSE(s->campo("TRANSPORTETOMADO")->isEnabled());
        EXPECT_EQ(s->campo("TRANSPORTETOMADO")->text(), "0");
    });
    EXPECT_EQ(t->figura(saida, "VCTOTAL")->text(), "100");

    // Exclusões do transportador: só as de transporte; o limite é o total das saídas
    irPara(t, TFormEdicaoDocumentos::PaginaKOV);
    const QString exclusoes = QStringLiteral("tbsKovExclusoes");
    EXPECT_TRUE(t->figura(exclusoes, "ENTIPI")->isReadOnly());
    digitarFigura(t->figura(exclusoes, "ENTSUBCONTRATACAOTRANSPORTE"), "60");
    digitarFigura(t->figura(exclusoes, "SAITRANPORTESINICIADOOUTRA"), "41");
    QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
    EXPECT_EQ(d.amb.ui.textos().back(), Q("Os valores lançados na exclusão do KOV estão superiores aos serviços "
                                          "prestados informados na PRELO.").toStdString());
    EXPECT_TRUE(e.cds.editando());
    EXPECT_EQ(d.contar("DOCUMENTO"), 0);
    digitarFigura(t->figura(exclusoes, "SAITRANPORTESINICIADOOUTRA"), "40");  // igual passa
    QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
    EXPECT_TRUE(e.cds.navegando()) << d.amb.ui.textos().back();
    EXPECT_EQ(d.contar("DOCUMENTO"), 1);
}

TEST(Figuras, DetalhamentoVindoDaListaDeConsistenciasGravaNaBase) {
    Documentos d;
    const int id = d.gravarDeclaracao(1);
    Editor e(d, 2026, false);
    mostrarAtiva(*e.tela);
    auto tela = ui::CriarTelaDetalhamento(2, d.dm(), e.cds, e.tela.get());
    tela->definirDaListaConsistencia(true);
    mostrarAtiva(*tela);
    digitarFigura(tela->campo("VCOUTRAS"), "33");
    QTest::mouseClick(tela->botaoGravar(), Qt::LeftButton);
    EXPECT_FALSE(tela->isVisible());
    // Sem gravação do editor depois: a declaração já está na base, com os totais refeitos
    const Declaracao g = CarregarDeclaracao(d.dm().MainConnection, id);
    ASSERT_TRUE(g.detalhamento(2) && g.entrada);
    EXPECT_EQ(v(g.detalhamento(2)->VCOUTRAS), R(33));
    EXPECT_EQ(v(g.entrada->VCOUTROS), R(33));
    EXPECT_TRUE(e.cds.editando()) << "o editor continua com a declaração em edição";
}
