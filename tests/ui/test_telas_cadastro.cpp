// Telas de cadastro de contribuintes e de responsáveis usadas como o usuário usa: abrir a
// lista, inserir ou editar, digitar, escolher nas listas e nos localizadores, gravar e
// responder às mensagens; as verificações da gravação do contribuinte, na ordem e com os
// textos da tela, e o botão que cadastra um responsável novo.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

#include "ApoioUi.h"
#include "data/Cadastros.h"
#include "data/Edicao.h"
#include "ui/Ajuda.h"
#include "ui/frmEContribuintes.h"
#include "ui/frmEResponsaveis.h"
#include "ui/frmVContribuintes.h"
#include "ui/frmVDocumentos.h"
#include "ui/frmPrincipal.h"
#include "ui/frmVResponsaveis.h"
#include "ui/untCnaef.h"
#include "ui/untMunicipio.h"

using namespace kov;
using namespace kov::teste;

namespace {


const char* const SemResponsavel =
    "Favor selecionar um responsável!\r\nCaso não existam responsáveis na lista, \r\n"
    "pode-se cadastrar um novo através do botão que está ao lado da mesma.";




// Escolhe numa lista fechada digitando o começo do item, como pelo teclado.
void escolher(QComboBox* c, const QString& comeco) {
    c->setFocus();
    digitar(c, comeco);
}


QTreeWidgetItem* itemQueComeca(QTreeWidget* arvore, const QString& comeco) {
    for (QTreeWidgetItemIterator i(arvore); *i; ++i)
        if ((*i)->text(0).startsWith(comeco)) return *i;
    return nullptr;
}

// Escolhe a atividade pelo localizador: o nó cujo texto começa com 'comeco'.
void escolherCnaef(ui::TFormEdicaoContribuinte* t, const QString& comeco) {
    quandoAparecer<ui::TfrmEscolheCnaef>([comeco](ui::TfrmEscolheCnaef* p) {
        QTreeWidgetItem* item = itemQueComeca(p->arvore(), comeco);
        EXPECT_NE(item, nullptr) << comeco.toStdString();
        if (item) p->arvore()->setCurrentItem(item);
        QTest::mouseClick(p->botaoConfirmar(), Qt::LeftButton);
        if (p->isVisible()) p->reject();
    });
    QTest::mouseClick(t->btnLocalizarCnaef, Qt::LeftButton);
}

void escolherMunicipio(ui::TFormEdicaoContribuinte* t, const QString& busca) {
    quandoAparecer<ui::TfrmEscolheMunicipio>([busca](ui::TfrmEscolheMunicipio* p) {
        digitar(p->caixaLocalizar(), busca);
        QTest::mouseClick(p->botaoConfirmar(), Qt::LeftButton);
        if (p->isVisible()) p->reject();
    });
    QTest::mouseClick(t->btnLocalizarMunicipio, Qt::LeftButton);
}

// Preenche um contribuinte que passa em todas as verificações, como o usuário.
void preencher(ui::TFormEdicaoContribuinte* t, const QString& cep = "12345678", const QString& telefone = "3333444") {
    digitar(t->edtInscEstadual, "1234567890107");
    digitar(t->edtCNPJ, "12345678000199");
    digitar(t->edtRazaoSocial, Q("Comércio Ação Ltda"));
    digitar(t->edtEmail, "contato@acao.com.br");
    escolher(t->cbTipoContribuinte, "Contribuinte em");
    escolher(t->cbResponsavel, "Maria");
    escolherCnaef(t, Q("4711-3/02  [ 01 ]"));
    escolherMunicipio(t, "vila r");
    digitar(t->edtEndereco, "Rua Direita");
    digitar(t->edtNumero, "100");
    digitar(t->edtBairro, "Centro");
    digitar(t->edtCEP, cep);
    digitar(t->edtDDD, "11");
    digitar(t->edtTelefone, telefone);
}

int codigoMunicipio(Tdm& dm, const std::string& nome) {
    for (const auto& m : dm.ref.cdsMunicipio)
        if (m.DESCRICAO == nome) return m.CODDRUMUNICIPIO;
    return -1;
}

struct Cadastro {
    AmbienteTela amb{"2016"};
    int maria = 0;
    Cadastro() { maria = gravarResponsavel(*amb.dm, "Maria Contadora"); }
    std::vector<LinhaListaContribuinte> gravados() { return ListarContribuintes(amb.dm->MainConnection); }
};

QStringList linhaDaGrade(QTableView* g, int linha) {
    QStringList l;
    for (int c = 0; c < g->model()->columnCount(); ++c) l << g->model()->index(linha, c).data().toString();
    return l;
}

}  // namespace

