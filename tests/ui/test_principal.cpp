// Janela principal: textos, comandos, saída, atualização do ano base, relógio e ajuda.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include "ApoioUi.h"
#include "ui/Ajuda.h"
#include "ui/Eventos.h"
#include "ui/Parametros.h"
#include "ui/frmPrincipal.h"

using namespace kov;
using namespace kov::teste;
namespace fs = std::filesystem;

namespace {

QString textoDe(QWidget& w, const char* nome) {
    auto* l = w.findChild<QLabel*>(QString::fromLatin1(nome));
    return l ? l->text() : QStringLiteral("<sem %1>").arg(QString::fromLatin1(nome));
}

QAction* acao(QWidget& w, const char* nome) { return w.findChild<QAction*>(QString::fromLatin1(nome)); }

std::vector<ui::JanelaAjuda*> janelasAjuda() {
    std::vector<ui::JanelaAjuda*> v;
    for (QWidget* w : QApplication::allWidgets())
        if (auto* j = qobject_cast<ui::JanelaAjuda*>(w); j && j->isVisible()) v.push_back(j);
    return v;
}


}  // namespace

TEST(FormPrincipal, TitulosRotulosEBarraDeStatus) {
    AmbienteTela amb("2016");
    ui::TFormPrincipal form(*amb.dm);
    form.definirRelogio([] { return QDateTime(QDate(2016, 3, 9), QTime(14, 5, 9)); });
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("PRELO - Versão 7.07.10"));
    EXPECT_EQ(textoDe(form, "lblSigla"), "KOV");
    EXPECT_EQ(textoDe(form, "lblVersao"), QString::fromUtf8("Versão: 7.07.10"));
    EXPECT_EQ(textoDe(form, "lblAnoBase"), "Ano Base: 2016");
    EXPECT_EQ(textoDe(form, "lblRelogio"), "Data e hora do seu computador: 09/03/2016 14:05:09");
    EXPECT_EQ(textoDe(form, "lblPainelCaminho"), "Caminho Banco");
    EXPECT_EQ(textoDe(form, "lblPainelBanco").toStdString(), amb.dm->caminhoBanco());
    EXPECT_EQ(fs::path(amb.dm->caminhoBanco()), amb.inst.base);
    EXPECT_TRUE(form.isMaximized());
    EXPECT_FALSE(form.findChild<QLabel*>("lblVersaoTeste")->isVisible());
    EXPECT_TRUE(amb.ui.mensagens.empty());

    // o relógio é reescrito a cada segundo
    auto* timer = form.findChild<QTimer*>("timerRelogio");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    QDateTime agora(QDate(2016, 12, 31), QTime(23, 59, 58));
    form.definirRelogio([&agora] { return agora; });
    EXPECT_EQ(textoDe(form, "lblRelogio"), "Data e hora do seu computador: 31/12/2016 23:59:58");
    agora = QDateTime(QDate(2017, 1, 1), QTime(0, 0, 1));
    QTest::qWait(1200);
    EXPECT_EQ(textoDe(form, "lblRelogio"), "Data e hora do seu computador: 01/01/2017 00:00:01");
}

TEST(FormPrincipal, VersaoComReleaseNoTituloENaVersao) {
    AmbienteTela amb;
    amb.dm->ConfigApp.Release = "b";
    ui::TFormPrincipal form(*amb.dm);
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("PRELO - Versão 7.07.10b"));
    EXPECT_EQ(textoDe(form, "lblVersao"), QString::fromUtf8("Versão: 7.07.10b"));
}

TEST(FormPrincipal, SemConexaoAJanelaAbreComAnoBaseVazio) {
    AmbienteTela amb;
    amb.inst.escreverIni("[KOV]\nDatabase=../BD/NAOEXISTE.GDB\n");
    InteracaoGravada ui;
    Tdm dm(ui, amb.inst.exe.string());
    dm.DataModuleCreate();
    ASSERT_FALSE(dm.conectado());
    ASSERT_FALSE(ui.mensagens.empty());
    EXPECT_EQ(ui.mensagens[0].texto.rfind("Erro na abertura da base : \r\n", 0), 0u);
    ui.mensagens.clear();

    ui::TFormPrincipal form(dm);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(textoDe(form, "lblAnoBase"), "Ano Base: ");
    EXPECT_TRUE(textoDe(form, "lblPainelBanco").endsWith("BD/NAOEXISTE.GDB"));
    EXPECT_TRUE(ui.mensagens.empty());

    // a tela de parâmetros precisa da base: o erro é mostrado e ela não abre
    acao(form, "actParametros")->trigger();
    ASSERT_EQ(ui.mensagens.size(), 1u);
    EXPECT_EQ(ui.mensagens[0].tipo, "erro");
    EXPECT_EQ(form.findChild<ui::TfrmParametros*>(), nullptr);
}

