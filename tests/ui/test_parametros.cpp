// Tela de parâmetros (ano base) e a confirmação de três saídas.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "ApoioUi.h"
#include "ui/Parametros.h"
#include "ui/frmPrincipal.h"
#include "ui/uOpcoes.h"

using namespace kov;
using namespace kov::teste;

namespace {

const char* const TextoAlteracao =
    "O ano de exercício foi alterado. Serão apresentadas apenas\r\n"
    "declarações do ano selecionado.\r\nConfirma alteração?";

QStringList itens(QComboBox* c) {
    QStringList l;
    for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
    return l;
}

QString anoBaseNaJanela(ui::TFormPrincipal& form) { return form.findChild<QLabel*>("lblAnoBase")->text(); }

}  // namespace

TEST(Parametros, ListaDeAnosDe2005AteOAnoAtualEAnoGravadoEscolhido) {
    AmbienteTela amb("2010");
    {
        ui::TfrmParametros tela(*amb.dm, nullptr, QDate(2005, 7, 15));
        EXPECT_EQ(itens(tela.listaAnos()), QStringList({"2005"}));
        EXPECT_EQ(tela.listaAnos()->currentIndex(), -1);  // 2010 não está na lista
    }
    ui::TfrmParametros tela(*amb.dm, nullptr, QDate(2016, 1, 1));
    EXPECT_EQ(itens(tela.listaAnos()), QStringList({"2016", "2015", "2014", "2013", "2012", "2011", "2010", "2009",
                                                    "2008", "2007", "2006", "2005"}));
    EXPECT_EQ(tela.listaAnos()->currentText(), "2010");
    EXPECT_FALSE(tela.listaAnos()->isEditable());
    EXPECT_EQ(tela.windowTitle(), QString::fromUtf8("Parâmetros"));
    EXPECT_EQ(tela.findChild<QLabel*>("lblAnoBase")->text(), "Ano base :");
    EXPECT_EQ(tela.botaoOk()->text(), "&OK");
    EXPECT_EQ(tela.botaoFechar()->text(), "&Fechar");
    EXPECT_TRUE(amb.ui.mensagens.empty());
}

TEST(Parametros, TrocarOAnoERespondenNaoNaoGravaMasAtualizaAJanela) {
    AmbienteTela amb("2016");
    ui::TFormPrincipal form(*amb.dm);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_EQ(anoBaseNaJanela(form), "Ano Base: 2016");
    // O ano gravado muda por fora: a janela só o mostra depois da mensagem de atualização.
    gravarParametroNaBase(amb.inst.base, "ANOEXERCICIO", "2015");

    ui::TfrmParametros tela(*amb.dm, &form, QDate(2016, 6, 1));
    tela.show();
    ASSERT_EQ(tela.listaAnos()->currentText(), "2015");
    tela.listaAnos()->setCurrentIndex(tela.listaAnos()->findText("2010"));
    amb.ui.respostas = {false};
    QTest::mouseClick(tela.botaoOk(), Qt::LeftButton);

    const auto perguntas = amb.doTipo("pergunta");
    ASSERT_EQ(perguntas.size(), 1u);
    EXPECT_EQ(perguntas[0].titulo, "Alteração de parâmetro");
    EXPECT_EQ(perguntas[0].texto, TextoAlteracao);
    EXPECT_EQ(amb.dm->LerParametro("ANOEXERCICIO"), "2015");
    EXPECT_EQ(anoBaseNaJanela(form), "Ano Base: 2015");
    EXPECT_FALSE(tela.isVisible());
    EXPECT_EQ(tela.result(), QDialog::Accepted);
}

TEST(Parametros, TrocarOAnoERespondenSimGravaOAno) {
    AmbienteTela amb("2016");
    ui::TFormPrincipal form(*amb.dm);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    ui::TfrmParametros tela(*amb.dm, &form, QDate(2016, 6, 1));
    tela.show();
    tela.listaAnos()->setCurrentIndex(tela.listaAnos()->findText("2009"));
    amb.ui.respostas = {true};
    QTest::mouseClick(tela.botaoOk(), Qt::LeftButton);
    EXPECT_EQ(amb.doTipo("pergunta").size(), 1u);
    EXPECT_EQ(amb.dm->LerParametro("ANOEXERCICIO"), "2009");
    // relido por outra conexão: está gravado de fato
    InteracaoGravada outraUi;
    Tdm outro(outraUi, amb.inst.exe.string());
    outro.DataModuleCreate();
    EXPECT_EQ(outro.LerParametro("ANOEXERCICIO"), "2009");
    EXPECT_EQ(anoBaseNaJanela(form), "Ano Base: 2009");
    EXPECT_FALSE(tela.isVisible());
}

