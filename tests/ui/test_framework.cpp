// Telas base: a tela de edição (comandos e dicas, somente leitura pelo estado, campos
// obrigatórios, bloqueio do fechamento, pergunta ao fechar com edição, atualizar recusado,
// exportação, lembrete de gravar, teclado), a tela de lista (exclusão com pergunta) e a
// tela de passos (teclado, ações, linha de situação).
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMainWindow>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <filesystem>

#include "ApoioUi.h"
#include "apoio/Cadastro.h"
#include "data/LinhasBanco.h"
#include "data/fb/Transacao.h"
#include "ui/Controles.h"
#include "ui/frmEContribuintes.h"
#include "ui/frmVContribuintes.h"
#include "data/Cadastros.h"
#include "data/Edicao.h"
#include "ui/AncestralKOV.h"
#include "ui/AncestralVisaoKOV.h"
#include "ui/Ajuda.h"
#include "ui/InteracaoGui.h"
#include "ui/ModeloLinhas.h"
#include "ui/frmEResponsaveis.h"
#include "ui/frmVResponsaveis.h"
#include "ui/pdrBasica.h"

namespace kov {
namespace {

#define KOV_COLUNAS_DOIS(X) X(NOME, Texto) X(CIDADE, Texto)
KOV_LINHA(LinhaDois, DOIS, KOV_COLUNAS_DOIS)

using teste::AmbienteTela;
using teste::quandoAparecer;
using teste::digitar;
using teste::gravarResponsavel;
using teste::mostrarAtiva;
using teste::Q;
using teste::redigitar;


const char* const TextoCancelamento =
    "Confirma cancelamento de todas as alterações, \r\nque ainda não foram enviadas para a base de dados ?";
const char* const TextoLembrete =
    "É muito importante atualizar o banco de dados para evitar perda de informações.\r\n"
    "Já se passaram pelo menos 10 minutos desde a última vez que os dados foram atualizados no banco.\r\n"
    "Deseja gravar todas as alterações agora?";





// Tela de edição mínima sobre duas colunas de texto, com uma grade isenta (tag 30) e
// outra não.
class TelaDois : public ui::TfrmAncestralKOV {
public:
    TelaDois(Tdm& dm, ConjuntoDados* c) : TfrmAncestralKOV(dm, c) {
        auto* lay = new QVBoxLayout(corpo());
        edtNome = new QLineEdit(corpo());
        ui::LigarCampo(edtNome, "NOME");
        edtCidade = new QLineEdit(corpo());
        ui::LigarCampo(edtCidade, "CIDADE");
        gradeLivre = new QTableView(corpo());
        gradeLivre->setProperty(ui::PropriedadeTag, ui::TagSempreIgual);
        gradeFixa = new QTableView(corpo());
        lay->addWidget(edtNome);
        lay->addWidget(edtCidade);
        lay->addWidget(gradeLivre);
        lay->addWidget(gradeFixa);
        iniciarTela();
    }
    QLineEdit* edtNome;
    QLineEdit* edtCidade;
    QTableView* gradeLivre;
    QTableView* gradeFixa;
};

std::unique_ptr<ConjuntoLinhas<LinhaDois>> conjuntoDois(std::vector<LinhaDois> linhas) {
    ConjuntoLinhas<LinhaDois>::Operacoes ops;
    ops.carregar = [linhas] { return linhas; };
    return std::make_unique<ConjuntoLinhas<LinhaDois>>(
        "cdsDois", ops, std::vector<DescricaoCampo>{{"NOME", "Nome", true}, {"CIDADE", "Cidade", false}});
}

}  // namespace

TEST(TelaEdicao, SemConjuntoACriacaoFalha) {
    AmbienteTela amb;
    try {
        TelaDois tela(*amb.dm, nullptr);
        FAIL() << "tela criada sem conjunto";
    } catch (const ErroSistema& e) {
        EXPECT_EQ(std::string(e.what()), "A tabela principal da tela não foi preenchida");
    }
}

TEST(TelaEdicao, DicasDosComandosEEstadoPelaSituacaoDoConjunto) {
    AmbienteTela amb;
    gravarResponsavel(*amb.dm, "Ana");
    gravarResponsavel(*amb.dm, "Bruno");
    auto cds = ui::CriarConjuntoResponsaveis(*amb.dm);
    cds->abrir();
    ui::TFormEdicaoResponsavel tela(*amb.dm, cds.get());

    struct Acao {
        QAction* a;
        const char* nome;
        const char* dica;
    } acoes[] = {
        {tela.actdbAncestralIncluir, "actdbAncestralIncluir", "Insere novo registro"},
        {tela.actdbAncestralEditar, "actdbAncestralEditar", "Editar registro atual"},
        {tela.actdbAncestralGravar, "actdbAncestralGravar", "Salvar registro atual"},
        {tela.actdbAncestralCancelar, "actdbAncestralCancelar", "Cancela"},
        {tela.actdbAncestralExcluir, "actdbAncestralExcluir", "Deleta"},
        {tela.actdbAncestralAtualizar, "actdbAncestralAtualizar", "Atualizar"},
        {tela.actdbAncestralPrimeiro, "actdbAncestralPrimeiro", "Primeiro"},
        {tela.actdbAncestralAnterior, "actdbAncestralAnterior", "Anterior"},
        {tela.actdbAncestralProximo, "actdbAncestralProximo", "Próximo"},
        {tela.actdbAncestralUltimo, "actdbAncestralUltimo", "Último"},
        {tela.actAncestralExportar, "actAncestralExportar", "Exportar para arquivo"},
        {tela.actAncestralFechar, "actAncestralFechar", "Fechar"},
        {tela.actAncestralAjuda, "actAncestralAjuda", "Ajuda"},
    };
    for (const auto& a : acoes) {
        EXPECT_EQ(a.a->objectName(), a.nome);
        EXPECT_EQ(a.a->toolTip(), Q(a.dica)) << a.nome;
    }
    EXPECT_EQ(tela.botaoCancelar()->toolTip(), "Cancela");
    EXPECT_TRUE(tela.actLocalizarCnaef->statusTip().isEmpty());

    auto habilitadas = [&] {
        QStringList l;
        for (const auto& a : acoes)
            if (a.a->isEnabled()) l << a.nome;
        if (tela.actLocalizarCnaef->isEnabled()) l << "actLocalizarCnaef";
        if (tela.actLocalizarMunicipio->isEnabled()) l << "actLocalizarMunicipio";
        return l;
    };
    // navegando, no primeiro de dois registros
    EXPECT_EQ(habilitadas(), QStringList({"actdbAncestralIncluir", "actdbAncestralEditar", "actdbAncestralExcluir",
                                          "actdbAncestralAtualizar", "actdbAncestralProximo", "actdbAncestralUltimo",
                                          "actAncestralExportar", "actAncestralFechar", "actAncestralAjuda"}));
    EXPECT_TRUE(tela.edtNome->isReadOnly());
    EXPECT_EQ(tela.edtNome->text(), "Ana");
    EXPECT_FALSE(tela.botaoGravar()->isEnabled());

    tela.actdbAncestralUltimo->trigger();
    EXPECT_EQ(tela.edtNome->text(), "Bruno");
    EXPECT_EQ(habilitadas(), QStringList({"actdbAncestralIncluir", "actdbAncestralEditar", "actdbAncestralExcluir",
                                          "actdbAncestralAtualizar", "actdbAncestralPrimeiro",
                                          "actdbAncestralAnterior", "actAncestralExportar", "actAncestralFechar",
                                          "actAncestralAjuda"}));

    // inclusão: campos editáveis e vazios, navegação parada, localizadores habilitados
    tela.actdbAncestralIncluir->trigger();
    EXPECT_FALSE(tela.edtNome->isReadOnly());
    EXPECT_EQ(tela.edtNome->text(), "");
    EXPECT_EQ(habilitadas(), QStringList({"actdbAncestralGravar", "actdbAncestralCancelar", "actAncestralFechar",
                                          "actAncestralAjuda", "actLocalizarCnaef", "actLocalizarMunicipio"}));
    EXPECT_TRUE(tela.botaoGravar()->isEnabled());
    digitar(tela.edtNome, "Carla");
    EXPECT_EQ(cds->valor("NOME").texto(), "Carla");

    tela.actdbAncestralCancelar->trigger();
    EXPECT_TRUE(tela.edtNome->isReadOnly());
    EXPECT_EQ(tela.edtNome->text(), "Bruno");  // de volta ao registro de antes
    // digitar fora da edição não muda nada
    digitar(tela.edtNome, "X");
    EXPECT_EQ(tela.edtNome->text(), "Bruno");
    EXPECT_EQ(cds->valor("NOME").texto(), "Bruno");
    EXPECT_TRUE(amb.ui.mensagens.empty());
}

TEST(TelaEdicao, ObrigatorioSoDeBrancosImpedeGravarEFecharAteCancelarOuGravar) {
    AmbienteTela amb;
    auto cds = ui::CriarConjuntoResponsaveis(*amb.dm);
    cds->abrir();
    cds->inserir();
    ui::TFormEdicaoResponsavel tela(*amb.dm, cds.get());
    mostrarAtiva(tela);
    EXPECT_FALSE(tela.fechamentoBloqueado());

    digitar(tela.edtNome, "   ");
    digitar(tela.edtDDD, "11");
    digitar(tela.edtTelefone, "33334444");
    digitar(tela.edtEmail, "maria@contab.com.br");
    QTest::mouseClick(tela.botaoGravar(), Qt::LeftButton);
    ASSERT_EQ(amb.ui.mensagens.size(), 1u);
    EXPECT_EQ(amb.ui.mensagens[0].tipo, "erro");
    EXPECT_EQ(amb.ui.mensagens[0].texto, "Campo (Nome) precisa ser preenchido!");
    EXPECT_TRUE(tela.isVisible());
    EXPECT_TRUE(tela.fechamentoBloqueado());
    EXPECT_EQ(QApplication::focusWidget(), tela.edtNome);
    EXPECT_EQ(cds->estado(), EstadoConjunto::Insercao);

    // bloqueada: nem Esc, nem Fechar, nem a moldura fecham; nada é perguntado
    QTest::keyClick(tela.edtNome, Qt::Key_Escape);
    QTest::mouseClick(tela.botaoFechar(), Qt::LeftButton);
    tela.close();
    EXPECT_TRUE(tela.isVisible());
    EXPECT_EQ(amb.ui.mensagens.size(), 1u);

    // corrigido, o botão gravar grava e fecha
    redigitar(tela.edtNome, Q("Maria Conceição"));
    QTest::mouseClick(tela.botaoGravar(), Qt::LeftButton);
    EXPECT_FALSE(tela.isVisible());
    EXPECT_FALSE(tela.fechamentoBloqueado());
    EXPECT_EQ(amb.ui.mensagens.size(), 1u);
    const auto lista = ListarResponsaveis(amb.dm->MainConnection);
    ASSERT_EQ(lista.size(), 1u);
    EXPECT_EQ(lista[0].NOME, "Maria Conceição");
}

TEST(TelaEdicao, CancelarDepoisDeFalharDesbloqueiaEFechaSemPerguntar) {
    AmbienteTela amb;
    auto cds = ui::CriarConjuntoResponsaveis(*amb.dm);
    cds->abrir();
    cds->inserir();
    ui::TFormEdicaoResponsavel tela(*amb.dm, cds.get());
    mostrarAtiva(tela);
    digitar(tela.edtNome, "Maria");
    digitar(tela.edtDDD, "1");  // o cadastro pede 2 dígitos
    digitar(tela.edtTelefone, "33334444");
    digitar(tela.edtEmail, "maria@contab.com.br");
    QTest::mouseClick(tela.botaoGravar(), Qt::LeftButton);
    ASSERT_EQ(amb.ui.textos(), std::vector<std::string>({"O DDD deve ter no mínimo 2 dígitos."}));
    EXPECT_EQ(QApplication::focusWidget(), tela.edtDDD);
    EXPECT_TRUE(tela.fechamentoBloqueado());
    EXPECT_EQ(tela.edtDDD->text(), "1");

    QTest::mouseClick(tela.botaoCancelar(), Qt::LeftButton);
    EXPECT_FALSE(tela.isVisible());
    EXPECT_FALSE(tela.fechamentoBloqueado());
    EXPECT_EQ(amb.ui.mensagens.size(), 1u);  // sem pergunta
    EXPECT_TRUE(cds->navegando());
    EXPECT_TRUE(ListarResponsaveis(amb.dm->MainConnection).empty());
}

TEST(TelaEdicao, EscComEdicaoPerguntaNaoMantemSimDescarta) {
    AmbienteTela amb;
    const int id = gravarResponsavel(*amb.dm, "Ana");
    auto cds = ui::CriarConjuntoResponsaveis(*amb.dm);
    cds->abrir();
    cds->editar();
    ui::TFormEdicaoResponsavel tela(*amb.dm, cds.get());
    mostrarAtiva(tela);
    ASSERT_EQ(tela.edtNome->text(), "Ana");
    redigitar(tela.edtNome, "Ana Paula");

    amb.ui.respostas = {false};
    QTest::keyClick(tela.edtNome, Qt::Key_Escape);
    auto perguntas = amb.doTipo("pergunta");
    ASSERT_EQ(perguntas.size(), 1u);
    EXPECT_EQ(perguntas[0].titulo, "Gravação");
    EXPECT_EQ(perguntas[0].texto, TextoCancelamento);
    EXPECT_TRUE(tela.isVisible());
    EXPECT_EQ(cds->estado(), EstadoConjunto::Edicao);
    EXPECT_EQ(tela.edtNome->text(), "Ana Paula");

    // a moldura pergunta do mesmo modo
    amb.ui.respostas = {false};
    tela.close();
    EXPECT_TRUE(tela.isVisible());
    EXPECT_EQ(amb.doTipo("pergunta").size(), 2u);

    amb.ui.respostas = {true};
    QTest::keyClick(tela.edtNome, Qt::Key_Escape);
    EXPECT_EQ(amb.doTipo("pergunta").size(), 3u);
    EXPECT_FALSE(tela.isVisible());
    EXPECT_TRUE(cds->navegando());
    EXPECT_EQ(cds->valor("NOME").texto(), "Ana");
    EXPECT_EQ(CarregarResponsavel(amb.dm->MainConnection, id).NOME, "Ana");
}

TEST(TelaEdicao, FecharSemEdicaoNaoPergunta) {
    AmbienteTela amb;
    gravarResponsavel(*amb.dm, "Ana");
    auto cds = ui::CriarConjuntoResponsaveis(*amb.dm);
    cds->abrir();
    ui::TFormEdicaoResponsavel tela(*amb.dm, cds.get());
    mostrarAtiva(tela);
    QTest::mouseClick(tela.botaoFechar(), Qt::LeftButton);
    EXPECT_FALSE(tela.isVisible());
    EXPECT_TRUE(amb.ui.mensagens.empty());
}

TEST(TelaEdicao, AtualizarComAlteracoesPendentesERecusadoSemPerderODigitado) {
    AmbienteTela amb;
    const int id = gravarResponsavel(*amb.dm, "Ana");
    auto cds = ui::CriarConjuntoResponsaveis(*amb.dm);
    cds->abrir();
    ui::TFormEdicaoResponsavel tela(*amb.dm, cds.get());
    mostrarAtiva(tela);

    // navegando, atualizar lê de novo da base
    teste::InteracaoGravada outra;
    Responsavel r = CarregarResponsavel(amb.dm->MainConnection, id);
    r.NOME = "Ana Lima";
    GravarResponsavel(amb.dm->MainConnection, r, outra);
    EXPECT_EQ(tela.edtNome->text(), "Ana");
    tela.actdbAncestralAtualizar->trigger();
    EXPECT_EQ(tela.edtNome->text(), "Ana Lima");

    tela.actdbAncestralEditar->trigger();
    redigitar(tela.edtTelefone, "44445555");
    EXPECT_FALSE(tela.actdbAncestralAtualizar->isEnabled());
    tela.atualizar();
    ASSERT_EQ(amb.ui.mensagens.size(), 1u);
    EXPECT_EQ(amb.ui.mensagens[0].tipo, "erro");
    EXPECT_EQ(amb.ui.mensagens[0].texto, "É necessário aplicar as alterações antes de efetuar esta operação");
    EXPECT_EQ(tela.edtTelefone->text(), "44445555");
    EXPECT_EQ(cds->estado(), EstadoConjunto::Edicao);
    EXPECT_EQ(cds->valor("TELEFONE").texto(), "44445555");

    tela.cancelarEFechar();
}

TEST(TelaEdicao, ExportaDoisCamposEUmRegistroNaPastaDoPrograma) {
    AmbienteTela amb;
    auto cds = conjuntoDois({{"ABC", "Rio "}});
    TelaDois tela(*amb.dm, cds.get());
    mostrarAtiva(tela);
    const auto arquivo = amb.inst.exe / "cdsDois.txt";
    ASSERT_FALSE(std::filesystem::exists(arquivo));

    ASSERT_TRUE(tela.actAncestralExportar->isEnabled());
    tela.actAncestralExportar->trigger();
    EXPECT_EQ(teste::lerArquivo(arquivo), "NOME;CIDADE;\r\nABC;Rio;\r\n");
    ASSERT_EQ(amb.ui.mensagens.size(), 1u);
    EXPECT_EQ(amb.ui.mensagens[0].tipo, "info");
    EXPECT_EQ(amb.ui.mensagens[0].titulo, "Finalização da Exportação");
    EXPECT_EQ(amb.ui.mensagens[0].texto, "Tabela exportada com sucesso!");

    // em edição: recusada, nada escrito
    std::filesystem::remove(arquivo);
    tela.actdbAncestralEditar->trigger();
    EXPECT_FALSE(tela.actAncestralExportar->isEnabled());
    tela.exportar();
    EXPECT_FALSE(std::filesystem::exists(arquivo));
    ASSERT_EQ(amb.ui.mensagens.size(), 2u);
    EXPECT_EQ(amb.ui.mensagens[1].tipo, "erro");
    EXPECT_EQ(amb.ui.mensagens[1].titulo, "Falha na Exportação");
    EXPECT_EQ(amb.ui.mensagens[1].texto, "Para exportar a tabela é necessário terminar a manutenção dos dados antes.");
    tela.cancelar();

    // falha ao escrever: o erro aparece e não há mensagem de sucesso
    std::filesystem::create_directory(arquivo);  // uma pasta no lugar do arquivo
    tela.actAncestralExportar->trigger();
    ASSERT_EQ(amb.ui.mensagens.size(), 3u);
    EXPECT_EQ(amb.ui.mensagens[2].tipo, "erro");
    EXPECT_NE(amb.ui.mensagens[2].texto.find("cdsDois.txt"), std::string::npos);
}

TEST(TelaEdicao, GradeComTag30ContinuaEditavelEAsOutrasSoMostram) {
    AmbienteTela amb;
    auto cds = conjuntoDois({{"A", "B"}});
    TelaDois tela(*amb.dm, cds.get());
    EXPECT_EQ(tela.gradeFixa->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(tela.gradeFixa->focusPolicy(), Qt::NoFocus);
    EXPECT_NE(tela.gradeLivre->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(tela.gradeLivre->focusPolicy(), Qt::StrongFocus);
    tela.actdbAncestralEditar->trigger();  // em qualquer estado
    EXPECT_EQ(tela.gradeFixa->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_NE(tela.gradeLivre->editTriggers(), QAbstractItemView::NoEditTriggers);
    tela.cancelar();
}

TEST(TelaEdicao, ObrigatoriosComACorDeFundoDasDicas) {
    AmbienteTela amb;
    auto cds = conjuntoDois({{"A", "B"}});
    TelaDois tela(*amb.dm, cds.get());
    const QColor dica = QApplication::palette().color(QPalette::ToolTipBase);
    ASSERT_NE(dica, QApplication::palette().color(QPalette::Base));
    tela.show();
    EXPECT_EQ(tela.edtNome->palette().color(QPalette::Base), dica);
    EXPECT_NE(tela.edtCidade->palette().color(QPalette::Base), dica);
}

TEST(TelaEdicao, LembreteComAlteracoesPendentesPerguntaEGravaNoSim) {
    AmbienteTela amb;
    const int id = gravarResponsavel(*amb.dm, "Ana");
    auto cds = ui::CriarConjuntoResponsaveis(*amb.dm);
    cds->abrir();
    cds->editar();
    ui::TFormEdicaoResponsavel tela(*amb.dm, cds.get());
    EXPECT_EQ(tela.lembrete()->interval(), 600000);
    tela.definirIntervaloLembrete(60);
    mostrarAtiva(tela);
    // em edição sem nada digitado não há o que lembrar
    EXPECT_FALSE(tela.lembrete()->isActive());
    QTest::qWait(150);
    EXPECT_TRUE(amb.ui.mensagens.empty());

    redigitar(tela.edtNome, "Ana Maria");
    EXPECT_TRUE(tela.lembrete()->isActive());
    // Não: continua em edição e o lembrete volta a contar
    amb.ui.respostas = {false};
    ASSERT_TRUE(QTest::qWaitFor([&] { return amb.doTipo("pergunta").size() == 1; }, 3000));
    auto perguntas = amb.doTipo("pergunta");
    EXPECT_EQ(perguntas[0].titulo, "Necessidade de atualização");
    EXPECT_EQ(perguntas[0].texto, TextoLembrete);
    EXPECT_EQ(cds->estado(), EstadoConjunto::Edicao);
    EXPECT_TRUE(tela.lembrete()->isActive());
    EXPECT_EQ(CarregarResponsavel(amb.dm->MainConnection, id).NOME, "Ana");

    // Sim: grava; a tela continua aberta, fora da edição, e o lembrete para
    amb.ui.respostas = {true};
    ASSERT_TRUE(QTest::qWaitFor([&] { return amb.doTipo("pergunta").size() == 2; }, 3000));
    EXPECT_EQ(CarregarResponsavel(amb.dm->MainConnection, id).NOME, "Ana Maria");
    EXPECT_TRUE(cds->navegando());
    EXPECT_TRUE(tela.isVisible());
    EXPECT_FALSE(tela.lembrete()->isActive());
    QTest::qWait(150);
    EXPECT_EQ(amb.doTipo("pergunta").size(), 2u);
}

TEST(TelaEdicao, LembreteParaAoCancelarENaoGravaSemResposta) {
    AmbienteTela amb;
    auto cds = ui::CriarConjuntoResponsaveis(*amb.dm);
    cds->abrir();
    cds->inserir();
    ui::TFormEdicaoResponsavel tela(*amb.dm, cds.get());
    tela.definirIntervaloLembrete(60);
    mostrarAtiva(tela);
    digitar(tela.edtNome, "Maria");
    ASSERT_TRUE(tela.lembrete()->isActive());
    tela.actdbAncestralCancelar->trigger();
    EXPECT_FALSE(tela.lembrete()->isActive());
    QTest::qWait(150);
    EXPECT_TRUE(amb.ui.mensagens.empty());

    // a gravação pedida pelo lembrete que falha mantém a edição e o lembrete
    tela.actdbAncestralIncluir->trigger();
    digitar(tela.edtNome, "Maria");
    amb.ui.respostas = {true};
    ASSERT_TRUE(QTest::qWaitFor([&] { return amb.doTipo("pergunta").size() == 1; }, 3000));
    EXPECT_TRUE(amb.ui.contem("Campo (DDD) precisa ser preenchido!"));
    EXPECT_EQ(cds->estado(), EstadoConjunto::Insercao);
    EXPECT_TRUE(tela.lembrete()->isActive());
    tela.cancelarEFechar();
    EXPECT_FALSE(tela.lembrete()->isActive());
}

TEST(TelaEdicao, EnterEShiftEnterAndamPelosControles) {
    AmbienteTela amb;
    auto cds = ui::CriarConjuntoResponsaveis(*amb.dm);
    cds->abrir();
    cds->inserir();
    ui::TFormEdicaoResponsavel tela(*amb.dm, cds.get());
    mostrarAtiva(tela);
    tela.edtNome->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), tela.edtNome);
    QTest::keyClick(tela.edtNome, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), tela.edtDDD);
    QTest::keyClick(tela.edtDDD, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(QApplication::focusWidget(), tela.edtTelefone);
    QTest::keyClick(tela.edtTelefone, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), tela.edtDDD);
    EXPECT_TRUE(tela.isVisible());  // Enter não grava nem fecha
    EXPECT_EQ(cds->estado(), EstadoConjunto::Insercao);
    EXPECT_TRUE(amb.ui.mensagens.empty());
    tela.cancelarEFechar();
}

TEST(TelaEdicao, AjudaAbreOContextoDaTela) {
    AmbienteTela amb;
    ui::FiltroAjuda filtro(amb.ui, amb.inst.exe.string());
    qApp->installEventFilter(&filtro);
    auto cds = ui::CriarConjuntoResponsaveis(*amb.dm);
    ui::TFormEdicaoResponsavel tela(*amb.dm, cds.get());
    mostrarAtiva(tela);
    QTest::mouseClick(tela.botaoAjuda(), Qt::LeftButton);
    auto* ajuda = tela.findChild<ui::JanelaAjuda*>();
    ASSERT_NE(ajuda, nullptr);
    EXPECT_EQ(ajuda->contexto(), 10);
    EXPECT_TRUE(ajuda->isVisible());
    ajuda->close();
    qApp->removeEventFilter(&filtro);
}

// --- Lista ------------------------------------------------------------------------------------

TEST(TelaLista, DicasComandosPeloConteudoEExclusaoComPergunta) {
    AmbienteTela amb;
    ui::TFormVisaoResponsaveis lista(*amb.dm);
    EXPECT_EQ(lista.actdbAncestralVisaoInserir->toolTip(), "Inserir novo registro");
    EXPECT_EQ(lista.actdbAncestralVisaoEditar->toolTip(), "Editar o registro atual");
    EXPECT_EQ(lista.actdbAncestralVisaoDelete->toolTip(), "Deletar o registro atual");
    EXPECT_EQ(lista.actAncestralVisaoFechar->toolTip(), "Fechar a janela");
    EXPECT_EQ(lista.actAncestralVisaoAjuda->toolTip(), "Ajuda");
    // vazia: só inserir
    EXPECT_TRUE(lista.botaoInserir()->isEnabled());
    EXPECT_FALSE(lista.botaoEditar()->isEnabled());
    EXPECT_FALSE(lista.botaoExcluir()->isEnabled());

    gravarResponsavel(*amb.dm, "Ana");
    gravarResponsavel(*amb.dm, "Bruno");
    ui::TFormVisaoResponsaveis lista2(*amb.dm);  // criada, lê a base de novo
    mostrarAtiva(lista2);
    ASSERT_EQ(lista2.grade()->model()->rowCount(), 2);
    EXPECT_TRUE(lista2.botaoEditar()->isEnabled());
    EXPECT_TRUE(lista2.botaoExcluir()->isEnabled());
    lista2.grade()->selectRow(1);
    ASSERT_EQ(lista2.conjunto()->valor("NOME").texto(), "Bruno");

    amb.ui.respostas = {false};
    QTest::mouseClick(lista2.botaoExcluir(), Qt::LeftButton);
    ASSERT_EQ(amb.ui.mensagens.size(), 1u);
    EXPECT_EQ(amb.ui.mensagens[0].tipo, "pergunta");
    EXPECT_EQ(amb.ui.mensagens[0].titulo, "Exclusão");
    EXPECT_EQ(amb.ui.mensagens[0].texto, "Confirma exclusão do registro ?");
    EXPECT_EQ(ListarResponsaveis(amb.dm->MainConnection).size(), 2u);

    amb.ui.respostas = {true};
    QTest::mouseClick(lista2.botaoExcluir(), Qt::LeftButton);
    const auto restantes = ListarResponsaveis(amb.dm->MainConnection);
    ASSERT_EQ(restantes.size(), 1u);
    EXPECT_EQ(restantes[0].NOME, "Ana");
    EXPECT_EQ(lista2.grade()->model()->rowCount(), 1);
    EXPECT_EQ(lista2.grade()->currentIndex().row(), 0);
}

TEST(TelaLista, ExclusaoPelaCaixaDeMensagemEmPortugues) {
    AmbienteTela amb;
    gravarResponsavel(*amb.dm, "Ana");
    ui::InteracaoGui gui;
    Tdm dm(gui, amb.inst.exe.string());
    dm.DataModuleCreate();
    ui::TFormVisaoResponsaveis lista(dm);
    mostrarAtiva(lista);
    QString titulo, texto, sim, nao;
    QMessageBox::Icon icone = QMessageBox::NoIcon;
    teste::quandoCaixaAparecer([&](QMessageBox* c) {
        titulo = c->windowTitle();
        texto = c->text();
        icone = c->icon();
        sim = teste::textoBotao(c, QMessageBox::Yes);
        nao = teste::textoBotao(c, QMessageBox::No);
        c->button(QMessageBox::No)->click();
    });
    QTest::mouseClick(lista.botaoExcluir(), Qt::LeftButton);
    EXPECT_EQ(titulo, Q("Exclusão"));
    EXPECT_EQ(texto, Q("Confirma exclusão do registro ?"));
    EXPECT_EQ(icone, QMessageBox::Question);
    EXPECT_EQ(sim, "&Sim");
    EXPECT_EQ(nao, Q("&Não"));
    EXPECT_EQ(ListarResponsaveis(dm.MainConnection).size(), 1u);
}

TEST(TelaLista, InserirAbreAEdicaoNoRegistroNovoECancelarNaoMudaALista) {
    AmbienteTela amb;
    gravarResponsavel(*amb.dm, "Ana");
    ui::TFormVisaoResponsaveis lista(*amb.dm);
    mostrarAtiva(lista);
    bool viu = false;
    quandoAparecer<ui::TFormEdicaoResponsavel>([&](ui::TFormEdicaoResponsavel* tela) {
        viu = true;
        EXPECT_EQ(lista.edicaoAberta(), tela);
        EXPECT_EQ(tela->edtNome->text(), "");
        EXPECT_FALSE(tela->edtNome->isReadOnly());
        digitar(tela->edtNome, "Bruno");
        QTest::mouseClick(tela->botaoCancelar(), Qt::LeftButton);
    });
    QTest::mouseClick(lista.botaoInserir(), Qt::LeftButton);
    EXPECT_TRUE(viu);
    EXPECT_EQ(lista.edicaoAberta(), nullptr);
    EXPECT_TRUE(lista.conjunto()->navegando());
    EXPECT_EQ(lista.grade()->model()->rowCount(), 1);
    EXPECT_EQ(lista.conjunto()->valor("NOME").texto(), "Ana");
}

TEST(TelaLista, DuploCliqueEditaEExclusaoRecusadaPeloCadastroMostraOMotivo) {
    AmbienteTela amb;
    const int ana = gravarResponsavel(*amb.dm, "Ana");
    gravarResponsavel(*amb.dm, "Bruno");
    {
        teste::InteracaoGravada g;
        Contribuinte c = NovoContribuinte();
        c.INSCESTADUAL = "1234567890107";
        c.RAZAOSOCIAL = "Loja";
        c.CNPJ = "12345678000199";
        c.EMAIL = "a@b.com";
        c.TIPOCONTRIBUINTE_ID = 3;
        c.RESPONSAVEL_ID = ana;
        c.CNAEF_ID = "4711301";
        c.DESMEMBRAMENTO = "00";
        c.CODDRUMUNICIPIO = amb.dm->ref.cdsMunicipio.front().CODDRUMUNICIPIO;
        c.CEP = "12345678";
        c.DDD = "11";
        c.TELEFONE = "3333444";
        GravarContribuinte(amb.dm->MainConnection, c, g);
    }
    ui::TFormVisaoResponsaveis lista(*amb.dm);
    mostrarAtiva(lista);
    ASSERT_EQ(lista.grade()->model()->rowCount(), 2);

    // duplo clique na segunda linha abre a edição dela
    QString nome;
    quandoAparecer<ui::TFormEdicaoResponsavel>([&](ui::TFormEdicaoResponsavel* t) {
        nome = t->edtNome->text();
        EXPECT_EQ(lista.conjunto()->estado(), EstadoConjunto::Edicao);
        QTest::mouseClick(t->botaoCancelar(), Qt::LeftButton);
    });
    const QRect r = lista.grade()->visualRect(lista.grade()->model()->index(1, 0));
    QTest::mouseClick(lista.grade()->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(lista.grade()->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(nome, "Bruno");

    // Ana responde por um contribuinte: o cadastro recusa e a lista continua igual
    lista.grade()->selectRow(0);
    amb.ui.respostas = {true};
    lista.actdbAncestralVisaoDelete->trigger();
    EXPECT_EQ(amb.ui.textos(), std::vector<std::string>({"Confirma exclusão do registro ?",
                                                         "O responsável está associado a contribuintes e não pode "
                                                         "ser excluído."}));
    EXPECT_EQ(lista.grade()->model()->rowCount(), 2);
    EXPECT_EQ(ListarResponsaveis(amb.dm->MainConnection).size(), 2u);
}

TEST(TelaEdicao, ExcluirPerguntaEExcluiORegistroAtual) {
    AmbienteTela amb;
    gravarResponsavel(*amb.dm, "Ana");
    gravarResponsavel(*amb.dm, "Bruno");
    auto cds = ui::CriarConjuntoResponsaveis(*amb.dm);
    cds->abrir();
    ui::TFormEdicaoResponsavel tela(*amb.dm, cds.get());
    mostrarAtiva(tela);
    tela.actdbAncestralProximo->trigger();
    ASSERT_EQ(tela.edtNome->text(), "Bruno");
    amb.ui.respostas = {false};
    tela.actdbAncestralExcluir->trigger();
    EXPECT_EQ(ListarResponsaveis(amb.dm->MainConnection).size(), 2u);
    amb.ui.respostas = {true};
    tela.actdbAncestralExcluir->trigger();
    const auto perguntas = amb.doTipo("pergunta");
    ASSERT_EQ(perguntas.size(), 2u);
    EXPECT_EQ(perguntas[1].titulo, "Exclusão");
    EXPECT_EQ(perguntas[1].texto, "Confirma exclusão do registro ?");
    const auto restantes = ListarResponsaveis(amb.dm->MainConnection);
    ASSERT_EQ(restantes.size(), 1u);
    EXPECT_EQ(restantes[0].NOME, "Ana");
    EXPECT_EQ(tela.edtNome->text(), "Ana");
    EXPECT_FALSE(tela.actdbAncestralProximo->isEnabled());
}

// --- Tela de passos ------------------------------------------------------------------------

namespace {

class PassosTeste : public ui::TscrPdrBasica {
public:
    PassosTeste() {
        auto* lay = new QVBoxLayout(corpo());
        lay->setContentsMargins(30, 30, 30, 30);
        rotulo = new QLabel(QStringLiteral("Arquivo:"), corpo());
        edtArquivo = new QLineEdit(QStringLiteral("backup.zip"), corpo());
        edtOutro = new QLineEdit(corpo());
        lay->addWidget(rotulo);
        lay->addWidget(edtArquivo);
        lay->addWidget(edtOutro);
        resize(400, 300);
    }
    QLabel* rotulo;
    QLineEdit* edtArquivo;
    QLineEdit* edtOutro;
};

}  // namespace

TEST(TelaPassos, AcoesPredefinidasComTextosEDicas) {
    teste::aplicacaoTeste();
    QPointer<PassosTeste> tela = new PassosTeste;
    struct Acao {
        QAction* a;
        const char* nome;
        const char* texto;
        const char* dica;
    } acoes[] = {
        {tela->AcFechar, "AcFechar", "&Fechar", "Fechar"},
        {tela->acSelecionar, "acSelecionar", "Selecionar Declarações", "Seleciona declarações a serem incluídas na cópia"},
        {tela->acBackupFile, "acBackupFile", "", "Informa o arquivo para restauração da cópia de segurança"},
        {tela->acRestoreFile, "acRestoreFile", "", "Informa o arquivo de saída"},
        {tela->acFazBackup, "acFazBackup", "&Iniciar", "Iniciar cópia"},
        {tela->acFazRestore, "acFazRestore", "&Continua", ""},
        {tela->acGeraArquivos, "acGeraArquivos", "&Iniciar", "Iniciar"},
        {tela->acTipoBackup, "acTipoBackup", "&Continuar", "Continuar"},
        {tela->acVoltar, "acVoltar", "&Voltar", "Voltar"},
        {tela->acVisualizaRestore, "acVisualizaRestore", "&Iniciar", "Iniciar"},
        {tela->acTodas, "acTodas", "Selecinar Todas", ""},
        {tela->acConfirmaRestore, "acConfirmaRestore", "&Iniciar", "Iniciar"},
    };
    for (const auto& a : acoes) {
        EXPECT_EQ(a.a->objectName(), a.nome);
        EXPECT_EQ(a.a->text(), Q(a.texto)) << a.nome;
        EXPECT_EQ(a.a->statusTip(), Q(a.dica)) << a.nome;
    }
    EXPECT_EQ(tela->AcFechar->shortcut(), QKeySequence(Qt::Key_F4));
    EXPECT_FALSE(tela->windowFlags() & Qt::WindowContextHelpButtonHint);
    delete tela;
}

TEST(TelaPassos, FocoNoPrimeiroControleTecladoEDestruidaAoFechar) {
    teste::aplicacaoTeste();
    QPointer<PassosTeste> tela = new PassosTeste;
    mostrarAtiva(*tela);
    EXPECT_EQ(QApplication::focusWidget(), tela->edtArquivo);
    EXPECT_EQ(tela->edtArquivo->selectedText(), "backup.zip");
    QTest::keyClick(tela->edtArquivo, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), tela->edtOutro);
    QTest::keyClick(tela->edtOutro, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), tela->edtArquivo);
    QTest::keyClick(tela->edtArquivo, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tela.isNull(); }));

    // F4 fecha (e destrói)
    tela = new PassosTeste;
    mostrarAtiva(*tela);
    QTest::keyClick(tela->edtOutro, Qt::Key_F4);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tela.isNull(); }));

    // um clique num rótulo não fecha; na superfície da janela, fecha
    tela = new PassosTeste;
    mostrarAtiva(*tela);
    QTest::mouseClick(tela->rotulo, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_FALSE(tela.isNull());
    EXPECT_TRUE(tela->isVisible());
    QTest::mouseClick(tela.data(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(QTest::qWaitFor([&] { return tela.isNull(); }));
}

TEST(TelaPassos, SituacaoSoNaTelaDePassosAtiva) {
    AmbienteTela amb;
    QPointer<PassosTeste> tela = new PassosTeste;
    mostrarAtiva(*tela);
    ui::MostrarStatus("Gerando arquivo de backup");
    EXPECT_EQ(tela->painelStatus()->text(), "Gerando arquivo de backup. Aguarde...");
    ui::LimparStatus();
    EXPECT_EQ(tela->painelStatus()->text(), "");
    ui::MostrarStatus("Gerando arquivo de backup");

    // com uma tela de edição ativa nada muda
    auto cds = ui::CriarConjuntoResponsaveis(*amb.dm);
    {
        ui::TFormEdicaoResponsavel edicao(*amb.dm, cds.get());
        mostrarAtiva(edicao);
        ui::MostrarStatus("Copiando");
        ui::LimparStatus();
        EXPECT_EQ(tela->painelStatus()->text(), "Gerando arquivo de backup. Aguarde...");
        EXPECT_TRUE(edicao.findChildren<QStatusBar*>().empty());

        // a situação das rotinas chega à barra da janela principal; numa tela de passos,
        // à linha dela
        QMainWindow principal;
        ui::InteracaoGui gui(&principal);
        gui.definirBarraStatus(principal.statusBar());
        gui.mostrarStatus("Consistindo a declaração");
        EXPECT_EQ(principal.statusBar()->currentMessage(), Q("Consistindo a declaração"));
        gui.limparStatus();
        EXPECT_EQ(principal.statusBar()->currentMessage(), "");
        edicao.close();
        mostrarAtiva(*tela);
        gui.mostrarStatus("Copiando");
        EXPECT_EQ(tela->painelStatus()->text(), "Copiando. Aguarde...");
        EXPECT_EQ(principal.statusBar()->currentMessage(), "");
    }
    tela->close();
}

// --- Ligação dos controles ---------------------------------------------------------------------

namespace {

#define KOV_COLUNAS_TIPOS(X) X(ID, Chave) X(QUANTIDADE, Inteiro) X(VALOR, Valor) X(DIA, Data)
KOV_LINHA(LinhaTipos, TIPOS, KOV_COLUNAS_TIPOS)

#define KOV_COLUNAS_ESCOLHAS(X) X(NOME, Texto) X(FLAG, Texto) X(MARCA, Texto) X(TIPO, Texto)
KOV_LINHA(LinhaEscolhas, ESCOLHAS, KOV_COLUNAS_ESCOLHAS)

template <class L>
std::unique_ptr<ConjuntoLinhas<L>> conjuntoDe(const char* nome, std::vector<L> linhas, std::vector<L>* gravadas) {
    typename ConjuntoLinhas<L>::Operacoes ops;
    ops.carregar = [linhas] { return linhas; };
    ops.gravar = [gravadas](L& l) { gravadas->push_back(l); };
    return std::make_unique<ConjuntoLinhas<L>>(nome, ops, std::vector<DescricaoCampo>{});
}

class TelaTipos : public ui::TfrmAncestralKOV {
public:
    TelaTipos(Tdm& dm, ConjuntoDados* c) : TfrmAncestralKOV(dm, c) {
        auto* lay = new QVBoxLayout(corpo());
        for (auto [e, campo] : {std::pair{&edtQuantidade, "QUANTIDADE"}, {&edtValor, "VALOR"}, {&edtDia, "DIA"}}) {
            *e = new QLineEdit(corpo());
            ui::LigarCampo(*e, campo);
            lay->addWidget(*e);
        }
        iniciarTela();
    }
    QLineEdit* edtQuantidade;
    QLineEdit* edtValor;
    QLineEdit* edtDia;
};

// Escolhas S/N (grupo de opções e caixa de marcar), uma lista e um campo de outro conjunto.
class TelaEscolhas : public ui::TfrmAncestralKOV {
public:
    TelaEscolhas(Tdm& dm, ConjuntoDados* c, ConjuntoDados* outro) : TfrmAncestralKOV(dm, c) {
        auto* lay = new QVBoxLayout(corpo());
        grpFlag = new ui::GrupoOpcoes(QStringLiteral("Flag"), corpo());
        grpFlag->adicionar(QStringLiteral("Sim"), QStringLiteral("S"));
        grpFlag->adicionar(QStringLiteral("Nao"), QStringLiteral("N"));
        ui::LigarCampo(grpFlag, "FLAG");
        ckMarca = new QCheckBox(QStringLiteral("Marca"), corpo());
        ui::LigarCampo(ckMarca, "MARCA");
        cbTipo = new QComboBox(corpo());
        cbTipo->addItem("Um", "1");
        cbTipo->addItem("Dois", "2");
        ui::LigarCampo(cbTipo, "TIPO");
        edtOutro = new QLineEdit(corpo());
        ui::LigarCampoDe(edtOutro, "cdsOutro", "NOME");
        btnAcao = new QPushButton(QStringLiteral("Ação"), corpo());
        connect(btnAcao, &QPushButton::clicked, [this] { ++cliques; });
        for (QWidget* w : std::initializer_list<QWidget*>{grpFlag, ckMarca, cbTipo, edtOutro, btnAcao}) lay->addWidget(w);
        definirFonte("cdsOutro", outro);
        iniciarTela();
    }
    ui::GrupoOpcoes* grpFlag;
    QCheckBox* ckMarca;
    QComboBox* cbTipo;
    QLineEdit* edtOutro;
    QPushButton* btnAcao;
    int cliques = 0;
};

}  // namespace

TEST(TelaEdicao, TextoQueNaoConverteMostraOErroEMantemAEdicao) {
    AmbienteTela amb;
    std::vector<LinhaTipos> gravadas;
    auto cds = conjuntoDe<LinhaTipos>("cdsTipos", {}, &gravadas);
    cds->abrir();
    cds->inserir();
    TelaTipos tela(*amb.dm, cds.get());
    mostrarAtiva(tela);
    struct Caso {
        QLineEdit* edt;
        const char* errado;
        const char* mensagem;
        const char* certo;
    } casos[] = {{tela.edtValor, "1,234", "'1,234' não é um valor válido", "1.234"},
                 {tela.edtQuantidade, "-", "'-' não é um valor inteiro válido", "-5"},
                 {tela.edtDia, "31/02/2020", "'31/02/2020' não é uma data válida", "29/02/2020"}};
    for (const auto& c : casos) {
        redigitar(c.edt, Q(c.errado));
        amb.ui.mensagens.clear();
        tela.actdbAncestralGravar->trigger();
        EXPECT_EQ(amb.ui.textos(), std::vector<std::string>{c.mensagem});
        EXPECT_TRUE(gravadas.empty());
        EXPECT_EQ(cds->estado(), EstadoConjunto::Insercao);
        EXPECT_TRUE(tela.fechamentoBloqueado());
        EXPECT_EQ(QApplication::focusWidget(), c.edt);
        EXPECT_EQ(c.edt->text(), Q(c.errado));  // o texto digitado continua na caixa
        redigitar(c.edt, Q(c.certo));
    }
    amb.ui.mensagens.clear();
    QTest::mouseClick(tela.botaoGravar(), Qt::LeftButton);
    EXPECT_TRUE(amb.ui.mensagens.empty());
    ASSERT_EQ(gravadas.size(), 1u);
    EXPECT_EQ(gravadas[0].VALOR, Dinheiro::deReais(1234));
    EXPECT_EQ(gravadas[0].QUANTIDADE, -5);
    EXPECT_EQ(gravadas[0].DIA, fb::Data(std::chrono::year(2020), std::chrono::February, std::chrono::day(29)));
    EXPECT_FALSE(tela.isVisible());
}

TEST(TelaEdicao, EscolhasListasEOutraFonteSeguemOEstadoDoSeuConjunto) {
    AmbienteTela amb;
    std::vector<LinhaEscolhas> gravadas;
    std::vector<LinhaDois> outras;
    auto cds = conjuntoDe<LinhaEscolhas>("cdsEscolhas", {{"A", "N", "N", "1"}}, &gravadas);
    auto outro = conjuntoDe<LinhaDois>("cdsOutro", {{"X", ""}}, &outras);
    TelaEscolhas tela(*amb.dm, cds.get(), outro.get());
    ui::DefinirSomenteLeitura(tela.ckMarca, true);  // a tela fixa a caixa de marcar
    mostrarAtiva(tela);
    EXPECT_EQ(tela.grpFlag->valor(), "N");
    EXPECT_FALSE(tela.ckMarca->isChecked());
    EXPECT_EQ(tela.cbTipo->currentText(), "Um");
    EXPECT_EQ(tela.edtOutro->text(), "X");

    // fora da edição as escolhas não mudam, mas continuam habilitadas e na ordem do Tab
    QTest::mouseClick(tela.grpFlag->botao("S"), Qt::LeftButton);
    tela.cbTipo->setFocus();
    QTest::keyClick(tela.cbTipo, Qt::Key_Down);
    EXPECT_EQ(tela.grpFlag->valor(), "N");
    EXPECT_EQ(tela.cbTipo->currentText(), "Um");
    EXPECT_TRUE(tela.cbTipo->isEnabled());
    EXPECT_TRUE(tela.cbTipo->focusPolicy() & Qt::TabFocus);

    // em edição escrevem no campo; a caixa fixada pela tela continua fixa
    tela.actdbAncestralEditar->trigger();
    QTest::mouseClick(tela.grpFlag->botao("S"), Qt::LeftButton);
    EXPECT_EQ(cds->valor("FLAG").texto(), "S");
    QTest::mouseClick(tela.ckMarca, Qt::LeftButton, {}, QPoint(8, tela.ckMarca->height() / 2));
    EXPECT_EQ(cds->valor("MARCA").texto(), "N");
    ui::DefinirSomenteLeitura(tela.ckMarca, false);
    QTest::mouseClick(tela.ckMarca, Qt::LeftButton, {}, QPoint(8, tela.ckMarca->height() / 2));
    EXPECT_EQ(cds->valor("MARCA").texto(), "S");
    QTest::keyClick(tela.cbTipo, Qt::Key_Down);
    EXPECT_EQ(cds->valor("TIPO").texto(), "2");

    // o campo de outro conjunto segue o estado dele, não o do principal
    EXPECT_TRUE(tela.edtOutro->isReadOnly());
    outro->editar();
    EXPECT_FALSE(tela.edtOutro->isReadOnly());
    redigitar(tela.edtOutro, "Y");
    EXPECT_EQ(outro->valor("NOME").texto(), "Y");
    EXPECT_EQ(cds->valor("NOME").texto(), "A");

    // Enter num botão só anda (o espaço o aciona); um controle criado depois também anda
    tela.btnAcao->setFocus();
    QTest::keyClick(tela.btnAcao, Qt::Key_Return);
    EXPECT_EQ(tela.cliques, 0);
    EXPECT_NE(QApplication::focusWidget(), tela.btnAcao);
    auto* tardio = new QLineEdit(tela.findChild<QWidget*>("corpo"));
    tela.findChild<QWidget*>("corpo")->layout()->addWidget(tardio);
    tardio->show();
    tardio->setFocus();
    QTest::keyClick(tardio, Qt::Key_Return);
    EXPECT_NE(QApplication::focusWidget(), tardio);

    QTest::mouseClick(tela.botaoGravar(), Qt::LeftButton);
    ASSERT_EQ(gravadas.size(), 1u);
    EXPECT_EQ(gravadas[0].FLAG, "S");
    EXPECT_EQ(gravadas[0].MARCA, "S");
    EXPECT_EQ(gravadas[0].TIPO, "2");
}

// --- Localizar nas listas ----------------------------------------------------------------------

TEST(TelaLista, LocalizarPorQualquerColunaComOuSemMascaraPeloTeclado) {
    AmbienteTela amb;
    const int responsavel = gravarResponsavel(*amb.dm, "Ana");
    {
        fb::Transacao tr(amb.dm->MainConnection);
        const int municipio = amb.dm->ref.cdsMunicipio.front().CODDRUMUNICIPIO;
        std::vector<Contribuinte> cs;
        const char* dados[][2] = {{"1234567890107", "Comércio Ação Ltda"},
                                  {"9876543210105", "Padaria Pão Quente"},
                                  {"5555555555555", "Oficina do Zé"}};
        for (int i = 0; i < 3; ++i) {
            Contribuinte c = teste::ContribuinteDeTeste(i + 1, municipio, dados[i][1]);
            c.INSCESTADUAL = dados[i][0];
            c.RESPONSAVEL_ID = responsavel;
            cs.push_back(c);
        }
        InserirLinhas(tr, cs);
        tr.commit();
    }
    ui::TFormVisaoContribuintes lista(*amb.dm);
    mostrarAtiva(lista);
    auto* grade = lista.grade();
    ASSERT_EQ(grade->model()->rowCount(), 3);
    lista.grade()->setFocus();
    QTest::keyClick(grade, Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), lista.caixaLocalizar());

    auto mostradas = [&] {
        QStringList l;
        for (int i = 0; i < grade->model()->rowCount(); ++i) l << grade->model()->index(i, 1).data().toString();
        return l;
    };
    digitar(lista.caixaLocalizar(), "acao");  // sem acento e em minúsculas
    EXPECT_EQ(mostradas(), QStringList({Q("Comércio Ação Ltda")}));
    redigitar(lista.caixaLocalizar(), "987.654");  // com a máscara da inscrição
    EXPECT_EQ(mostradas(), QStringList({Q("Padaria Pão Quente")}));
    redigitar(lista.caixaLocalizar(), "987654");
    EXPECT_EQ(mostradas(), QStringList({Q("Padaria Pão Quente")}));
    EXPECT_EQ(lista.conjunto()->valor("RAZAOSOCIAL").texto(), "Padaria Pão Quente");
    redigitar(lista.caixaLocalizar(), "nada assim");
    EXPECT_TRUE(mostradas().isEmpty());
    EXPECT_FALSE(lista.botaoEditar()->isEnabled());

    // Esc limpa; Seta para baixo desce à grade, onde Enter abre a linha escolhida
    QTest::keyClick(lista.caixaLocalizar(), Qt::Key_Escape);
    EXPECT_EQ(mostradas().size(), 3);
    EXPECT_TRUE(lista.isVisible());
    digitar(lista.caixaLocalizar(), Q("zé"));
    QTest::keyClick(lista.caixaLocalizar(), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), grade);
    quandoAparecer<ui::TFormEdicaoContribuinte>([](ui::TFormEdicaoContribuinte* t) {
        EXPECT_EQ(t->edtRazaoSocial->text(), Q("Oficina do Zé"));
        t->cancelarEFechar();
    });
    QTest::keyClick(grade, Qt::Key_Return);
    EXPECT_EQ(lista.conjunto()->valor("INSCESTADUAL").texto(), "5555555555555");
}

}  // namespace kov