TEST(FormPrincipal, MenusBotoesDicasEComandosHabilitados) {
    AmbienteTela amb;
    ui::TFormPrincipal form(*amb.dm);

    struct Item {
        const char* acao;
        const char* texto;
        const char* dica;
        bool habilitada;
    } itens[] = {
        {"actCadastroContribuintes", "&Contribuintes", "Cadastro de Contribuintes", true},
        {"actCadastroDocumentos", "&Documentos", "Cadastro de Documentos", true},
        {"actCadastroResponsaveis", "Responsáveis", "Cadastro de Responsáveis", true},
        {"actSair", "&Sair", "Sair", true},
        {"actTransmissao", "&Transmissão via Internet", "Transmite via Internet", true},
        {"actGravaDisquete", "&Gravação em Mídia Eletrônica", "Gravação em Mídia Eletrônica", true},
        {"actCaptura", "Capturar Protocolo", "", true},
        {"actBackup", "&Cópia de Segurança", "Gera cópia de segurança", true},
        {"actRestore", "&Restauração", "Restaura cópia de segurança", true},
        {"actParametros", "&Parâmetros", "Parâmetros do Sistema", true},
        {"actRelatorios", "Relatórios", "", true},
        {"actPrintReciboComputador", "do &Computador", "", true},
        {"actPrintReciboDisquete", "do &Disquete", "", true},
        {"actAjuda", "&Conteúdo", "Ajuda", true},
        {"mnuSobre", "Sobre", "", true},
    };
    for (const auto& i : itens) {
        QAction* a = acao(form, i.acao);
        ASSERT_NE(a, nullptr) << i.acao;
        EXPECT_EQ(a->text(), QString::fromUtf8(i.texto)) << i.acao;
        EXPECT_EQ(a->statusTip(), QString::fromUtf8(i.dica)) << i.acao;
        EXPECT_EQ(a->isEnabled(), i.habilitada) << i.acao;
    }
    EXPECT_EQ(acao(form, "actSair")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F4));

    // menus e a posição de cada item
    QStringList menus;
    for (QAction* m : form.menuBar()->actions()) menus << m->text();
    EXPECT_EQ(menus, QStringList({"&Cadastro", "&Entrega", "&Utilitarios", QString::fromUtf8("Impressões"), "&Ajuda"}));
    auto itensDe = [](QMenu* m) {
        QStringList l;
        for (QAction* a : m->actions())
            if (!a->isSeparator()) l << a->text();
        return l;
    };
    EXPECT_EQ(itensDe(form.findChild<QMenu*>("mnuCadastro")),
              QStringList({"&Contribuintes", "&Documentos", QString::fromUtf8("Responsáveis"), "&Sair"}));
    EXPECT_EQ(itensDe(form.findChild<QMenu*>("mnuEntrega")),
              QStringList({QString::fromUtf8("&Transmissão via Internet"),
                           QString::fromUtf8("&Gravação em Mídia Eletrônica"), "Capturar Protocolo"}));
    EXPECT_EQ(itensDe(form.findChild<QMenu*>("mnuUtilitarios")),
              QStringList({QString::fromUtf8("&Cópia de Segurança"), QString::fromUtf8("&Restauração"),
                           QString::fromUtf8("&Parâmetros")}));
    EXPECT_EQ(itensDe(form.findChild<QMenu*>("mnuImpressoes")),
              QStringList({QString::fromUtf8("Relatórios"), "&Recibo de Entrega"}));
    EXPECT_EQ(itensDe(form.findChild<QMenu*>("mnuReciboEntrega")), QStringList({"do &Computador", "do &Disquete"}));
    EXPECT_EQ(itensDe(form.findChild<QMenu*>("mnuAjuda")), QStringList({QString::fromUtf8("&Conteúdo"), "Sobre"}));

    // barra de botões, da esquerda para a direita, habilitados como as suas ações
    auto* barra = form.findChild<QToolBar*>("barraBotoes");
    ASSERT_NE(barra, nullptr);
    QStringList botoes;
    std::vector<bool> habilitados;
    for (QToolButton* b : barra->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly))
        if (b->objectName().startsWith("btn")) {
            botoes << b->text();
            habilitados.push_back(b->isEnabled());
        }
    EXPECT_EQ(botoes, QStringList({QString::fromUtf8("Responsáveis"), "Contribuintes", "Documentos",
                                   QString::fromUtf8("Cópia Segurança"), QString::fromUtf8("Restauração"),
                                   QString::fromUtf8("Transmissão"), QString::fromUtf8("Gravação"), "Sair"}));
    // Todos os botões da barra têm as suas telas
    EXPECT_EQ(habilitados, std::vector<bool>({true, true, true, true, true, true, true, true}));
    auto* btnSair = barra->findChild<QToolButton*>("btnSair");
    EXPECT_EQ(btnSair->toolTip(), "Sair");
}

