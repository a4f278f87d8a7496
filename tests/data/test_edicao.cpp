// Conjunto de dados das telas: inclusão, alteração, cancelamento e gravação sobre a base
// real (cadastro de responsáveis), falhas que mantêm a edição, exclusão recusada,
// atualização recusada durante a edição, navegação, conversão dos textos e exportação.
#include <gtest/gtest.h>

#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/InteracaoGravada.h"
#include "data/Cadastros.h"
#include "data/Edicao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

namespace kov {
namespace {

#define KOV_COLUNAS_DOIS(X) X(NOME, Texto) X(CIDADE, Texto)
KOV_LINHA(LinhaDois, DOIS, KOV_COLUNAS_DOIS)

#define KOV_COLUNAS_TIPOS(X) X(ID, Chave) X(QUANTIDADE, Inteiro) X(VALOR, Valor) X(DIA, Data)
KOV_LINHA(LinhaTipos, TIPOS, KOV_COLUNAS_TIPOS)

const std::string MSG_APLICAR = "É necessário aplicar as alterações antes de efetuar esta operação";

struct ConjuntoResponsaveis : ::testing::Test {
    teste::PastaTemporaria pasta;
    fb::Conexao c;
    teste::InteracaoGravada ui;
    std::unique_ptr<ConjuntoLinhas<Responsavel>> cds;

    void SetUp() override {
        teste::copiarBaseModelo(pasta.caminho() / "KOV.GDB");
        fb::ParametrosConexao p;
        p.banco = teste::enderecoBanco(pasta.caminho() / "KOV.GDB");
        c.abrir(p);
        ConjuntoLinhas<Responsavel>::Operacoes ops;
        ops.carregar = [this] { return ListarResponsaveis(c); };
        ops.novo = [] { return NovoResponsavel(); };
        ops.gravar = [this](Responsavel& r) { GravarResponsavel(c, r, ui); };
        ops.excluir = [this](const Responsavel& r) { ExcluirResponsavel(c, r.RESPONSAVEL_ID); };
        cds = std::make_unique<ConjuntoLinhas<Responsavel>>(
            "cdsResponsavel", ops,
            std::vector<DescricaoCampo>{{"NOME", "Nome", true}, {"DDD", "DDD", true}, {"EMAIL", "E-Mail", true}});
    }

    int gravarDireto(const std::string& nome) {
        Responsavel r = NovoResponsavel();
        r.NOME = nome;
        r.DDD = "11";
        r.TELEFONE = "33334444";
        r.EMAIL = "a@b.com";
        GravarResponsavel(c, r, ui);
        return r.RESPONSAVEL_ID;
    }

    int contarNaBase() {
        auto tr = fb::Transacao::leitura(c);
        fb::Comando q(tr, "SELECT COUNT(*) FROM RESPONSAVEL");
        q.proximo();
        const int n = static_cast<int>(q.coluna(0).inteiro());
        tr.commit();
        return n;
    }