TEST(CadastroContribuintes, CadastraPelasTelasComListasELocalizadores) {
    Cadastro cad;
    auto& amb = cad.amb;
    ui::TFormVisaoContribuintes lista(*amb.dm);
    EXPECT_EQ(lista.windowTitle(), "Cadastro de Contribuintes");
    EXPECT_EQ(ui::ContextoAjudaDe(&lista), 7);
    QStringList titulos;
    for (int c = 0; c < lista.grade()->model()->columnCount(); ++c)
        titulos << lista.grade()->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titulos, QStringList({Q("Inscrição Estadual"), Q("Razão Social"), "Municipio", "Tipo Contribuinte",
                                    "Email"}));
    mostrarAtiva(lista);
    ASSERT_EQ(lista.grade()->model()->rowCount(), 0);

    bool viu = false;
    quandoAparecer<ui::TFormEdicaoContribuinte>([&](ui::TFormEdicaoContribuinte* t) {
        viu = true;
        EXPECT_EQ(t->windowTitle(), "Contribuinte");
        EXPECT_EQ(ui::ContextoAjudaDe(t), 7);
        EXPECT_EQ(t->cbResponsavel->currentIndex(), -1);  // "Não atribuído"
        EXPECT_EQ(t->cbResponsavel->placeholderText(), Q("Não atribuído"));
        EXPECT_EQ(t->btnNovoResponsavel->toolTip(), Q("Cadastrar novo responsável"));
        // atividade só pelo localizador
        EXPECT_TRUE(t->edtCnaef->isReadOnly());
        EXPECT_TRUE(t->edtDesmembramento->isReadOnly());
        EXPECT_TRUE(t->edtDescricaoCnaef->isReadOnly());
        preencher(t);
        EXPECT_EQ(t->edtCnaef->text(), "4711302");
        EXPECT_EQ(t->edtDesmembramento->text(), "01");
        EXPECT_EQ(t->edtDescricaoCnaef->text(), Q("Supermercados com área de venda de até 1.000 metros quadrados"));
        EXPECT_EQ(t->cbMunicipio->currentText(), "VILA RICA");
        EXPECT_EQ(t->cbTipoContribuinte->currentText(), "Contribuinte em Geral");
        EXPECT_EQ(t->cbResponsavel->currentText(), "Maria Contadora");
        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        EXPECT_FALSE(t->isVisible());
        if (t->isVisible()) t->cancelarEFechar();
    });
    QTest::mouseClick(lista.botaoInserir(), Qt::LeftButton);
    ASSERT_TRUE(viu);
    EXPECT_TRUE(amb.ui.mensagens.empty()) << amb.ui.mensagens.front().texto;

    const auto g = cad.gravados();
    ASSERT_EQ(g.size(), 1u);
    const Contribuinte& c = g[0].c;
    EXPECT_EQ(c.INSCESTADUAL, "1234567890107");
    EXPECT_EQ(c.RAZAOSOCIAL, "Comércio Ação Ltda");
    EXPECT_EQ(c.CNPJ, "12345678000199");
    EXPECT_EQ(c.EMAIL, "contato@acao.com.br");
    EXPECT_EQ(c.TIPOCONTRIBUINTE_ID, 3);
    EXPECT_EQ(c.RESPONSAVEL_ID, cad.maria);
    EXPECT_EQ(c.CNAEF_ID, "4711302");
    EXPECT_EQ(c.DESMEMBRAMENTO, "01");
    EXPECT_EQ(c.CODDRUMUNICIPIO, codigoMunicipio(*amb.dm, "VILA RICA"));
    EXPECT_EQ(c.UF_ID, "QZ");
    EXPECT_EQ(c.ENDERECO, "Rua Direita");
    EXPECT_EQ(c.NUMERO, "100");
    EXPECT_EQ(c.BAIRRO, "Centro");
    EXPECT_EQ(c.COMPLEMENTO, "");
    EXPECT_EQ(c.CEP, "12345678");
    EXPECT_EQ(c.DDD, "11");
    EXPECT_EQ(c.TELEFONE, "3333444");
    EXPECT_GT(c.CONTRIBUINTE_ID, 0);

    ASSERT_EQ(lista.grade()->model()->rowCount(), 1);
    EXPECT_EQ(linhaDaGrade(lista.grade(), 0),
              QStringList({"1234567890107", Q("Comércio Ação Ltda"), "VILA RICA", "Contribuinte em Geral",
                           "contato@acao.com.br"}));
}