TEST(FormPrincipal, VersaoDeTesteMostraAFaixaESaiSemPerguntar) {
    AmbienteTela amb("2016", /*versaoTeste=*/true);
    escreverArquivo(amb.pastaTemp() / "ReciboKOV.txt", "recibo");
    escreverArquivo(amb.pastaTemp() / "decsImport.xml", "<x/>");
    fs::create_directories(amb.pastaTemp() / "sub");
    escreverArquivo(amb.pastaTemp() / "sub" / "guardado.txt", "fica");

    ui::TFormPrincipal form(*amb.dm);
    mostrarAtiva(form);
    auto* faixa = form.findChild<QLabel*>("lblVersaoTeste");
    ASSERT_NE(faixa, nullptr);
    EXPECT_TRUE(faixa->isVisible());
    EXPECT_EQ(faixa->text(), QString::fromUtf8("* * *  V e r s ã o  d e  T e s t e  * * *"));
    EXPECT_TRUE(faixa->font().bold());
    EXPECT_TRUE(faixa->font().underline());
    EXPECT_EQ(faixa->palette().color(QPalette::WindowText), QColor(Qt::red));

    // Ctrl+F4 é o atalho de "Sair"
    QTest::keyClick(&form, Qt::Key_F4, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(amb.doTipo("pergunta").empty());
    EXPECT_FALSE(fs::exists(amb.pastaTemp() / "ReciboKOV.txt"));
    EXPECT_FALSE(fs::exists(amb.pastaTemp() / "decsImport.xml"));
    EXPECT_TRUE(fs::exists(amb.pastaTemp() / "sub" / "guardado.txt"));
}

TEST(FormPrincipal, SairPerguntaENaoMantemOProgramaAberto) {
    AmbienteTela amb;
    escreverArquivo(amb.pastaTemp() / "ReciboKOV.txt", "recibo");
    ui::TFormPrincipal form(*amb.dm);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    amb.ui.respostas = {false};
    acao(form, "actSair")->trigger();
    auto perguntas = amb.doTipo("pergunta");
    ASSERT_EQ(perguntas.size(), 1u);
    EXPECT_EQ(perguntas[0].texto, "Deseja sair do sistema ?");
    EXPECT_EQ(perguntas[0].titulo, "Confirme");
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(fs::exists(amb.pastaTemp() / "ReciboKOV.txt"));

    // pelo botão "Sair" da barra, respondendo Sim
    amb.ui.respostas = {true};
    form.findChild<QToolButton*>("btnSair")->click();
    EXPECT_EQ(amb.doTipo("pergunta").size(), 2u);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(fs::exists(amb.pastaTemp() / "ReciboKOV.txt"));
    EXPECT_TRUE(fs::exists(amb.pastaTemp()));
}

TEST(FormPrincipal, FecharPelaMolduraNaoPerguntaNemEsvaziaATemp) {
    AmbienteTela amb;
    escreverArquivo(amb.pastaTemp() / "ReciboKOV.txt", "recibo");
    ui::TFormPrincipal form(*amb.dm);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(amb.ui.textos().empty());
    EXPECT_TRUE(fs::exists(amb.pastaTemp() / "ReciboKOV.txt"));
    // Sem cópia nenhuma na pasta de cópias: a cópia automática da base foi feita ao fechar
    size_t copias = 0;
    for (const auto& e : fs::directory_iterator(amb.inst.raiz.caminho() / "backup"))
        copias += e.path().filename().string().rfind("BKP_KOV_BNC", 0) == 0;
    EXPECT_EQ(copias, 1u);
}

TEST(FormPrincipal, MensagemDeAtualizacaoRelêOAnoBase) {
    AmbienteTela amb("2016");
    ui::TFormPrincipal form(*amb.dm);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_EQ(textoDe(form, "lblAnoBase"), "Ano Base: 2016");

    gravarParametroNaBase(amb.inst.base, "ANOEXERCICIO", "2012");
    QApplication::processEvents();
    EXPECT_EQ(textoDe(form, "lblAnoBase"), "Ano Base: 2016");  // só muda com a mensagem
    QCoreApplication::postEvent(&form, new QEvent(ui::EventoAtualizarAnoBase));
    QApplication::processEvents();
    EXPECT_EQ(textoDe(form, "lblAnoBase"), "Ano Base: 2012");
}

TEST(FormPrincipal, SobreMostraAVersao) {
    AmbienteTela amb;
    ui::TFormPrincipal form(*amb.dm);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QString titulo, texto, ok;
    quandoCaixaAparecer([&](QMessageBox* c) {
        titulo = c->windowTitle();
        texto = c->text();
        ok = textoBotao(c, QMessageBox::Ok);
        c->button(QMessageBox::Ok)->click();
    });
    acao(form, "mnuSobre")->trigger();
    EXPECT_EQ(titulo, "Sobre");
    EXPECT_TRUE(texto.contains(QString::fromUtf8("Versão: 7.07.10"))) << texto.toStdString();
    EXPECT_EQ(ok, "Ok");
}

TEST(Ajuda, F1NaJanelaPrincipalAbreAAjudaNoContexto1) {
    AmbienteTela amb;
    ui::TFormPrincipal form(*amb.dm);
    mostrarAtiva(form);
    ASSERT_TRUE(janelasAjuda().empty());

    QTest::keyClick(&form, Qt::Key_F1);
    auto ajudas = janelasAjuda();
    ASSERT_EQ(ajudas.size(), 1u);
    EXPECT_EQ(ajudas[0]->contexto(), ui::ContextoAjuda::Principal);
    EXPECT_EQ(ajudas[0]->windowTitle(), "Ajuda");
    EXPECT_TRUE(ajudas[0]->navegador()->toPlainText().contains("Janela principal"));
    EXPECT_TRUE(ajudas[0]->navegador()->source().toLocalFile().endsWith("/ajuda/1.html"));
    ajudas[0]->close();

    // "Conteúdo" faz o mesmo que F1
    mostrarAtiva(form);
    acao(form, "actAjuda")->trigger();
    ajudas = janelasAjuda();
    ASSERT_EQ(ajudas.size(), 1u);
    EXPECT_EQ(ajudas[0]->contexto(), 1);
    ajudas[0]->close();
    EXPECT_TRUE(amb.ui.mensagens.empty());
}

TEST(Ajuda, F1NumaCaixaDeMensagemNaoFazNada) {
    AmbienteTela amb;
    ui::TFormPrincipal form(*amb.dm);
    mostrarAtiva(form);
    QMessageBox caixa(QMessageBox::Question, "Confirme", "Deseja sair do sistema ?",
                      QMessageBox::Yes | QMessageBox::No, &form);
    mostrarAtiva(caixa);
    ASSERT_EQ(QApplication::activeWindow(), &caixa);
    QTest::keyClick(&caixa, Qt::Key_F1);
    QTest::keyClick(caixa.button(QMessageBox::Yes), Qt::Key_F1);
    QApplication::processEvents();
    EXPECT_TRUE(janelasAjuda().empty());
    EXPECT_TRUE(caixa.isVisible());
    EXPECT_TRUE(amb.ui.mensagens.empty());
}

TEST(Ajuda, F1NosParametrosAbreOContexto50) {
    AmbienteTela amb;
    ui::TFormPrincipal form(*amb.dm);
    mostrarAtiva(form);
    ui::TfrmParametros tela(*amb.dm, &form, QDate(2016, 6, 1));
    mostrarAtiva(tela);
    QTest::keyClick(tela.listaAnos(), Qt::Key_F1);
    const auto ajudas = janelasAjuda();
    ASSERT_EQ(ajudas.size(), 1u);
    EXPECT_EQ(ajudas[0]->contexto(), ui::ContextoAjuda::Parametros);
    EXPECT_TRUE(ajudas[0]->navegador()->toPlainText().contains("ano base"));
    EXPECT_EQ(ajudas[0]->parentWidget(), &tela);
}

TEST(Ajuda, SemAPaginaDoContextoAvisaQueNaoHaArquivoDeAjuda) {
    AmbienteTela amb;
    fs::remove(amb.inst.exe / "ajuda" / "1.html");
    ui::TFormPrincipal form(*amb.dm);
    mostrarAtiva(form);
    QTest::keyClick(&form, Qt::Key_F1);
    EXPECT_TRUE(janelasAjuda().empty());
    const auto infos = amb.doTipo("info");
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].texto, "Não há arquivo de ajuda");
    EXPECT_EQ(infos[0].titulo, "Ajuda");

    // janela sem contexto próprio: página geral (0)
    QWidget outra;
    outra.setWindowTitle("Outra");
    mostrarAtiva(outra);
    QTest::keyClick(&outra, Qt::Key_F1);
    const auto ajudas = janelasAjuda();
    ASSERT_EQ(ajudas.size(), 1u);
    EXPECT_EQ(ajudas[0]->contexto(), 0);
}
