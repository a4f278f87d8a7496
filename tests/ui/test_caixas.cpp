// Formatos do processo, textos em português das caixas de mensagem e a Interacao gráfica.
#include <QApplication>
#include <QDate>
#include <QLocale>
#include <gtest/gtest.h>

#include "ApoioUi.h"
#include "ui/CaixaMensagem.h"
#include "ui/InteracaoGui.h"

using namespace kov;
using namespace kov::teste;

TEST(Aplicacao, FormatosDoBrasilValemParaOProcesso) {
    aplicacaoTeste();
    EXPECT_EQ(QApplication::applicationName(), "KOV");
    const QLocale l;
    EXPECT_EQ(l.language(), QLocale::Portuguese);
    EXPECT_EQ(l.territory(), QLocale::Brazil);
    EXPECT_EQ(l.dateFormat(QLocale::ShortFormat), "dd/MM/yyyy");
    EXPECT_EQ(l.toString(QDate(2016, 3, 9), QLocale::ShortFormat), "09/03/2016");
    EXPECT_EQ(l.groupSeparator(), ".");
    EXPECT_EQ(l.decimalPoint(), ",");
    EXPECT_EQ(l.toString(1234567.5, 'f', 2), "1.234.567,50");
}

TEST(CaixaMensagem, QuebrasDeLinhaDoSistemaViramQuebrasNaTela) {
    EXPECT_EQ(ui::TextoParaTela("Erro na abertura da base : \r\nArquivo INI não encontrado!"),
              "Erro na abertura da base : \nArquivo INI não encontrado!");
    EXPECT_EQ(ui::TextoParaTela("a\rb\r\nc\nd"), "a\nb\nc\nd");
    EXPECT_EQ(ui::TextoParaTela("Atenção"), QString::fromUtf8("Atenção"));
}

TEST(InteracaoGui, PerguntaMostraSimNaoEmPortuguesComOTextoEOTitulo) {
    aplicacaoTeste();
    ui::InteracaoGui gui;
    QString titulo, texto, sim, nao;
    QMessageBox::Icon icone = QMessageBox::NoIcon;
    quandoCaixaAparecer([&](QMessageBox* c) {
        titulo = c->windowTitle();
        texto = c->text();
        icone = c->icon();
        sim = textoBotao(c, QMessageBox::Yes);
        nao = textoBotao(c, QMessageBox::No);
        c->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(gui.pergunta("Alteração de parâmetro", "Primeira linha\r\nsegunda.\rTerceira?"));
    EXPECT_EQ(titulo, QString::fromUtf8("Alteração de parâmetro"));
    EXPECT_EQ(texto, "Primeira linha\nsegunda.\nTerceira?");
    EXPECT_EQ(icone, QMessageBox::Question);
    EXPECT_EQ(sim, "&Sim");
    EXPECT_EQ(nao, QString::fromUtf8("&Não"));

    quandoCaixaAparecer([](QMessageBox* c) { c->button(QMessageBox::Yes)->click(); });
    EXPECT_TRUE(gui.pergunta("", "Deseja sair do sistema ?"));
}

TEST(InteracaoGui, MensagensTemTituloPadraoPorTipoEBotaoOk) {
    aplicacaoTeste();
    ui::InteracaoGui gui;
    struct Caso {
        TipoMensagem tipo;
        const char* titulo;
        QMessageBox::Icon icone;
    } casos[] = {
        {TipoMensagem::Aviso, "Aviso", QMessageBox::Warning},
        {TipoMensagem::Erro, "Erro", QMessageBox::Critical},
        {TipoMensagem::Informacao, "Informação", QMessageBox::Information},
        {TipoMensagem::Confirmacao, "Confirme", QMessageBox::Question},
    };
    for (const auto& caso : casos) {
        QString titulo, ok;
        QMessageBox::Icon icone = QMessageBox::NoIcon;
        quandoCaixaAparecer([&](QMessageBox* c) {
            titulo = c->windowTitle();
            icone = c->icon();
            ok = textoBotao(c, QMessageBox::Ok);
            c->button(QMessageBox::Ok)->click();
        });
        gui.mensagem(caso.tipo, "", "texto");
        EXPECT_EQ(titulo, QString::fromUtf8(caso.titulo));
        EXPECT_EQ(icone, caso.icone);
        EXPECT_EQ(ok, "Ok");
    }

    // Título dado pelo chamador prevalece; o erro padrão tem o título "Erro".
    QString titulo, texto;
    quandoCaixaAparecer([&](QMessageBox* c) {
        titulo = c->windowTitle();
        c->button(QMessageBox::Ok)->click();
    });
    gui.mensagem(TipoMensagem::Aviso, "Atenção", "Versão incompatível");
    EXPECT_EQ(titulo, QString::fromUtf8("Atenção"));
    quandoCaixaAparecer([&](QMessageBox* c) {
        titulo = c->windowTitle();
        texto = c->text();
        c->button(QMessageBox::Ok)->click();
    });
    gui.erro("Erro na abertura da base : \r\nfalhou");
    EXPECT_EQ(titulo, "Erro");
    EXPECT_EQ(texto, "Erro na abertura da base : \nfalhou");
}

TEST(CaixaMensagem, CaixasCriadasPelasFuncoesDoQtTambemFicamEmPortugues) {
    aplicacaoTeste();
    QString titulo, sim, nao, cancelar;
    quandoCaixaAparecer([&](QMessageBox* c) {
        titulo = c->windowTitle();
        sim = textoBotao(c, QMessageBox::Yes);
        nao = textoBotao(c, QMessageBox::No);
        cancelar = textoBotao(c, QMessageBox::Cancel);
        c->button(QMessageBox::Cancel)->click();
    });
    const auto r = QMessageBox::question(nullptr, QString(), QStringLiteral("Continuar?"),
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(r, QMessageBox::Cancel);
    EXPECT_EQ(titulo, "Confirme");
    EXPECT_EQ(sim, "&Sim");
    EXPECT_EQ(nao, QString::fromUtf8("&Não"));
    EXPECT_EQ(cancelar, "Cancelar");

    QMessageBox caixa(QMessageBox::Warning, QString(), QStringLiteral("x"),
                      QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore | QMessageBox::YesToAll |
                          QMessageBox::NoToAll | QMessageBox::Help);
    ui::TraduzirCaixa(caixa);
    EXPECT_EQ(caixa.windowTitle(), "Aviso");
    EXPECT_EQ(textoBotao(&caixa, QMessageBox::Abort), "&Abortar");
    EXPECT_EQ(textoBotao(&caixa, QMessageBox::Retry), "&Repetir");
    EXPECT_EQ(textoBotao(&caixa, QMessageBox::Ignore), "&Ignorar");
    EXPECT_EQ(textoBotao(&caixa, QMessageBox::Help), "&Ajuda");
    EXPECT_EQ(textoBotao(&caixa, QMessageBox::NoToAll), QString::fromUtf8("N&ão para Todos"));
    EXPECT_EQ(textoBotao(&caixa, QMessageBox::YesToAll), "Sim pata &Todos");
}
