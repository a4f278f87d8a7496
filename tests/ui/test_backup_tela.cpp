// Tela de cópia de segurança e restauração: os textos de cada modo e o caminho do usuário
// pelas páginas (cópia da base, cópia e restauração de declarações, restauração da base).
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

#include "ApoioUi.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "data/RegrasDeclaracao.h"
#include "data/LinhasBanco.h"
#include "delivery/untBackup.h"
#include "files/CifraRSA.h"
#include "apoio/Cadastro.h"
#include "ui/Ajuda.h"
#include "ui/frmSetDeclaracao.h"
#include "ui/scrBackup.h"

using namespace kov;
using namespace kov::teste;
namespace fs = std::filesystem;

namespace {

// Clica no botão visível de nome 'nome' da página atual.
void clicar(ui::TscrBackup* t, const char* nome) {
    for (auto* b : t->findChildren<QPushButton*>(QString::fromLatin1(nome)))
        if (b->isVisible()) {
            QTest::mouseClick(b, Qt::LeftButton);
            return;
        }
    ADD_FAILURE() << "botão não visível: " << nome;
}

std::tm momento() {
    std::tm m{};
    m.tm_mday = 8;
    m.tm_mon = 11;
    m.tm_year = 126;
    m.tm_hour = 9;
    m.tm_min = 30;
    m.tm_sec = 15;
    return m;
}

}  // namespace

TEST(TelaBackup, TextosDosDoisModos) {
    aplicacaoTeste();
    AmbienteTela amb;
    auto* copia = new ui::TscrBackup(*amb.dm, ui::TscrBackup::ModoCopia);
    copia->show();
    EXPECT_EQ(copia->windowTitle(), QString::fromUtf8("Cópia de segurança dos dados"));
    EXPECT_TRUE(copia->btnPasta->isVisible());
    EXPECT_GE(copia->btnPasta->width(), 270);
    EXPECT_EQ(copia->btnPasta->text(), QString::fromUtf8("Selecione o local para a cópia de segurança"));
    EXPECT_TRUE(copia->rbDeclaracoes->isChecked());
    EXPECT_EQ(copia->findChild<QLabel*>("lblAviso")->text(),
              QString::fromUtf8("A cópia de segurança ou a restauração dos dados podem ser demoradas dependendo do "
                                "equipamento utilizado. Após iniciar nunca interrompa o processo para evitar perda de "
                                "dados!"));
    EXPECT_EQ(ui::ContextoAjudaDe(copia), 25);
    // "Selecionar Declarações" abre a escolha no modo de cópia; fechada sem confirmar, nada muda
    clicar(copia, "btnContinuar");
    QString escolha;
    quandoAparecer<ui::TscrUntSetDeclaracao>([&](ui::TscrUntSetDeclaracao* e) {
        escolha = e->windowTitle();
        e->close();
    });
    clicar(copia, "btnSelecionar");
    EXPECT_EQ(escolha, QString::fromUtf8("Cópia de Segurança de Declarações"));
    EXPECT_EQ(copia->lstSelecionadas->item(0)->text(), "Nenhuma selecionada");
    EXPECT_EQ(copia->lblSelecionadas->text(), QString::fromUtf8("Declarações Selecionadas [0]"));
    EXPECT_FALSE(copia->acFazBackup->isEnabled());
    copia->close();
    auto* restauracao = new ui::TscrBackup(*amb.dm, ui::TscrBackup::ModoRestauracao);
    restauracao->show();
    EXPECT_EQ(restauracao->windowTitle(), QString::fromUtf8("Restauração de cópia de segurança dos dados"));
    EXPECT_FALSE(restauracao->btnPasta->isVisible());
    restauracao->close();
}

