// Seletores das telas de cadastro: árvore CNAE-F e busca de municípios.
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "ApoioUi.h"
#include "ui/Ajuda.h"
#include "ui/InteracaoGui.h"
#include "ui/untCnaef.h"
#include "ui/untMunicipio.h"

using namespace kov;
using namespace kov::teste;

namespace {


// Mostra o item (abrindo os ramos de cima) e devolve o centro dele na área da árvore.
QPoint centroDoItem(QTreeWidget* arvore, QTreeWidgetItem* item) {
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
    arvore->scrollToItem(item);
    return arvore->visualItemRect(item).center();
}

void clicarItem(QTreeWidget* arvore, QTreeWidgetItem* item) {
    QTest::mouseClick(arvore->viewport(), Qt::LeftButton, {}, centroDoItem(arvore, item));
}

// Duplo clique como o do sistema de janelas: pressiona e solta, depois o duplo clique e
// o soltar (o QTest::mouseDClick sozinho manda só o evento de duplo clique).
void duploClique(QWidget* area, QPoint ponto) {
    QTest::mouseClick(area, Qt::LeftButton, {}, ponto);
    QTest::mouseDClick(area, Qt::LeftButton, {}, ponto);
    QTest::mouseRelease(area, Qt::LeftButton, {}, ponto);
}

void duploCliqueItem(QTreeWidget* arvore, QTreeWidgetItem* item) {
    duploClique(arvore->viewport(), centroDoItem(arvore, item));
}


QString municipioDaLinha(ui::TfrmEscolheMunicipio& tela, int linha) {
    return tela.grade()->model()->index(linha, 0).data().toString();
}

QString municipioAtual(ui::TfrmEscolheMunicipio& tela) { return municipioDaLinha(tela, tela.linhaAtual()); }

int linhaDoMunicipio(ui::TfrmEscolheMunicipio& tela, const QString& nome) {
    auto* m = tela.grade()->model();
    for (int i = 0; i < m->rowCount(); ++i)
        if (m->index(i, 0).data().toString() == nome) return i;
    return -1;
}

const char* const Supermercados =
    "4711-3/02 - Comércio varejista de mercadorias em geral, com predominância de produtos alimentícios - "
    "supermercados";
const char* const SupermercadosAte1000 =
    "4711-3/02  [ 01 ]   - Supermercados com área de venda de até 1.000 metros quadrados";
const char* const Hipermercados =
    "4711-3/01 - Comércio varejista de mercadorias em geral, com predominância de produtos alimentícios - "
    "hipermercados";

}  // namespace