TEST(CadastroContribuintes, CepDeSeteRecusadoEDeOitoAceito) {
    Cadastro cad;
    auto& amb = cad.amb;
    ui::TFormVisaoContribuintes lista(*amb.dm);
    mostrarAtiva(lista);
    quandoAparecer<ui::TFormEdicaoContribuinte>([&](ui::TFormEdicaoContribuinte* t) {
        preencher(t, "1234567");
        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        ASSERT_EQ(amb.ui.mensagens.size(), 1u);
        EXPECT_EQ(amb.ui.mensagens[0].tipo, "erro");
        EXPECT_EQ(amb.ui.mensagens[0].titulo, "Erro");
        EXPECT_EQ(amb.ui.mensagens[0].texto, "O campo \"CEP\" deve ter no mínimo 8 caracteres.");
        EXPECT_TRUE(t->isVisible());
        EXPECT_TRUE(t->fechamentoBloqueado());
        EXPECT_EQ(t->focusWidget(), t->edtCEP);
        EXPECT_EQ(t->edtRazaoSocial->text(), Q("Comércio Ação Ltda"));  // nada se perde
        EXPECT_TRUE(cad.gravados().empty());

        // o campo focado vem com o texto selecionado: o usuário vai ao fim e completa
        QTest::keyClick(t->edtCEP, Qt::Key_End);
        digitar(t->edtCEP, "8");
        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        EXPECT_FALSE(t->isVisible());
        if (t->isVisible()) t->cancelarEFechar();
    });
    QTest::mouseClick(lista.botaoInserir(), Qt::LeftButton);
    EXPECT_EQ(amb.ui.mensagens.size(), 1u);
    const auto g = cad.gravados();
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].c.CEP, "12345678");
}

TEST(CadastroContribuintes, TextoColadoComTabulacaoRecusadoNoCampo) {
    Cadastro cad;
    auto& amb = cad.amb;
    ui::TFormVisaoContribuintes lista(*amb.dm);
    mostrarAtiva(lista);
    quandoAparecer<ui::TFormEdicaoContribuinte>([&](ui::TFormEdicaoContribuinte* t) {
        preencher(t);
        // Colado de uma célula de planilha: o texto traz a tabulação entre as colunas
        t->edtRazaoSocial->selectAll();
        t->edtRazaoSocial->insert(Q("Comércio\tAção Ltda"));
        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        ASSERT_EQ(amb.ui.mensagens.size(), 1u);
        EXPECT_EQ(amb.ui.mensagens[0].texto,
                  "O campo \"Razão Social\" contém caracteres de controle (como tabulação ou quebra de linha).");
        EXPECT_EQ(t->focusWidget(), t->edtRazaoSocial);
        EXPECT_TRUE(cad.gravados().empty());
        redigitar(t->edtRazaoSocial, Q("Comércio Ação Ltda"));
        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        EXPECT_FALSE(t->isVisible());
        if (t->isVisible()) t->cancelarEFechar();
    });
    QTest::mouseClick(lista.botaoInserir(), Qt::LeftButton);
    ASSERT_EQ(cad.gravados().size(), 1u);
    EXPECT_EQ(cad.gravados()[0].c.RAZAOSOCIAL, "Comércio Ação Ltda");
}