    void preencher(const std::string& nome, const std::string& ddd) {
        cds->definirTexto("NOME", nome);
        cds->definirTexto("DDD", ddd);
        cds->definirTexto("TELEFONE", "33334444");
        cds->definirTexto("EMAIL", "maria@contab.com.br");
    }
};

}  // namespace

TEST_F(ConjuntoResponsaveis, CamposComRotulosObrigatoriosEAChaveDaLinha) {
    std::vector<std::string> nomes;
    for (const auto& campo : cds->campos()) nomes.push_back(campo.nome);
    EXPECT_EQ(nomes, (std::vector<std::string>{"RESPONSAVEL_ID", "NOME", "DDD", "TELEFONE", "EMAIL"}));
    EXPECT_EQ(cds->campo("EMAIL")->rotulo, "E-Mail");
    EXPECT_TRUE(cds->campo("NOME")->obrigatorio);
    EXPECT_FALSE(cds->campo("TELEFONE")->obrigatorio);
    EXPECT_EQ(cds->campo("TELEFONE")->rotulo, "TELEFONE");  // sem descrição, o próprio nome
    EXPECT_EQ(cds->campo("RESPONSAVEL_ID")->especie, EspecieColuna::Chave);
    EXPECT_EQ(cds->campo("XYZ"), nullptr);
    EXPECT_FALSE(cds->aberto());
    EXPECT_EQ(cds->quantidade(), 0);
    EXPECT_THROW(cds->valor("XYZ"), ErroSistema);
}

TEST_F(ConjuntoResponsaveis, InclusaoCanceladaNaoGravaEGravadaRecebeAChaveDoGerador) {
    cds->abrir();
    ASSERT_TRUE(cds->navegando());
    EXPECT_TRUE(cds->vazio());  // a linha 0 nunca é lida
    EXPECT_EQ(cds->atual(), -1);
    EXPECT_TRUE(cds->valor("NOME").nulo());
    EXPECT_THROW(cds->definir("NOME", fb::Valor("x")), ErroSistema);  // fora da edição

    cds->inserir();
    EXPECT_EQ(cds->estado(), EstadoConjunto::Insercao);
    EXPECT_FALSE(cds->modificado());
    EXPECT_FALSE(cds->alteracoesPendentes());
    cds->definirTexto("NOME", "Maria");
    EXPECT_TRUE(cds->alteracoesPendentes());
    EXPECT_EQ(cds->valor("NOME").texto(), "Maria");
    EXPECT_EQ(cds->quantidade(), 0);  // a lista só tem o que foi gravado
    cds->cancelar();
    EXPECT_TRUE(cds->navegando());
    EXPECT_FALSE(cds->alteracoesPendentes());
    EXPECT_TRUE(cds->valor("NOME").nulo());
    EXPECT_EQ(contarNaBase(), 1);

    cds->inserir();
    preencher("Maria Contadora", "11");
    cds->gravar();
    EXPECT_TRUE(cds->navegando());
    ASSERT_EQ(cds->quantidade(), 1);
    EXPECT_EQ(cds->atual(), 0);
    EXPECT_EQ(cds->valor("NOME").texto(), "Maria Contadora");
    EXPECT_GT(cds->valor("RESPONSAVEL_ID").inteiro(), 0);
    EXPECT_EQ(contarNaBase(), 2);
    EXPECT_TRUE(ui.mensagens.empty());
}

TEST_F(ConjuntoResponsaveis, GravacaoRecusadaMantemAEdicaoComOsValoresDigitados) {
    cds->abrir();
    cds->inserir();
    preencher("Maria", "1");
    try {
        cds->gravar();
        FAIL() << "gravou um DDD de um dígito";
    } catch (const Abortar& a) {
        EXPECT_EQ(a.campo, "DDD");
    }
    EXPECT_EQ(cds->estado(), EstadoConjunto::Insercao);
    EXPECT_EQ(cds->valor("DDD").texto(), "1");
    EXPECT_EQ(cds->valor("NOME").texto(), "Maria");
    EXPECT_TRUE(ui.contem("O DDD deve ter no mínimo 2 dígitos."));
    EXPECT_EQ(contarNaBase(), 1);

    // corrigido, grava a mesma edição
    cds->definirTexto("DDD", "21");
    cds->gravar();
    EXPECT_TRUE(cds->navegando());
    EXPECT_EQ(cds->valor("DDD").texto(), "21");
    EXPECT_EQ(contarNaBase(), 2);
}

TEST_F(ConjuntoResponsaveis, AlteracaoGravaNaBaseEAtualizarERecusadoDuranteAEdicao) {
    gravarDireto("Ana");
    const int bruno = gravarDireto("Bruno");
    gravarDireto("Carla");
    cds->abrir();
    ASSERT_EQ(cds->quantidade(), 3);
    cds->irPara(1);
    ASSERT_EQ(cds->valor("NOME").texto(), "Bruno");

    cds->editar();
    EXPECT_EQ(cds->estado(), EstadoConjunto::Edicao);
    EXPECT_FALSE(cds->alteracoesPendentes());
    // atualizar descartaria a edição: recusado mesmo sem nada digitado
    try {
        cds->atualizar();
        FAIL();
    } catch (const ErroSistema& e) {
        EXPECT_EQ(std::string(e.what()), MSG_APLICAR);
    }
    cds->definirTexto("NOME", "Bruno Souza");
    EXPECT_THROW(cds->atualizar(), ErroSistema);
    EXPECT_EQ(cds->valor("NOME").texto(), "Bruno Souza");
    cds->gravar();
    EXPECT_EQ(cds->valor("RESPONSAVEL_ID").inteiro(), bruno);
    EXPECT_EQ(CarregarResponsavel(c, bruno).NOME, "Bruno Souza");

    // mudança feita por fora aparece ao atualizar, no mesmo registro
    Responsavel r = CarregarResponsavel(c, bruno);
    r.NOME = "Aaron";  // passa a ser o primeiro em ordem de nome
    GravarResponsavel(c, r, ui);
    EXPECT_EQ(cds->valor("NOME").texto(), "Bruno Souza");
    cds->atualizar();
    EXPECT_EQ(cds->valor("NOME").texto(), "Aaron");
    EXPECT_EQ(cds->atual(), 0);
}

TEST_F(ConjuntoResponsaveis, NavegacaoSoForaDaEdicao) {
    for (const char* n : {"Ana", "Bruno", "Carla"}) gravarDireto(n);
    cds->abrir();
    EXPECT_TRUE(cds->noInicio());
    EXPECT_FALSE(cds->noFim());
    cds->ultimo();
    EXPECT_EQ(cds->valor("NOME").texto(), "Carla");
    EXPECT_TRUE(cds->noFim());
    cds->proximo();  // além do fim: fica
    EXPECT_EQ(cds->atual(), 2);
    cds->anterior();
    EXPECT_EQ(cds->valor("NOME").texto(), "Bruno");
    cds->primeiro();
    EXPECT_EQ(cds->valor("NOME").texto(), "Ana");
    cds->anterior();
    EXPECT_EQ(cds->atual(), 0);

    cds->editar();
    cds->ultimo();
    cds->irPara(2);
    EXPECT_EQ(cds->atual(), 0);
    EXPECT_EQ(cds->valor("NOME").texto(), "Ana");
    cds->inserir();  // com uma edição em curso não começa outra
    EXPECT_EQ(cds->estado(), EstadoConjunto::Edicao);
    cds->cancelar();
    cds->ultimo();
    EXPECT_EQ(cds->atual(), 2);
}

TEST_F(ConjuntoResponsaveis, ExclusaoRecusadaMantemALinhaEAceitaAtualiza) {
    const int ana = gravarDireto("Ana");
    gravarDireto("Bruno");
    {
        // Ana responde por um contribuinte: não pode ser excluída
        fb::Transacao tr(c);
        fb::Comando ins(tr,
                        "INSERT INTO CONTRIBUINTE (CONTRIBUINTE_ID, CNAEF_ID, DESMEMBRAMENTO, CODDRUMUNICIPIO, UF_ID, "
                        "TIPOCONTRIBUINTE_ID, RAZAOSOCIAL, CEP, EMAIL, INSCESTADUAL, RESPONSAVEL_ID, CNPJ) "
                        "SELECT 1, '4711301', '00', MIN(CODDRUMUNICIPIO), 'QZ', 3, 'X', '12345678', 'a@b.c', "
                        "'1234567890107', :R, '12345678000199' FROM MUNICIPIO");
        ins.param("R", ana).executar();
        tr.commit();
    }
    cds->abrir();
    ASSERT_EQ(cds->valor("NOME").texto(), "Ana");
    EXPECT_THROW(cds->excluir(), ErroSistema);
    EXPECT_EQ(cds->quantidade(), 2);
    EXPECT_EQ(cds->valor("NOME").texto(), "Ana");

    cds->proximo();
    cds->excluir();
    EXPECT_EQ(cds->quantidade(), 1);
    EXPECT_EQ(cds->atual(), 0);
    EXPECT_EQ(contarNaBase(), 2);  // a linha 0 e Ana
}

TEST_F(ConjuntoResponsaveis, ObservadoresRecebemAsMudancasAteDeixarDeObservar) {
    gravarDireto("Ana");
    gravarDireto("Bruno");
    std::vector<std::pair<MudancaConjunto, std::string>> vistos;
    const int id = cds->observar([&](MudancaConjunto m, const std::string& campo) { vistos.emplace_back(m, campo); });
    cds->abrir();
    ASSERT_EQ(vistos.size(), 2u);
    EXPECT_EQ(vistos[0].first, MudancaConjunto::Estado);
    EXPECT_EQ(vistos[1].first, MudancaConjunto::Linhas);
    vistos.clear();
    cds->proximo();
    cds->proximo();  // já no fim: nada muda, ninguém é avisado
    cds->editar();
    cds->definirTexto("EMAIL", "b@c.com");
    ASSERT_EQ(vistos.size(), 3u);
    EXPECT_EQ(vistos[0].first, MudancaConjunto::Posicao);
    EXPECT_EQ(vistos[1].first, MudancaConjunto::Estado);
    EXPECT_EQ(vistos[2], std::make_pair(MudancaConjunto::Valor, std::string("EMAIL")));
    cds->deixarDeObservar(id);
    cds->cancelar();
    EXPECT_EQ(vistos.size(), 3u);
}

TEST(ConjuntoDados, TextosConvertidosPelaEspecieDoCampo) {
    ConjuntoLinhas<LinhaTipos>::Operacoes ops;
    ops.carregar = [] {
        LinhaTipos l;
        l.ID = 7;
        l.QUANTIDADE = 1234;
        l.VALOR = Dinheiro::deCentavos(123456750);
        l.DIA = fb::Data{std::chrono::year(2016), std::chrono::month(3), std::chrono::day(9)};
        return std::vector<LinhaTipos>{l};
    };
    ConjuntoLinhas<LinhaTipos> cds("cdsTipos", ops, {});
    cds.abrir();
    EXPECT_EQ(cds.texto("ID"), "7");
    EXPECT_EQ(cds.texto("QUANTIDADE"), "1234");
    EXPECT_EQ(cds.texto("VALOR"), "1.234.568");  // #,##0, meio-para-par
    EXPECT_EQ(cds.texto("DIA"), "09/03/2016");

    cds.editar();
    cds.definirTexto("QUANTIDADE", " 42 ");
    EXPECT_EQ(cds.valor("QUANTIDADE").inteiro(), 42);
    cds.definirTexto("QUANTIDADE", "");
    EXPECT_TRUE(cds.valor("QUANTIDADE").nulo());
    EXPECT_EQ(cds.texto("QUANTIDADE"), "");
    try {
        cds.definirTexto("QUANTIDADE", "12a");
        FAIL();
    } catch (const ErroCampo& e) {
        EXPECT_EQ(e.campo, "QUANTIDADE");
        EXPECT_EQ(std::string(e.what()), "'12a' não é um valor inteiro válido");
    }
    EXPECT_THROW(cds.definirTexto("QUANTIDADE", "99999999999"), ErroCampo);
    EXPECT_TRUE(cds.valor("QUANTIDADE").nulo());  // o valor recusado não entra
    cds.definirTexto("VALOR", "1.500,25");
    EXPECT_EQ(cds.valor("VALOR").dinheiro(), Dinheiro::deCentavos(150025));
    EXPECT_THROW(cds.definirTexto("VALOR", "abc"), ErroCampo);
    cds.definirTexto("DIA", "29/02/2016");
    EXPECT_EQ(cds.texto("DIA"), "29/02/2016");
    EXPECT_THROW(cds.definirTexto("DIA", "30/02/2016"), ErroCampo);
    EXPECT_THROW(cds.definirTexto("DIA", "2016-02-01"), ErroCampo);
    EXPECT_TRUE(cds.modificado());
    cds.cancelar();
    EXPECT_EQ(cds.texto("QUANTIDADE"), "1234");  // cancelado: a linha como estava
}

TEST(ConjuntoDados, CampoDeConsultaLidoDaLinhaENaoGravavel) {
    ConjuntoLinhas<LinhaDois>::Operacoes ops;
    ops.carregar = [] { return std::vector<LinhaDois>{{"Ana", "RIO"}}; };
    ConjuntoLinhas<LinhaDois>::Consulta maiusculas{Campo{"CIDADE_NOME", "Cidade", EspecieColuna::Texto, false, false,
                                                         "CIDADE"},
                                                   [](const LinhaDois& l) { return fb::Valor(l.CIDADE + "/" + l.NOME); }};
    ConjuntoLinhas<LinhaDois> cds("cdsDois", ops, {}, {maiusculas});
    cds.abrir();
    ASSERT_NE(cds.campo("CIDADE_NOME"), nullptr);
    EXPECT_TRUE(cds.campo("CIDADE_NOME")->calculado);
    EXPECT_TRUE(cds.campo("CIDADE_NOME")->consulta());
    EXPECT_EQ(cds.texto("CIDADE_NOME"), "RIO/Ana");
    cds.editar();
    cds.definirTexto("CIDADE", "SAO PAULO");
    EXPECT_EQ(cds.texto("CIDADE_NOME"), "SAO PAULO/Ana");  // segue a edição
    EXPECT_THROW(cds.definir("CIDADE_NOME", fb::Valor("x")), ErroSistema);
}

TEST(Exportacao, DoisCamposEUmRegistroComBrancoNoFim) {
    teste::PastaTemporaria pasta;
    ConjuntoLinhas<LinhaDois>::Operacoes ops;
    ops.carregar = [] { return std::vector<LinhaDois>{{"ABC", "Rio "}}; };
    ConjuntoLinhas<LinhaDois> cds("cdsDois", ops, {});
    cds.abrir();
    const std::string arquivo = ExportarConjunto(cds, pasta.str());
    EXPECT_EQ(arquivo, (pasta.caminho() / "cdsDois.txt").string());
    EXPECT_EQ(teste::lerArquivo(arquivo), "NOME;CIDADE;\r\nABC;Rio;\r\n");

    // o arquivo existente é substituído
    teste::escreverArquivo(arquivo, std::string(500, 'x'));
    ExportarConjunto(cds, pasta.str() + "/");
    EXPECT_EQ(teste::lerArquivo(arquivo), "NOME;CIDADE;\r\nABC;Rio;\r\n");
}

TEST(Exportacao, TodosOsRegistrosSemAspasFicandoNoUltimo) {
    ConjuntoLinhas<LinhaDois>::Operacoes ops;
    ops.carregar = [] {
        return std::vector<LinhaDois>{{"  Ana  ", "Rio; \"Centro\""}, {"", ""}, {"Carla", " Niterói"}};
    };
    ConjuntoLinhas<LinhaDois> cds("cdsDois", ops, {});
    cds.abrir();
    EXPECT_EQ(cds.atual(), 0);
    EXPECT_EQ(TextoExportacao(cds), "NOME;CIDADE;\r\nAna;Rio; \"Centro\";\r\n;;\r\nCarla;Niterói;\r\n");
    EXPECT_EQ(cds.atual(), 2);

    ConjuntoLinhas<LinhaDois> vazio("cdsVazio", {}, {});
    vazio.abrir();
    EXPECT_EQ(TextoExportacao(vazio), "NOME;CIDADE;\r\n");
}

TEST(Exportacao, PastaInexistenteFalhaSemCriarNada) {
    teste::PastaTemporaria pasta;
    ConjuntoLinhas<LinhaDois>::Operacoes ops;
    ops.carregar = [] { return std::vector<LinhaDois>{{"A", "B"}}; };
    ConjuntoLinhas<LinhaDois> cds("cdsDois", ops, {});
    cds.abrir();
    const std::string destino = (pasta.caminho() / "nao" / "existe").string();
    try {
        ExportarConjunto(cds, destino);
        FAIL();
    } catch (const ErroSistema& e) {
        EXPECT_EQ(std::string(e.what()), "Não foi possível gravar o arquivo \"" + destino + "/cdsDois.txt\".");
    }
    EXPECT_FALSE(std::filesystem::exists(pasta.caminho() / "nao"));
}

}  // namespace kov