TEST(EscolheCnaef, GrupoNaoConfirmaSubclasseSemDesmembramentoConfirmaComCodigoE00) {
    AmbienteTela amb("2016");
    ui::TfrmEscolheCnaef tela(*amb.dm);
    tela.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tela));
    EXPECT_EQ(tela.windowTitle(), "CNAE-F");
    EXPECT_EQ(tela.actConfirmar()->objectName(), "actConfirmar");
    EXPECT_EQ(tela.botaoConfirmar()->text(), "&Confirmar");
    EXPECT_EQ(tela.botaoFechar()->text(), "&Fechar");
    EXPECT_EQ(ui::ContextoAjudaDe(&tela), 0);
    EXPECT_EQ(tela.arvore()->editTriggers(), QAbstractItemView::NoEditTriggers);
    // Nada escolhido ainda
    EXPECT_FALSE(tela.actConfirmar()->isEnabled());
    EXPECT_FALSE(tela.botaoConfirmar()->isEnabled());

    // Primeiro nível: as divisões, na ordem dos códigos
    ASSERT_GE(tela.arvore()->topLevelItemCount(), 2);
    EXPECT_EQ(tela.arvore()->topLevelItem(0)->text(0), Q("01 - Agricultura, pecuária e serviços relacionados"));
    QTreeWidgetItem* divisao = tela.itemDoTexto(Q("47 - Comércio varejista"));
    ASSERT_NE(divisao, nullptr);
    EXPECT_EQ(divisao->parent(), nullptr);
    QTreeWidgetItem* grupo = tela.itemDoTexto(Q("471 - Comércio varejista não-especializado"));
    ASSERT_NE(grupo, nullptr);
    EXPECT_EQ(grupo->parent(), divisao);
    EXPECT_FALSE(grupo->flags() & Qt::ItemIsEditable);
    QTreeWidgetItem* subclasse = tela.itemDoTexto(Q(Hipermercados));
    ASSERT_NE(subclasse, nullptr);
    EXPECT_EQ(subclasse->parent()->text(0),
              Q("4711-3 - Comércio varejista de mercadorias em geral, com predominância de produtos alimentícios - "
                "hipermercados e supermercados"));
    EXPECT_EQ(subclasse->parent()->parent(), grupo);
    // Ramos com a figura de ramo, folhas com a de folha
    QTreeWidgetItem* comDesmembramentos = tela.itemDoTexto(Q(Supermercados));
    ASSERT_NE(comDesmembramentos, nullptr);
    EXPECT_EQ(comDesmembramentos->childCount(), 2);
    EXPECT_EQ(grupo->icon(0).cacheKey(), divisao->icon(0).cacheKey());
    EXPECT_EQ(comDesmembramentos->icon(0).cacheKey(), grupo->icon(0).cacheKey());
    EXPECT_NE(subclasse->icon(0).cacheKey(), grupo->icon(0).cacheKey());
    EXPECT_EQ(comDesmembramentos->child(0)->icon(0).cacheKey(), subclasse->icon(0).cacheKey());
    EXPECT_FALSE(subclasse->icon(0).isNull());

    // O grupo não se escolhe: Confirmar desabilitado e o duplo clique não fecha a tela
    clicarItem(tela.arvore(), grupo);
    EXPECT_EQ(tela.arvore()->currentItem(), grupo);
    EXPECT_FALSE(tela.actConfirmar()->isEnabled());
    EXPECT_FALSE(tela.botaoConfirmar()->isEnabled());
    duploCliqueItem(tela.arvore(), grupo);
    EXPECT_TRUE(tela.isVisible());
    // Nem a subclasse que tem desmembramentos
    clicarItem(tela.arvore(), comDesmembramentos);
    EXPECT_FALSE(tela.actConfirmar()->isEnabled());
    tela.actConfirmar()->trigger();  // desabilitada: nada acontece
    EXPECT_TRUE(tela.isVisible());

    // A subclasse sem desmembramentos se escolhe
    clicarItem(tela.arvore(), subclasse);
    EXPECT_TRUE(tela.actConfirmar()->isEnabled());
    EXPECT_TRUE(tela.botaoConfirmar()->isEnabled());
    // Voltar a um ramo desabilita de novo
    clicarItem(tela.arvore(), divisao);
    EXPECT_FALSE(tela.botaoConfirmar()->isEnabled());
    clicarItem(tela.arvore(), subclasse);
    EXPECT_TRUE(tela.codigo().empty());
    QTest::mouseClick(tela.botaoConfirmar(), Qt::LeftButton);
    EXPECT_FALSE(tela.isVisible());
    EXPECT_EQ(tela.result(), QDialog::Accepted);
    EXPECT_EQ(tela.codigo(), "4711301");
    EXPECT_EQ(tela.desmembramento(), "00");
    EXPECT_TRUE(amb.ui.mensagens.empty());
}