TEST(CadastroContribuintes, TelefoneDeSeisRecusadoVazioPerguntaESeteAceito) {
    Cadastro cad;
    auto& amb = cad.amb;
    ui::TFormVisaoContribuintes lista(*amb.dm);
    mostrarAtiva(lista);
    quandoAparecer<ui::TFormEdicaoContribuinte>([&](ui::TFormEdicaoContribuinte* t) {
        preencher(t, "12345678", "333444");
        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        ASSERT_EQ(amb.ui.mensagens.size(), 1u);
        EXPECT_EQ(amb.ui.mensagens[0].texto, "O campo \"Telefone\" deve ter no mínimo 7 caracteres.");
        EXPECT_EQ(t->focusWidget(), t->edtTelefone);
        EXPECT_TRUE(t->isVisible());

        // vazio: pergunta; Não volta ao campo sem gravar
        redigitar(t->edtTelefone, "");
        amb.ui.respostas = {false};
        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        ASSERT_EQ(amb.ui.mensagens.size(), 2u);
        EXPECT_EQ(amb.ui.mensagens[1].tipo, "pergunta");
        EXPECT_EQ(amb.ui.mensagens[1].titulo, "Gravação");
        EXPECT_EQ(amb.ui.mensagens[1].texto, "O campo \"Telefone\" não tem valor. Deseja continuar?");
        EXPECT_EQ(t->focusWidget(), t->edtTelefone);
        EXPECT_TRUE(t->isVisible());
        EXPECT_TRUE(t->fechamentoBloqueado());
        EXPECT_TRUE(cad.gravados().empty());

        digitar(t->edtTelefone, "3334444");
        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        EXPECT_FALSE(t->isVisible());
        if (t->isVisible()) t->cancelarEFechar();
    });
    QTest::mouseClick(lista.botaoInserir(), Qt::LeftButton);
    EXPECT_EQ(amb.ui.mensagens.size(), 2u);
    const auto g = cad.gravados();
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].c.TELEFONE, "3334444");
}

TEST(CadastroContribuintes, SemDddESemTelefoneGravaQuandoORespondeSim) {
    Cadastro cad;
    auto& amb = cad.amb;
    ui::TFormVisaoContribuintes lista(*amb.dm);
    mostrarAtiva(lista);
    quandoAparecer<ui::TFormEdicaoContribuinte>([&](ui::TFormEdicaoContribuinte* t) {
        preencher(t, "12345678", "");
        redigitar(t->edtDDD, "");
        amb.ui.respostas = {true, true};
        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        EXPECT_FALSE(t->isVisible());
        if (t->isVisible()) t->cancelarEFechar();
    });
    QTest::mouseClick(lista.botaoInserir(), Qt::LeftButton);
    EXPECT_EQ(amb.ui.textos(), std::vector<std::string>({"O campo \"DDD\" não tem valor. Deseja continuar?",
                                                         "O campo \"Telefone\" não tem valor. Deseja continuar?"}));
    const auto g = cad.gravados();
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].c.DDD, "");
    EXPECT_EQ(g[0].c.TELEFONE, "");
}

TEST(CadastroContribuintes, ResponsavelNaoAtribuidoNaoGrava) {
    Cadastro cad;
    auto& amb = cad.amb;
    ui::TFormVisaoContribuintes lista(*amb.dm);
    mostrarAtiva(lista);
    quandoAparecer<ui::TFormEdicaoContribuinte>([&](ui::TFormEdicaoContribuinte* t) {
        preencher(t);
        // volta ao responsável "Não atribuído"
        t->conjunto()->definir("RESPONSAVEL_ID", fb::Valor(0));
        EXPECT_EQ(t->cbResponsavel->currentIndex(), -1);
        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        ASSERT_EQ(amb.ui.mensagens.size(), 1u);
        EXPECT_EQ(amb.ui.mensagens[0].tipo, "erro");
        EXPECT_EQ(amb.ui.mensagens[0].texto, SemResponsavel);
        EXPECT_EQ(t->focusWidget(), t->cbResponsavel);
        EXPECT_TRUE(t->isVisible());
        QTest::mouseClick(t->botaoCancelar(), Qt::LeftButton);
        EXPECT_FALSE(t->isVisible());
    });
    QTest::mouseClick(lista.botaoInserir(), Qt::LeftButton);
    EXPECT_TRUE(cad.gravados().empty());
    EXPECT_EQ(lista.grade()->model()->rowCount(), 0);
}