TEST(TelaBackup, CaminhoDoUsuario) {
    aplicacaoTeste();
    AmbienteTela amb;
    GravarParChavesRSA(GerarParChavesRSA(), amb.inst.exe.string());
    const fs::path pasta = amb.inst.raiz.caminho() / "backup";

    // Cópia da base: "Banco de Dados" e "Continuar" gravam o ZIP na pasta padrão
    auto* t = new ui::TscrBackup(*amb.dm, ui::TscrBackup::ModoCopia);
    t->backup().agora = momento;
    t->show();
    t->rbBanco->setChecked(true);
    clicar(t, "btnContinuar");
    EXPECT_TRUE(fs::exists(pasta / "BKP_KOV_BNC08122026h093015.ZIP"));
    EXPECT_TRUE(amb.ui.contem("Cópia de segurança gerada com sucesso. Arquivos adicionados = 1"));
    EXPECT_EQ(t->pagina(), ui::TscrBackup::PaginaTipo);

    // Declarações: a seleção preenche a lista e o rótulo e habilita "Iniciar"
    const int id = DeclaracoesParaEntrega(amb.dm->MainConnection, 1, "2016").front();
    const std::string chave = *ChaveEscolhaDaDeclaracao(amb.dm->MainConnection, id);
    t->selecionar = [&](QWidget*) { return std::optional<std::vector<std::string>>({chave}); };
    t->rbDeclaracoes->setChecked(true);
    clicar(t, "btnContinuar");
    ASSERT_EQ(t->pagina(), ui::TscrBackup::PaginaSelecao);
    EXPECT_EQ(t->lstSelecionadas->item(0)->text(), "Nenhuma selecionada");
    EXPECT_FALSE(t->acFazBackup->isEnabled());
    clicar(t, "btnSelecionar");
    EXPECT_EQ(t->lstSelecionadas->item(0)->text(), QString::fromStdString(LinhaPaginaBackup(chave)));
    EXPECT_EQ(t->lblSelecionadas->text(), QString::fromUtf8("Declarações Selecionadas [1]"));
    clicar(t, "btnIniciar");
    const fs::path zipDec = pasta / "BKP_KOV_DEC08122026093015.ZIP";
    EXPECT_TRUE(fs::exists(zipDec));
    EXPECT_TRUE(amb.ui.contem("Operação efetuada com sucesso!"));
    t->close();

    // Restauração de declarações: o ZIP escolhido, "Selecionar Todas", "Iniciar"; fechar limpa
    t = new ui::TscrBackup(*amb.dm, ui::TscrBackup::ModoRestauracao);
    QString pastaInicial;
    t->escolherArquivo = [&](QWidget*, const QString& p) {
        pastaInicial = p;
        return QString::fromStdString(zipDec.string());
    };
    t->show();
    clicar(t, "btnContinuar");
    EXPECT_EQ(pastaInicial.toStdString(), pasta.string() + "/");
    ASSERT_EQ(t->pagina(), ui::TscrBackup::PaginaRestauraDeclaracoes);
    ASSERT_EQ(t->lstRestaurar->count(), 1);
    EXPECT_EQ(t->lstRestaurar->item(0)->checkState(), Qt::Unchecked);
    t->chkTodas->setChecked(true);
    EXPECT_EQ(t->lstRestaurar->item(0)->checkState(), Qt::Checked);
    amb.ui.mensagens.clear();
    clicar(t, "btnIniciar");
    EXPECT_EQ(amb.ui.textos().back(), MSG_RESTAURACAO_FINALIZADA);
    t->close();
    EXPECT_FALSE(fs::exists(amb.inst.exe / "temp" / "tempdec"));

    // Restauração da base: o arquivo, "Executar" e o fim do programa
    t = new ui::TscrBackup(*amb.dm, ui::TscrBackup::ModoRestauracao);
    bool encerrou = false;
    t->encerrarAplicacao = [&] { encerrou = true; };
    t->show();
    t->rbBanco->setChecked(true);
    clicar(t, "btnContinuar");
    ASSERT_EQ(t->pagina(), ui::TscrBackup::PaginaArquivo);
    t->edtArquivo->setText(QString::fromStdString((pasta / "BKP_KOV_BNC08122026h093015.ZIP").string()));
    clicar(t, "btnExecutar");
    EXPECT_TRUE(encerrou);
    EXPECT_EQ(amb.ui.textos().back(), MSG_BASE_RESTAURADA);
}