TEST(EscolheCnaef, DuploCliqueNoDesmembramentoDevolveASubclasseEOSeuDesmembramento) {
    AmbienteTela amb("2016");
    ui::TfrmEscolheCnaef tela(*amb.dm);
    // Como quem chama: tela modal, resultado lido depois da confirmação
    QTimer::singleShot(0, &tela, [&] {
        QTreeWidgetItem* item = tela.itemDoTexto(Q(SupermercadosAte1000));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->parent()->text(0), Q(Supermercados));
        EXPECT_EQ(item->childCount(), 0);
        duploCliqueItem(tela.arvore(), item);
        if (tela.isVisible()) tela.reject();  // o duplo clique não confirmou: falha abaixo
    });
    ASSERT_EQ(tela.exec(), QDialog::Accepted);
    EXPECT_EQ(tela.codigo(), "4711302");
    EXPECT_EQ(tela.desmembramento(), "01");

    // Outro desmembramento, pelo botão
    ui::TfrmEscolheCnaef outra(*amb.dm);
    outra.show();
    QTreeWidgetItem* item = outra.itemDoTexto(Q("4930-2/02  [ 03 ]   - Transporte rodoviário de carga internacional"));
    ASSERT_NE(item, nullptr);
    clicarItem(outra.arvore(), item);
    ASSERT_TRUE(outra.botaoConfirmar()->isEnabled());
    QTest::mouseClick(outra.botaoConfirmar(), Qt::LeftButton);
    EXPECT_EQ(outra.result(), QDialog::Accepted);
    EXPECT_EQ(outra.codigo(), "4930202");
    EXPECT_EQ(outra.desmembramento(), "03");
}

TEST(EscolheCnaef, AnoBaseEscolheAGeracaoDaTabelaEFecharNaoDevolveNada) {
    AmbienteTela amb("2005");
    {
        ui::TfrmEscolheCnaef tela(*amb.dm);
        EXPECT_NE(tela.itemDoTexto(Q("0111-2/01 - Cultivo de arroz")), nullptr);
        EXPECT_EQ(tela.itemDoTexto(Q("0111-3/01 - Cultivo de arroz")), nullptr);
        EXPECT_NE(tela.itemDoTexto(Q("5212-4/00  [ 01 ]   - Supermercados com área de venda de até 1.000 metros "
                                     "quadrados")),
                  nullptr);
        EXPECT_EQ(tela.itemDoTexto(Q(Hipermercados)), nullptr);
        tela.show();
        QTreeWidgetItem* arroz = tela.itemDoTexto(Q("0111-2/01 - Cultivo de arroz"));
        clicarItem(tela.arvore(), arroz);
        ASSERT_TRUE(tela.actConfirmar()->isEnabled());
        QTest::mouseClick(tela.botaoFechar(), Qt::LeftButton);
        EXPECT_FALSE(tela.isVisible());
        EXPECT_EQ(tela.result(), QDialog::Rejected);
        EXPECT_TRUE(tela.codigo().empty());
        EXPECT_TRUE(tela.desmembramento().empty());
    }
    // O ano base muda: a próxima abertura lê a tabela de novo
    amb.dm->GravarParametro("ANOEXERCICIO", "2016");
    ui::TfrmEscolheCnaef tela(*amb.dm);
    EXPECT_EQ(tela.itemDoTexto(Q("0111-2/01 - Cultivo de arroz")), nullptr);
    EXPECT_NE(tela.itemDoTexto(Q("0111-3/01 - Cultivo de arroz")), nullptr);
    EXPECT_NE(tela.itemDoTexto(Q(Hipermercados)), nullptr);
    // Os códigos comuns às duas tabelas continuam
    EXPECT_NE(tela.itemDoTexto(Q("011 - Produção de lavouras temporárias")), nullptr);
    // Escape fecha sem confirmar
    tela.show();
    clicarItem(tela.arvore(), tela.itemDoTexto(Q(Hipermercados)));
    QTest::keyClick(&tela, Qt::Key_Escape);
    EXPECT_FALSE(tela.isVisible());
    EXPECT_EQ(tela.result(), QDialog::Rejected);
    EXPECT_TRUE(tela.codigo().empty());

    // Referências fechadas (conexão refeita): a tela as abre de novo
    amb.dm->DefinirConexao(false);
    amb.dm->DefinirConexao(true);
    ASSERT_FALSE(amb.dm->ref.abertas);
    ui::TfrmEscolheCnaef reaberta(*amb.dm);
    EXPECT_NE(reaberta.itemDoTexto(Q(Hipermercados)), nullptr);
    EXPECT_TRUE(amb.ui.mensagens.empty());
}