TEST(CadastroContribuintes, CamposObrigatoriosMarcadosComACorDasDicas) {
    Cadastro cad;
    auto cds = ui::CriarConjuntoContribuintes(*cad.amb.dm);
    cds->abrir();
    cds->inserir();
    ui::TFormEdicaoContribuinte t(*cad.amb.dm, cds.get());
    t.show();
    const QColor dica = QApplication::palette().color(QPalette::ToolTipBase);
    for (QWidget* w : std::initializer_list<QWidget*>{t.edtInscEstadual, t.edtRazaoSocial, t.edtCNPJ, t.edtEmail,
                                                      t.edtCnaef, t.edtDesmembramento, t.edtDescricaoCnaef,
                                                      t.edtCEP, t.cbTipoContribuinte, t.cbResponsavel, t.cbMunicipio})
        EXPECT_EQ(w->palette().color(QPalette::Base), dica) << w->objectName().toStdString();
    for (QWidget* w : std::initializer_list<QWidget*>{t.edtEndereco, t.edtNumero, t.edtComplemento, t.edtBairro,
                                                      t.edtCaixaPostal, t.edtAgenciaPostal, t.edtDDD, t.edtTelefone})
        EXPECT_NE(w->palette().color(QPalette::Base), dica) << w->objectName().toStdString();
    t.cancelarEFechar();
}

TEST(CadastroContribuintes, EditarMostraOGravadoEGravaAAlteracao) {
    Cadastro cad;
    auto& amb = cad.amb;
    {
        InteracaoGravada ui;
        Contribuinte c = NovoContribuinte();
        c.INSCESTADUAL = "1234567890107";
        c.RAZAOSOCIAL = "Padaria Pão Quente";
        c.CNPJ = "12345678000199";
        c.EMAIL = "pao@quente.com.br";
        c.TIPOCONTRIBUINTE_ID = 1;
        c.RESPONSAVEL_ID = cad.maria;
        c.CNAEF_ID = "4711301";
        c.DESMEMBRAMENTO = "00";
        c.CODDRUMUNICIPIO = codigoMunicipio(*amb.dm, "VILA RICA");
        c.CEP = "12345678";
        c.DDD = "11";
        c.TELEFONE = "3333444";
        GravarContribuinte(amb.dm->MainConnection, c, ui);
    }
    ui::TFormVisaoContribuintes lista(*amb.dm);
    mostrarAtiva(lista);
    ASSERT_EQ(lista.grade()->model()->rowCount(), 1);
    EXPECT_EQ(linhaDaGrade(lista.grade(), 0),
              QStringList({"1234567890107", Q("Padaria Pão Quente"), "VILA RICA", "Contrib. com Outras Entradas",
                           "pao@quente.com.br"}));

    quandoAparecer<ui::TFormEdicaoContribuinte>([&](ui::TFormEdicaoContribuinte* t) {
        EXPECT_EQ(t->edtInscEstadual->text(), "1234567890107");
        EXPECT_EQ(t->edtRazaoSocial->text(), Q("Padaria Pão Quente"));
        EXPECT_EQ(t->edtCnaef->text(), "4711301");
        EXPECT_EQ(t->edtDesmembramento->text(), "00");
        EXPECT_TRUE(t->edtDescricaoCnaef->text().endsWith("hipermercados"));
        EXPECT_EQ(t->cbMunicipio->currentText(), "VILA RICA");
        EXPECT_EQ(t->cbTipoContribuinte->currentText(), "Contrib. com Outras Entradas");
        EXPECT_EQ(t->cbResponsavel->currentText(), "Maria Contadora");
        EXPECT_FALSE(t->edtRazaoSocial->isReadOnly());
        EXPECT_TRUE(t->edtCnaef->isReadOnly());  // tag 30: só leitura também na edição

        // localizador fechado sem confirmar não muda nada
        quandoAparecer<ui::TfrmEscolheCnaef>([](ui::TfrmEscolheCnaef* p) {
            QTest::mouseClick(p->botaoFechar(), Qt::LeftButton);
        });
        QTest::mouseClick(t->btnLocalizarCnaef, Qt::LeftButton);
        EXPECT_EQ(t->edtCnaef->text(), "4711301");
        EXPECT_FALSE(t->conjunto()->alteracoesPendentes());

        redigitar(t->edtRazaoSocial, Q("Padaria Pão Quente Ltda"));
        escolherMunicipio(t, Q("três c"));
        EXPECT_EQ(t->cbMunicipio->currentText(), Q("TRÊS CORAÇÕES"));
        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        EXPECT_FALSE(t->isVisible());
        if (t->isVisible()) t->cancelarEFechar();
    });
    QTest::mouseClick(lista.botaoEditar(), Qt::LeftButton);
    EXPECT_TRUE(amb.ui.mensagens.empty());
    const auto g = cad.gravados();
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].c.RAZAOSOCIAL, "Padaria Pão Quente Ltda");
    EXPECT_EQ(g[0].c.CODDRUMUNICIPIO, codigoMunicipio(*amb.dm, "TRÊS CORAÇÕES"));
    EXPECT_EQ(linhaDaGrade(lista.grade(), 0)[1], Q("Padaria Pão Quente Ltda"));
    EXPECT_EQ(linhaDaGrade(lista.grade(), 0)[2], Q("TRÊS CORAÇÕES"));
}