TEST(Parametros, MesmoAnoFechaSemPerguntarESemAnoEscolhidoOkNaoFazNada) {
    AmbienteTela amb("2016");
    {
        ui::TfrmParametros tela(*amb.dm, nullptr, QDate(2016, 6, 1));
        tela.show();
        QTest::mouseClick(tela.botaoOk(), Qt::LeftButton);
        EXPECT_FALSE(tela.isVisible());
        EXPECT_TRUE(amb.ui.mensagens.empty());
    }
    gravarParametroNaBase(amb.inst.base, "ANOEXERCICIO", "1999");
    ui::TfrmParametros tela(*amb.dm, nullptr, QDate(2016, 6, 1));
    tela.show();
    ASSERT_EQ(tela.listaAnos()->currentIndex(), -1);
    QTest::mouseClick(tela.botaoOk(), Qt::LeftButton);
    EXPECT_TRUE(tela.isVisible());
    EXPECT_TRUE(amb.ui.mensagens.empty());
    EXPECT_EQ(amb.dm->LerParametro("ANOEXERCICIO"), "1999");
    QTest::mouseClick(tela.botaoFechar(), Qt::LeftButton);
    EXPECT_FALSE(tela.isVisible());
}

TEST(Parametros, AnoGravadoVazioImpedeFechar) {
    AmbienteTela amb("");
    ui::TfrmParametros tela(*amb.dm, nullptr, QDate(2016, 6, 1));
    tela.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tela));
    EXPECT_EQ(tela.listaAnos()->currentIndex(), -1);

    QTest::mouseClick(tela.botaoFechar(), Qt::LeftButton);
    EXPECT_TRUE(tela.isVisible());
    tela.close();  // pela moldura
    EXPECT_TRUE(tela.isVisible());
    QTest::keyClick(&tela, Qt::Key_Escape);
    EXPECT_TRUE(tela.isVisible());
    const auto infos = amb.doTipo("info");
    ASSERT_EQ(infos.size(), 3u);
    for (const auto& m : infos) {
        EXPECT_EQ(m.texto, "O ano de exercício deve ser informado");
        EXPECT_EQ(m.titulo, "Parâmetros");
    }

    // escolher o ano e responder Não: nada gravado, a tela continua presa
    tela.listaAnos()->setCurrentIndex(tela.listaAnos()->findText("2016"));
    amb.ui.respostas = {false};
    QTest::mouseClick(tela.botaoOk(), Qt::LeftButton);
    EXPECT_TRUE(tela.isVisible());
    EXPECT_EQ(amb.dm->LerParametro("ANOEXERCICIO"), "");
    EXPECT_EQ(amb.doTipo("info").size(), 4u);

    // respondendo Sim o ano é gravado e a tela fecha
    amb.ui.respostas = {true};
    QTest::mouseClick(tela.botaoOk(), Qt::LeftButton);
    EXPECT_FALSE(tela.isVisible());
    EXPECT_EQ(amb.dm->LerParametro("ANOEXERCICIO"), "2016");
}

TEST(Opcoes, TextosEResultadoDeCadaBotao) {
    aplicacaoTeste();
    struct Caso {
        QPushButton* (ui::TscrOpcoes::*botao)() const;
        const char* resultado;
    } casos[] = {
        {&ui::TscrOpcoes::botaoSim, "S"},
        {&ui::TscrOpcoes::botaoNao, "N"},
        {&ui::TscrOpcoes::botaoOutroNome, "R"},
    };
    for (const auto& caso : casos) {
        ui::TscrOpcoes tela;
        EXPECT_EQ(tela.windowTitle(), QString::fromUtf8("Confirmação"));
        EXPECT_EQ(tela.findChild<QLabel*>("lblMensagem")->text(),
                  "Já existe um arquivo de backup com data de hoje. Deseja sobrescreve-lo?");
        EXPECT_EQ(tela.botaoSim()->text(), "&Sim");
        EXPECT_EQ(tela.botaoNao()->text(), QString::fromUtf8("&Não"));
        EXPECT_EQ(tela.botaoOutroNome()->text(), "Grava&r com outro nome");
        EXPECT_EQ(tela.resultado(), "");
        QTimer::singleShot(0, &tela, [&] { QTest::mouseClick((tela.*caso.botao)(), Qt::LeftButton); });
        tela.exec();
        EXPECT_EQ(tela.resultado(), caso.resultado);
        EXPECT_FALSE(tela.isVisible());
    }

    ui::TscrOpcoes tela;
    QTimer::singleShot(0, &tela, [&] { tela.close(); });
    EXPECT_EQ(tela.exec(), QDialog::Rejected);
    EXPECT_EQ(tela.resultado(), "");
}