TEST(EscolheMunicipio, TextosFocoEMaiusculasAoDigitarMantendoOCursor) {
    AmbienteTela amb;
    ui::TfrmEscolheMunicipio tela(*amb.dm);
    tela.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tela));
    EXPECT_EQ(tela.windowTitle(), Q("Municípios"));
    EXPECT_EQ(tela.findChild<QLabel*>("lblLocalizar")->text(), "Localizar:");
    EXPECT_EQ(tela.botaoConfirmar()->text(), "&Confirmar");
    EXPECT_EQ(tela.botaoFechar()->text(), "&Fechar");
    EXPECT_EQ(tela.actConfirmar()->objectName(), "actConfirmar");
    EXPECT_EQ(ui::ContextoAjudaDe(&tela), 0);
    EXPECT_EQ(tela.focusWidget(), tela.caixaLocalizar());
    // A grade: uma linha por município, na ordem da lista, só leitura, escolha de linha
    ASSERT_EQ(tela.grade()->model()->rowCount(), static_cast<int>(amb.dm->ref.cdsMunicipio.size()));
    EXPECT_EQ(municipioDaLinha(tela, 0), QString::fromStdString(amb.dm->ref.cdsMunicipio[0].DESCRICAO));
    EXPECT_EQ(tela.grade()->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(tela.grade()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(tela.linhaAtual(), 0);
    EXPECT_TRUE(tela.actConfirmar()->isEnabled());

    digitar(tela.caixaLocalizar(), Q("são j"));
    EXPECT_EQ(tela.caixaLocalizar()->text(), Q("SÃO J"));
    // Ordem alfabética do português: JOÃO antes de JORGE
    EXPECT_EQ(municipioAtual(tela), Q("SÃO JOÃO DAS PEDRAS"));
    EXPECT_EQ(tela.grade()->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(tela.grade()->selectionModel()->selectedRows().front().row(), tela.linhaAtual());
    digitar(tela.caixaLocalizar(), Q("os"));
    EXPECT_EQ(tela.caixaLocalizar()->text(), Q("SÃO JOS"));
    EXPECT_EQ(municipioAtual(tela), Q("SÃO JOSÉ DO ARAGUARI"));
    digitar(tela.caixaLocalizar(), Q("é dos"));
    EXPECT_EQ(municipioAtual(tela), Q("SÃO JOSÉ DOS CAMPOS ALTOS"));
    // A letra no meio do texto também sobe para maiúscula, com o cursor logo depois dela
    tela.caixaLocalizar()->clear();
    digitar(tela.caixaLocalizar(), Q("campo "));
    EXPECT_EQ(municipioAtual(tela), Q("CAMPO ALEGRE DO FIDALGO"));
    tela.caixaLocalizar()->setCursorPosition(5);
    digitar(tela.caixaLocalizar(), Q("s"));
    EXPECT_EQ(tela.caixaLocalizar()->text(), Q("CAMPOS "));
    EXPECT_EQ(tela.caixaLocalizar()->cursorPosition(), 6);
    EXPECT_EQ(municipioAtual(tela), Q("CAMPOS ALTOS"));
    // Apagar tudo não procura nem avisa; a grade fica onde estava
    tela.caixaLocalizar()->clear();
    EXPECT_EQ(municipioAtual(tela), Q("CAMPOS ALTOS"));
    // Um município que começa com letra acentuada
    digitar(tela.caixaLocalizar(), Q("águas l"));
    EXPECT_EQ(municipioAtual(tela), Q("ÁGUAS LINDAS"));
    EXPECT_TRUE(amb.ui.mensagens.empty());
}

TEST(EscolheMunicipio, SemCorrespondenciaAvisaTiraAUltimaLetraEMantemAPosicao) {
    AmbienteTela amb;
    ui::TfrmEscolheMunicipio tela(*amb.dm);
    tela.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tela));
    digitar(tela.caixaLocalizar(), Q("são jos"));
    const int antes = tela.linhaAtual();
    ASSERT_EQ(municipioAtual(tela), Q("SÃO JOSÉ DO ARAGUARI"));

    digitar(tela.caixaLocalizar(), Q("x"));
    ASSERT_EQ(amb.ui.mensagens.size(), 1u);
    EXPECT_EQ(amb.ui.mensagens[0].tipo, "erro");
    EXPECT_EQ(amb.ui.mensagens[0].titulo, "Erro");
    EXPECT_EQ(amb.ui.mensagens[0].texto, "Município não encontrado");
    EXPECT_EQ(tela.caixaLocalizar()->text(), Q("SÃO JOS"));
    EXPECT_EQ(tela.caixaLocalizar()->cursorPosition(), 7);
    EXPECT_EQ(tela.focusWidget(), tela.caixaLocalizar());
    EXPECT_EQ(tela.linhaAtual(), antes);

    // Várias letras de uma vez (como ao colar): só a última sai, sem nova busca, que
    // avisaria de novo porque "SÃO JOSXY" também não existe
    QTest::sendKeyEvent(QTest::Click, tela.caixaLocalizar(), Qt::Key_unknown, Q("xyz"), Qt::NoModifier);
    EXPECT_EQ(amb.ui.mensagens.size(), 2u);
    EXPECT_EQ(tela.caixaLocalizar()->text(), Q("SÃO JOSXY"));
    EXPECT_EQ(tela.caixaLocalizar()->cursorPosition(), 9);
    EXPECT_EQ(tela.linhaAtual(), antes);

    // Depois do aviso a busca continua a partir do que ficou
    tela.caixaLocalizar()->setText(Q("SÃO JOÃ"));
    EXPECT_EQ(municipioAtual(tela), Q("SÃO JOÃO DAS PEDRAS"));
    EXPECT_EQ(amb.ui.mensagens.size(), 2u);
    // "XZ" não existe; tirado o Z, "X" acharia XIQUE-XIQUE, mas não há nova busca: a
    // grade continua no município de antes
    digitar(tela.caixaLocalizar(), Q("o"));
    tela.caixaLocalizar()->clear();
    QTest::sendKeyEvent(QTest::Click, tela.caixaLocalizar(), Qt::Key_unknown, Q("xz"), Qt::NoModifier);
    EXPECT_EQ(amb.ui.mensagens.size(), 3u);
    EXPECT_EQ(tela.caixaLocalizar()->text(), "X");
    EXPECT_EQ(municipioAtual(tela), Q("SÃO JOÃO DAS PEDRAS"));
    // Agora sim, "X" digitado procura
    tela.caixaLocalizar()->clear();
    digitar(tela.caixaLocalizar(), Q("x"));
    EXPECT_EQ(municipioAtual(tela), Q("XIQUE-XIQUE"));
    EXPECT_EQ(amb.ui.mensagens.size(), 3u);
}