TEST(CadastroContribuintes, BotaoAoLadoDoResponsavelCadastraUmNovoQueApareceNaLista) {
    Cadastro cad;
    auto& amb = cad.amb;
    auto cds = ui::CriarConjuntoContribuintes(*amb.dm);
    cds->abrir();
    cds->inserir();
    ui::TFormEdicaoContribuinte t(*amb.dm, cds.get());
    mostrarAtiva(t);
    ASSERT_EQ(t.cbResponsavel->count(), 1);

    bool viuLista = false, viuEdicao = false;
    quandoAparecer<ui::TFormVisaoResponsaveis>([&](ui::TFormVisaoResponsaveis* lista) {
        viuLista = true;
        EXPECT_EQ(lista->grade()->model()->rowCount(), 1);
        quandoAparecer<ui::TFormEdicaoResponsavel>([&](ui::TFormEdicaoResponsavel* r) {
            viuEdicao = true;
            digitar(r->edtNome, Q("João Escriturário"));
            digitar(r->edtDDD, "21");
            digitar(r->edtTelefone, "22223333");
            digitar(r->edtEmail, "joao@contab.com.br");
            QTest::mouseClick(r->botaoGravar(), Qt::LeftButton);
            if (r->isVisible()) r->cancelarEFechar();
        });
        QTest::mouseClick(lista->botaoInserir(), Qt::LeftButton);
        EXPECT_EQ(lista->grade()->model()->rowCount(), 2);
        QTest::mouseClick(lista->botaoFechar(), Qt::LeftButton);
    });
    QTest::mouseClick(t.btnNovoResponsavel, Qt::LeftButton);
    EXPECT_TRUE(viuLista);
    EXPECT_TRUE(viuEdicao);
    ASSERT_EQ(t.cbResponsavel->count(), 2);
    EXPECT_GE(t.cbResponsavel->findText(Q("João Escriturário")), 0);
    EXPECT_EQ(t.cbResponsavel->currentIndex(), -1);  // ainda "Não atribuído"
    escolher(t.cbResponsavel, "Jo");
    EXPECT_EQ(t.cbResponsavel->currentText(), Q("João Escriturário"));
    EXPECT_EQ(cds->valor("RESPONSAVEL_ID").inteiro(), t.cbResponsavel->currentData().toInt());
    t.cancelarEFechar();
}

TEST(CadastroResponsaveis, CadastraPelasTelasSemALinhaNaoAtribuido) {
    AmbienteTela amb;
    ui::TFormVisaoResponsaveis lista(*amb.dm);
    EXPECT_EQ(lista.windowTitle(), Q("Cadastro de Responsáveis"));
    EXPECT_EQ(ui::ContextoAjudaDe(&lista), 10);
    QStringList titulos;
    for (int c = 0; c < lista.grade()->model()->columnCount(); ++c)
        titulos << lista.grade()->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titulos, QStringList({"Nome", "DDD", "Telefone", "E-Mail"}));
    mostrarAtiva(lista);
    EXPECT_EQ(lista.grade()->model()->rowCount(), 0);  // só a linha 0 existe na base

    quandoAparecer<ui::TFormEdicaoResponsavel>([&](ui::TFormEdicaoResponsavel* t) {
        EXPECT_EQ(t->windowTitle(), Q("Responsável pelas informações"));
        EXPECT_EQ(ui::ContextoAjudaDe(t), 10);
        QStringList rotulos;
        for (QLabel* l : t->findChildren<QLabel*>()) rotulos << l->text();
        EXPECT_EQ(rotulos, QStringList({"Nome", "DDD", "Telefone", "E-Mail"}));
        // Ao abrir, o cursor está no primeiro campo; a barra de comandos não recebe o foco,
        // então o espaço digitado vai para o campo e não aciona um botão
        EXPECT_EQ(t->focusWidget(), t->edtNome);
        for (auto* b : t->findChildren<QToolButton*>()) EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
        digitar(t->edtNome, Q("Maria"));
        digitar(t->focusWidget(), Q(" Conceição"));
        digitar(t->edtDDD, "11");
        digitar(t->edtTelefone, "3333444");  // o responsável pede 8 dígitos
        digitar(t->edtEmail, "maria@contab.com.br");
        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        EXPECT_TRUE(amb.ui.contem("O telefone deve ter no mínimo 8 dígitos."));
        EXPECT_EQ(t->focusWidget(), t->edtTelefone);
        QTest::keyClick(t->edtTelefone, Qt::Key_End);
        digitar(t->edtTelefone, "5");
        redigitar(t->edtEmail, "maria-contab");
        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        EXPECT_TRUE(amb.ui.contem("Favor validar o endereço digitado"));
        EXPECT_EQ(t->focusWidget(), t->edtEmail);
        redigitar(t->edtEmail, "maria@contab.com.br");
        QTest::mouseClick(t->botaoGravar(), Qt::LeftButton);
        EXPECT_FALSE(t->isVisible());
        if (t->isVisible()) t->cancelarEFechar();
    });
    QTest::mouseClick(lista.botaoInserir(), Qt::LeftButton);
    EXPECT_EQ(amb.ui.mensagens.size(), 2u);
    ASSERT_EQ(lista.grade()->model()->rowCount(), 1);
    EXPECT_EQ(linhaDaGrade(lista.grade(), 0),
              QStringList({Q("Maria Conceição"), "11", "33334445", "maria@contab.com.br"}));
    const auto gravados = ListarResponsaveis(amb.dm->MainConnection);
    ASSERT_EQ(gravados.size(), 1u);
    EXPECT_EQ(gravados[0].NOME, "Maria Conceição");
    EXPECT_EQ(gravados[0].TELEFONE, "33334445");

    // Enter na grade edita o registro atual
    quandoAparecer<ui::TFormEdicaoResponsavel>([&](ui::TFormEdicaoResponsavel* t) {
        EXPECT_EQ(t->edtNome->text(), Q("Maria Conceição"));
        QTest::mouseClick(t->botaoFechar(), Qt::LeftButton);  // sem nada digitado ainda pergunta
    });
    amb.ui.respostas = {true};
    lista.grade()->setFocus();
    QTest::keyClick(lista.grade(), Qt::Key_Return);
    EXPECT_EQ(amb.doTipo("pergunta").size(), 1u);
    EXPECT_TRUE(lista.conjunto()->navegando());
}

TEST(CadastroPelaJanelaPrincipal, ComandosAbremAsListas) {
    Cadastro cad;
    auto& amb = cad.amb;
    ui::TFormPrincipal form(*amb.dm);
    mostrarAtiva(form);
    auto* contribuintes = form.findChild<QAction*>("actCadastroContribuintes");
    auto* responsaveis = form.findChild<QAction*>("actCadastroResponsaveis");
    ASSERT_TRUE(contribuintes && responsaveis);
    EXPECT_TRUE(contribuintes->isEnabled());
    EXPECT_TRUE(responsaveis->isEnabled());
    EXPECT_TRUE(form.findChild<QAction*>("actCadastroDocumentos")->isEnabled());

    int linhas = -1;
    quandoAparecer<ui::TFormVisaoResponsaveis>([&](ui::TFormVisaoResponsaveis* l) {
        linhas = l->grade()->model()->rowCount();
        QTest::keyClick(l->grade(), Qt::Key_Escape);
    });
    QTest::mouseClick(form.findChild<QToolButton*>("btnResponsaveis"), Qt::LeftButton);
    EXPECT_EQ(linhas, 1);

    QString titulo;
    quandoAparecer<ui::TFormVisaoContribuintes>([&](ui::TFormVisaoContribuintes* l) {
        titulo = l->windowTitle();
        QTest::mouseClick(l->botaoFechar(), Qt::LeftButton);
    });
    contribuintes->trigger();
    EXPECT_EQ(titulo, "Cadastro de Contribuintes");

    quandoAparecer<ui::TFormVisaoDocumentos>([&](ui::TFormVisaoDocumentos* l) {
        titulo = l->windowTitle();
        QTest::keyClick(l->grade(), Qt::Key_Escape);
    });
    QTest::mouseClick(form.findChild<QToolButton*>("btnDocumentos"), Qt::LeftButton);
    EXPECT_EQ(titulo, "Cadastro de Documentos");
    EXPECT_TRUE(amb.ui.mensagens.empty());
}