TEST(EscolheMunicipio, AvisoNaCaixaDeMensagemDoPrograma) {
    AmbienteTela amb;
    // Módulo de dados com a conversa da interface gráfica: a caixa de verdade
    ui::InteracaoGui gui;
    Tdm dm(gui, amb.inst.exe.string());
    dm.DataModuleCreate();
    ui::TfrmEscolheMunicipio tela(dm);
    tela.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tela));
    digitar(tela.caixaLocalizar(), Q("ouro"));
    ASSERT_EQ(municipioAtual(tela), Q("OURO BRANCO"));

    QString titulo, texto, botao;
    QMessageBox::Icon icone = QMessageBox::NoIcon;
    quandoCaixaAparecer([&](QMessageBox* caixa) {
        titulo = caixa->windowTitle();
        texto = caixa->text();
        icone = caixa->icon();
        botao = textoBotao(caixa, QMessageBox::Ok);
        caixa->button(QMessageBox::Ok)->click();
    });
    digitar(tela.caixaLocalizar(), Q("w"));
    EXPECT_EQ(titulo, "Erro");
    EXPECT_EQ(texto, Q("Município não encontrado"));
    EXPECT_EQ(icone, QMessageBox::Critical);
    EXPECT_EQ(botao, "Ok");
    EXPECT_EQ(tela.caixaLocalizar()->text(), "OURO");
    EXPECT_EQ(municipioAtual(tela), Q("OURO BRANCO"));
    EXPECT_TRUE(tela.isVisible());
}

TEST(EscolheMunicipio, DuploCliqueEConfirmarDevolvemOMunicipioFecharNao) {
    AmbienteTela amb;
    auto codigoDe = [&](const QString& nome) {
        for (const auto& m : amb.dm->ref.cdsMunicipio)
            if (QString::fromStdString(m.DESCRICAO) == nome) return m.CODDRUMUNICIPIO;
        ADD_FAILURE() << "município ausente";
        return 0;
    };
    {  // duplo clique numa linha da grade
        ui::TfrmEscolheMunicipio tela(*amb.dm);
        QTimer::singleShot(0, &tela, [&] {
            const int linha = linhaDoMunicipio(tela, Q("TRÊS CORAÇÕES"));
            ASSERT_GE(linha, 0);
            const QModelIndex i = tela.grade()->model()->index(linha, 0);
            tela.grade()->scrollTo(i);
            duploClique(tela.grade()->viewport(), tela.grade()->visualRect(i).center());
            if (tela.isVisible()) tela.reject();
        });
        ASSERT_EQ(tela.exec(), QDialog::Accepted);
        EXPECT_EQ(tela.CODDRUMUNICIPIO(), codigoDe(Q("TRÊS CORAÇÕES")));
        ASSERT_TRUE(tela.municipio().has_value());
        EXPECT_EQ(tela.municipio()->DESCRICAO, "TRÊS CORAÇÕES");
    }
    {  // busca e botão Confirmar
        ui::TfrmEscolheMunicipio tela(*amb.dm);
        QTimer::singleShot(0, &tela, [&] {
            digitar(tela.caixaLocalizar(), Q("olho"));
            QTest::mouseClick(tela.botaoConfirmar(), Qt::LeftButton);
            if (tela.isVisible()) tela.reject();
        });
        ASSERT_EQ(tela.exec(), QDialog::Accepted);
        EXPECT_EQ(tela.municipio()->DESCRICAO, "OLHO D'ÁGUA DAS FLORES");
        EXPECT_EQ(tela.CODDRUMUNICIPIO(), codigoDe(Q("OLHO D'ÁGUA DAS FLORES")));
    }
    {  // Enter na caixa de busca confirma (botão padrão)
        ui::TfrmEscolheMunicipio tela(*amb.dm);
        QTimer::singleShot(0, &tela, [&] {
            digitar(tela.caixaLocalizar(), Q("vila r"));
            QTest::keyClick(tela.caixaLocalizar(), Qt::Key_Return);
            if (tela.isVisible()) tela.reject();
        });
        ASSERT_EQ(tela.exec(), QDialog::Accepted);
        EXPECT_EQ(tela.CODDRUMUNICIPIO(), codigoDe(Q("VILA RICA")));
    }
    {  // Fechar
        ui::TfrmEscolheMunicipio tela(*amb.dm);
        QTimer::singleShot(0, &tela, [&] {
            digitar(tela.caixaLocalizar(), Q("vila r"));
            QTest::mouseClick(tela.botaoFechar(), Qt::LeftButton);
        });
        EXPECT_EQ(tela.exec(), QDialog::Rejected);
    }
    {  // Escape
        ui::TfrmEscolheMunicipio tela(*amb.dm);
        QTimer::singleShot(0, &tela, [&] { QTest::keyClick(tela.caixaLocalizar(), Qt::Key_Escape); });
        EXPECT_EQ(tela.exec(), QDialog::Rejected);
    }
    EXPECT_TRUE(amb.ui.mensagens.empty());
}
