// Cadastros de contribuintes e responsáveis sobre uma base real: verificações da gravação
// com as mensagens exatas, chaves do gerador, linha 0 dos responsáveis, listas e a
// importação de planilhas CSV.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <thread>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/InteracaoGravada.h"
#include "data/Cadastros.h"
#include "data/Chaves.h"
#include "data/ImportacaoCadastros.h"
#include "data/LinhasBanco.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

using namespace kov;

namespace {

const std::string SEM_RESPONSAVEL =
    "Favor selecionar um responsável!\r\nCaso não existam responsáveis na lista, \r\n"
    "pode-se cadastrar um novo através do botão que está ao lado da mesma.";
const std::string IE_REPETIDA = "Já existe um Contribuinte com esta Inscrição Estadual!";

std::string CONTROLE(const std::string& rotulo) {
    return "O campo \"" + rotulo + "\" contém caracteres de controle (como tabulação ou quebra de linha).";
}

struct Cadastro : ::testing::Test {
    teste::PastaTemporaria pasta;
    fb::Conexao c;
    teste::InteracaoGravada ui;
    int municipio = 0;
    std::string nomeMunicipio;
    int municipioId = 0;
    int responsavel = 0;

    void SetUp() override {
        teste::copiarBaseModelo(pasta.caminho() / "KOV.GDB");
        fb::ParametrosConexao p;
        p.banco = teste::enderecoBanco(pasta.caminho() / "KOV.GDB");
        c.abrir(p);
        auto tr = fb::Transacao::leitura(c);
        fb::Comando m(tr, "SELECT FIRST 1 CODDRUMUNICIPIO, DESCRICAO, MUNICIPIO_ID FROM MUNICIPIO ORDER BY DESCRICAO");
        m.proximo();
        municipio = static_cast<int>(m.coluna(0).inteiro());
        nomeMunicipio = m.coluna(1).texto();
        municipioId = static_cast<int>(m.coluna(2).inteiro());
        tr.commit();
        Responsavel r = NovoResponsavel();
        r.NOME = "Maria Contadora";
        r.DDD = "11";
        r.TELEFONE = "33334444";
        r.EMAIL = "maria@contab.com.br";
        GravarResponsavel(c, r, ui);
        responsavel = r.RESPONSAVEL_ID;
        ui.mensagens.clear();
    }

    // Contribuinte que passa em todas as verificações
    Contribuinte valido(const std::string& ie = "1234567890107") {
        Contribuinte ct = NovoContribuinte();
        ct.INSCESTADUAL = ie;
        ct.RAZAOSOCIAL = "Comércio Ação Ltda";
        ct.CNPJ = "12345678000199";
        ct.EMAIL = "contato@acao.com.br";
        ct.TIPOCONTRIBUINTE_ID = 3;
        ct.RESPONSAVEL_ID = responsavel;
        ct.CNAEF_ID = "4711301";
        ct.DESMEMBRAMENTO = "00";
        ct.CODDRUMUNICIPIO = municipio;
        ct.CEP = "12345678";
        ct.DDD = "11";
        ct.TELEFONE = "3333444";
        return ct;
    }

    int contar(const std::string& tabela) {
        auto tr = fb::Transacao::leitura(c);
        fb::Comando q(tr, "SELECT COUNT(*) FROM " + tabela);
        q.proximo();
        const int n = static_cast<int>(q.coluna(0).inteiro());
        tr.commit();
        return n;
    }

    // Grava e devolve o campo da interrupção (vazio quando gravou).
    std::string gravar(Contribuinte& ct) {
        try {
            GravarContribuinte(c, ct, ui);
            return {};
        } catch (const Abortar& a) {
            return a.campo.empty() ? "?" : a.campo;
        }
    }
    std::string gravar(Responsavel& r) {
        try {
            GravarResponsavel(c, r, ui);
            return {};
        } catch (const Abortar& a) {
            return a.campo.empty() ? "?" : a.campo;
        }
    }

    // A única mensagem mostrada: tipo, título e texto.
    void umaMensagem(const std::string& tipo, const std::string& titulo, const std::string& texto) {
        ASSERT_EQ(ui.mensagens.size(), 1u) << (ui.mensagens.empty() ? "" : ui.mensagens.back().texto);
        EXPECT_EQ(ui.mensagens[0].tipo, tipo);
        EXPECT_EQ(ui.mensagens[0].titulo, titulo);
        EXPECT_EQ(ui.mensagens[0].texto, texto);
    }
};

}  // namespace

TEST_F(Cadastro, NovoContribuinteComecaNoEstadoDaCasaESemResponsavel) {
    const Contribuinte ct = NovoContribuinte();
    EXPECT_EQ(ct.UF_ID, "QZ");
    EXPECT_EQ(ct.RESPONSAVEL_ID, 0);
    EXPECT_EQ(ct.CONTRIBUINTE_ID, 0);
}

TEST_F(Cadastro, ChavesVemDoGeradorEmSequenciaEAListaTrazAsDescricoes) {
    const int antes = ProximoCodigo(c, "CONTRIBUINTE");
    Contribuinte a = valido("9876543210979");
    Contribuinte b = valido("0010000000172");
    ASSERT_EQ(gravar(a), "");
    ASSERT_EQ(gravar(b), "");
    EXPECT_TRUE(ui.mensagens.empty());
    EXPECT_EQ(a.CONTRIBUINTE_ID, antes + 1);
    EXPECT_EQ(b.CONTRIBUINTE_ID, antes + 2);
    EXPECT_EQ(ProximoCodigo(c, "CONTRIBUINTE"), antes + 3);

    const auto lista = ListarContribuintes(c);
    ASSERT_EQ(lista.size(), 2u);
    EXPECT_EQ(lista[0].c.INSCESTADUAL, "0010000000172");  // ordem da inscrição, não da chave
    EXPECT_EQ(lista[1].c.INSCESTADUAL, "9876543210979");
    EXPECT_EQ(lista[0].c, b);
    EXPECT_EQ(lista[0].DESCRICAO_MUNICIPIO, nomeMunicipio);
    EXPECT_EQ(lista[0].MUNICIPIO_MUNICIPIO_ID, municipioId);
    EXPECT_EQ(lista[0].TITULO_TIPO, "Contribuinte em Geral");
    EXPECT_EQ(lista[0].CNAEF_DESCRICAO.rfind("Comércio varejista de mercadorias em geral", 0), 0u);
    EXPECT_EQ(CarregarContribuinte(c, a.CONTRIBUINTE_ID), a);

    // Alterar grava a mesma linha, sem chave nova
    a.RAZAOSOCIAL = "Outra Razão";
    ASSERT_EQ(gravar(a), "");
    EXPECT_EQ(CarregarContribuinte(c, a.CONTRIBUINTE_ID).RAZAOSOCIAL, "Outra Razão");
    EXPECT_EQ(contar("CONTRIBUINTE"), 2);
    EXPECT_THROW(CarregarContribuinte(c, 999), ErroSistema);
}

TEST_F(Cadastro, CepDeSeteCaracteresRecusadoOitoAceitos) {
    Contribuinte ct = valido();
    ct.CEP = "1234567";
    EXPECT_EQ(gravar(ct), "CEP");
    umaMensagem("erro", "Erro", "O campo \"CEP\" deve ter no mínimo 8 caracteres.");
    EXPECT_EQ(contar("CONTRIBUINTE"), 0);
    EXPECT_EQ(ct.CONTRIBUINTE_ID, 0);
    ui.mensagens.clear();
    ct.CEP = "";
    EXPECT_EQ(gravar(ct), "CEP");
    ui.mensagens.clear();
    ct.CEP = "12345678";
    EXPECT_EQ(gravar(ct), "");
    EXPECT_TRUE(ui.mensagens.empty());
    EXPECT_EQ(contar("CONTRIBUINTE"), 1);
}

TEST_F(Cadastro, TelefoneDeSeisRecusadoSeteAceitoVazioPergunta) {
    Contribuinte ct = valido();
    ct.TELEFONE = "333444";
    EXPECT_EQ(gravar(ct), "TELEFONE");
    umaMensagem("erro", "Erro", "O campo \"Telefone\" deve ter no mínimo 7 caracteres.");
    ct.TELEFONE = "3";
    ui.mensagens.clear();
    EXPECT_EQ(gravar(ct), "TELEFONE");
    EXPECT_EQ(contar("CONTRIBUINTE"), 0);

    // Vazio: pergunta; Não interrompe sem gravar
    ct.TELEFONE = "";
    ui.mensagens.clear();
    ui.respostas = {false};
    EXPECT_EQ(gravar(ct), "TELEFONE");
    umaMensagem("pergunta", "Gravação", "O campo \"Telefone\" não tem valor. Deseja continuar?");
    EXPECT_EQ(contar("CONTRIBUINTE"), 0);

    // Sim segue e grava
    ui.mensagens.clear();
    ui.respostas = {true};
    EXPECT_EQ(gravar(ct), "");
    umaMensagem("pergunta", "Gravação", "O campo \"Telefone\" não tem valor. Deseja continuar?");
    EXPECT_EQ(contar("CONTRIBUINTE"), 1);

    Contribuinte sete = valido("0010000000172");
    sete.TELEFONE = "3334444";
    ui.mensagens.clear();
    EXPECT_EQ(gravar(sete), "");
    EXPECT_TRUE(ui.mensagens.empty());
}

TEST_F(Cadastro, DddVazioPerguntaAntesDoEmailEDoTelefone) {
    Contribuinte ct = valido();
    ct.DDD = "";
    ui.respostas = {false};
    EXPECT_EQ(gravar(ct), "DDD");
    umaMensagem("pergunta", "Gravação", "O campo \"DDD\" não tem valor. Deseja continuar?");
    EXPECT_EQ(contar("CONTRIBUINTE"), 0);

    // Sim: segue para o Email vazio, que interrompe
    ct.EMAIL = "";
    ui.mensagens.clear();
    ui.respostas = {true};
    EXPECT_EQ(gravar(ct), "EMAIL");
    ASSERT_EQ(ui.textos().size(), 2u);
    EXPECT_EQ(ui.mensagens[1].texto, "O campo \"Email\" precisa ter um valor.");
    EXPECT_EQ(ui.mensagens[1].titulo, "Erro");

    // DDD e telefone vazios, as duas perguntas com Sim: grava
    ct.EMAIL = "a@b.com";
    ct.TELEFONE = "";
    ui.mensagens.clear();
    ui.respostas = {true, true};
    EXPECT_EQ(gravar(ct), "");
    EXPECT_EQ(ui.textos(), (std::vector<std::string>{"O campo \"DDD\" não tem valor. Deseja continuar?",
                                                     "O campo \"Telefone\" não tem valor. Deseja continuar?"}));
    EXPECT_EQ(contar("CONTRIBUINTE"), 1);
}

TEST_F(Cadastro, ResponsavelNaoAtribuidoRecusado) {
    Contribuinte ct = valido();
    ct.RESPONSAVEL_ID = 0;
    EXPECT_EQ(gravar(ct), "RESPONSAVEL_ID");
    umaMensagem("erro", "Erro", SEM_RESPONSAVEL);
    ct.RESPONSAVEL_ID.reset();  // nulo vale o padrão 0 da base
    ui.mensagens.clear();
    EXPECT_EQ(gravar(ct), "RESPONSAVEL_ID");
    umaMensagem("erro", "Erro", SEM_RESPONSAVEL);
    EXPECT_EQ(contar("CONTRIBUINTE"), 0);
}

TEST_F(Cadastro, InscricaoInvalidaRecusadaEAsVerificacoesSeguemAOrdemDaTela) {
    Contribuinte ct = valido("1234567890108");
    ct.CEP = "123";  // também errado, mas a inscrição vem antes
    EXPECT_EQ(gravar(ct), "INSCESTADUAL");
    umaMensagem("erro", "Erro", "Inscrição Estadual inválida!");
    ct.INSCESTADUAL = "123.456789.0107";  // com máscara não é a inscrição gravada
    ui.mensagens.clear();
    EXPECT_EQ(gravar(ct), "INSCESTADUAL");
    umaMensagem("erro", "Erro", "Inscrição Estadual inválida!");

    // Telefone curto antes do responsável; CEP antes de tudo isso
    Contribuinte b = valido();
    b.TELEFONE = "12";
    b.RESPONSAVEL_ID = 0;
    ui.mensagens.clear();
    EXPECT_EQ(gravar(b), "TELEFONE");
    b.CEP = "1";
    ui.mensagens.clear();
    EXPECT_EQ(gravar(b), "CEP");
    EXPECT_EQ(contar("CONTRIBUINTE"), 0);
}

TEST_F(Cadastro, InscricaoRepetidaSoAoIncluirOuTrocarAInscricao) {
    Contribuinte a = valido("1234567890107");
    ASSERT_EQ(gravar(a), "");
    Contribuinte b = valido("0010000000172");
    ASSERT_EQ(gravar(b), "");

    // Inclusão com inscrição que já existe: recusada antes de qualquer outra verificação
    Contribuinte novo = valido("1234567890107");
    novo.CEP = "1";
    EXPECT_FALSE(VerificarIEDuplicada(c, novo, ui));
    umaMensagem("erro", "Erro", IE_REPETIDA);
    ui.mensagens.clear();
    EXPECT_EQ(gravar(novo), "INSCESTADUAL");
    umaMensagem("erro", "Erro", IE_REPETIDA);
    EXPECT_EQ(contar("CONTRIBUINTE"), 2);

    // Alterar b para a inscrição de a: recusado; para uma livre: aceito
    Contribuinte b2 = b;
    b2.INSCESTADUAL = "1234567890107";
    ui.mensagens.clear();
    EXPECT_EQ(gravar(b2), "INSCESTADUAL");
    umaMensagem("erro", "Erro", IE_REPETIDA);
    EXPECT_EQ(CarregarContribuinte(c, b.CONTRIBUINTE_ID).INSCESTADUAL, "0010000000172");
    b2.INSCESTADUAL = "9876543210979";
    ui.mensagens.clear();
    EXPECT_EQ(gravar(b2), "");
    EXPECT_TRUE(ui.mensagens.empty());

    // Repetidas já na tabela (gravadas por fora): alterar sem trocar a inscrição não acusa
    {
        fb::Transacao tr(c);
        Contribuinte dup = a;
        dup.CONTRIBUINTE_ID = ProximoCodigo(tr, "CONTRIBUINTE");
        InserirLinhas(tr, std::vector<Contribuinte>{dup});
        tr.commit();
    }
    a.RAZAOSOCIAL = "Alterada com repetida na tabela";
    ui.mensagens.clear();
    EXPECT_TRUE(VerificarIEDuplicada(c, a, ui));
    EXPECT_EQ(gravar(a), "");
    EXPECT_TRUE(ui.mensagens.empty());
    EXPECT_EQ(CarregarContribuinte(c, a.CONTRIBUINTE_ID).RAZAOSOCIAL, "Alterada com repetida na tabela");
}

TEST_F(Cadastro, CamposObrigatoriosTamanhosECodigosAntesDaBase) {
    struct Caso {
        std::function<void(Contribuinte&)> mudar;
        std::string campo, texto;
    };
    const std::vector<Caso> casos = {
        {[](Contribuinte& x) { x.RAZAOSOCIAL = "   "; }, "RAZAOSOCIAL", "Campo (Razão Social) precisa ser preenchido!"},
        {[](Contribuinte& x) { x.CNAEF_ID = ""; }, "CNAEF_ID", "Campo (CNAE) precisa ser preenchido!"},
        {[](Contribuinte& x) { x.DESMEMBRAMENTO = ""; }, "DESMEMBRAMENTO", "Campo (Desmembramento) precisa ser preenchido!"},
        {[](Contribuinte& x) { x.CODDRUMUNICIPIO.reset(); }, "CODDRUMUNICIPIO", "Campo (Municipio) precisa ser preenchido!"},
        {[](Contribuinte& x) { x.TIPOCONTRIBUINTE_ID.reset(); }, "TIPOCONTRIBUINTE_ID",
         "Campo (Tipo Contribuinte) precisa ser preenchido!"},
        {[](Contribuinte& x) { x.UF_ID = ""; }, "UF_ID", "Campo (UF) precisa ser preenchido!"},
        {[](Contribuinte& x) { x.CNPJ = ""; }, "CNPJ", "Campo (CNPJ) precisa ser preenchido!"},
        {[](Contribuinte& x) { x.EMAIL = " "; }, "EMAIL", "Campo (Email) precisa ser preenchido!"},
        {[](Contribuinte& x) { x.RAZAOSOCIAL = std::string(61, 'x'); }, "RAZAOSOCIAL",
         "O campo \"Razão Social\" deve ter no máximo 60 caracteres."},
        {[](Contribuinte& x) { x.CEP = "123456789"; }, "CEP", "O campo \"CEP\" deve ter no máximo 8 caracteres."},
        {[](Contribuinte& x) { x.NUMERO = "123456"; }, "NUMERO", "O campo \"Número\" deve ter no máximo 5 caracteres."},
        {[](Contribuinte& x) { x.DDD = "0111"; }, "DDD", "O campo \"DDD\" deve ter no máximo 3 caracteres."},
        {[](Contribuinte& x) { x.TELEFONE = "3333444455556"; }, "TELEFONE",
         "O campo \"Telefone\" deve ter no máximo 12 caracteres."},
        {[](Contribuinte& x) { x.EMAIL = std::string(45, 'a') + "@b.com"; }, "EMAIL",
         "O campo \"Email\" deve ter no máximo 50 caracteres."},
        {[](Contribuinte& x) { x.BAIRRO = "Centro ✓"; }, "BAIRRO",
         "O campo \"Bairro\" contém caracteres que não podem ser gravados na base."},
        // Caracteres de controle: C0, DEL e C1 (U+009B é o CSI de 8 bits dos terminais)
        {[](Contribuinte& x) { x.RAZAOSOCIAL = "Loja \x1B[2JA"; }, "RAZAOSOCIAL", CONTROLE("Razão Social")},
        {[](Contribuinte& x) { x.ENDERECO = "Rua A\r\nBloco B"; }, "ENDERECO", CONTROLE("Logradouro")},
        {[](Contribuinte& x) { x.COMPLEMENTO = std::string("Sala\0 1", 7); }, "COMPLEMENTO", CONTROLE("Complemento")},
        {[](Contribuinte& x) { x.BAIRRO = "Centro\xC2\x9B"; }, "BAIRRO", CONTROLE("Bairro")},
        {[](Contribuinte& x) { x.EMAIL = "a@b\t.com"; }, "EMAIL", CONTROLE("Email")},
        {[](Contribuinte& x) { x.CAIXAPOSTAL = "12\x7F"; }, "CAIXAPOSTAL", CONTROLE("Caixa Postal")},
        {[](Contribuinte& x) { x.CNPJ = "1234567800019"; }, "CNPJ", "O campo \"CNPJ\" deve ter 14 caracteres."},
        {[](Contribuinte& x) { x.CNPJ = "123456780001999"; }, "CNPJ", "O campo \"CNPJ\" deve ter no máximo 14 caracteres."},
        {[](Contribuinte& x) { x.CODDRUMUNICIPIO = 1; }, "CODDRUMUNICIPIO", "Município não encontrado (código 1)."},
        {[](Contribuinte& x) { x.TIPOCONTRIBUINTE_ID = 2; }, "TIPOCONTRIBUINTE_ID",
         "Tipo de contribuinte não encontrado (código 2)."},
        {[](Contribuinte& x) { x.CNAEF_ID = "9999999"; }, "CNAEF_ID", "CNAE-F não encontrado (9999999/00)."},
        {[](Contribuinte& x) { x.RESPONSAVEL_ID = 999; }, "RESPONSAVEL_ID", "Responsável não encontrado (código 999)."},
    };
    for (const auto& caso : casos) {
        Contribuinte ct = valido();
        caso.mudar(ct);
        ui.mensagens.clear();
        EXPECT_EQ(gravar(ct), caso.campo) << caso.texto;
        ASSERT_EQ(ui.mensagens.size(), 1u) << caso.texto;
        EXPECT_EQ(ui.mensagens[0].texto, caso.texto);
        EXPECT_EQ(ui.mensagens[0].tipo, "erro");
    }
    EXPECT_EQ(contar("CONTRIBUINTE"), 0);

    // Os tamanhos contam caracteres, não bytes; o euro existe em Windows-1252
    Contribuinte cheio = valido();
    cheio.RAZAOSOCIAL.clear();
    for (int i = 0; i < 60; ++i) cheio.RAZAOSOCIAL += "ã";
    cheio.COMPLEMENTO = "Sala €1";
    ui.mensagens.clear();
    EXPECT_EQ(gravar(cheio), "");
    EXPECT_EQ(CarregarContribuinte(c, cheio.CONTRIBUINTE_ID).RAZAOSOCIAL, cheio.RAZAOSOCIAL);
    EXPECT_EQ(CarregarContribuinte(c, cheio.CONTRIBUINTE_ID).COMPLEMENTO, "Sala €1");
}

TEST_F(Cadastro, AlterarChaveInexistenteEExcluir) {
    Contribuinte fantasma = valido();
    fantasma.CONTRIBUINTE_ID = 777;
    EXPECT_THROW(GravarContribuinte(c, fantasma, ui), ErroSistema);
    EXPECT_EQ(contar("CONTRIBUINTE"), 0);

    Contribuinte a = valido();
    ASSERT_EQ(gravar(a), "");
    Contribuinte b = valido("0010000000172");
    ASSERT_EQ(gravar(b), "");
    // Contribuinte com declaração não se exclui
    {
        fb::Transacao tr(c);
        Documento d;
        d.DOCUMENTO_ID = ProximoCodigo(tr, "DOCUMENTO");
        d.CONTRIBUINTE_ID = b.CONTRIBUINTE_ID;
        d.STATUS_ID = 0;
        d.REGIME_ID = 1;
        d.TIPOCONTRIBUINTE_ID = 3;
        d.CNAEF_ID = "4711301";
        d.DESMEMBRAMENTO = "00";
        d.CODDRUMUNICIPIO = municipio;
        d.TIPORECOLHIMENTO_ID = 0;
        d.PERIODO = 2016;
        d.MESINICIAL = 1;
        d.MESFINAL = 12;
        d.ESCRITACONTABIL = d.SUBSTITUICAO = d.MUDANCAMUNICIPIO = d.BAIXA = d.MUDANCAMUNICIPIOANOCORRENTE = "N";
        InserirLinhas(tr, std::vector<Documento>{d});
        tr.commit();
    }
    try {
        ExcluirContribuinte(c, b.CONTRIBUINTE_ID);
        ADD_FAILURE() << "excluiu contribuinte com declaração";
    } catch (const ErroSistema& e) {
        EXPECT_STREQ(e.what(), "O contribuinte tem declarações gravadas e não pode ser excluído.");
    }
    ExcluirContribuinte(c, a.CONTRIBUINTE_ID);
    EXPECT_EQ(contar("CONTRIBUINTE"), 1);
    EXPECT_THROW(ExcluirContribuinte(c, a.CONTRIBUINTE_ID), ErroSistema);
}

TEST(CampoResponsavel, DddTelefoneEEmail) {
    auto recusa = [](const std::string& campo, const std::string& valor) -> std::string {
        try {
            ValidarCampoResponsavel(campo, valor);
            return {};
        } catch (const ErroCampo& e) {
            EXPECT_EQ(e.campo, campo);
            return e.what();
        }
    };
    EXPECT_EQ(recusa("DDD", ""), "O DDD deve ter no mínimo 2 dígitos.");
    EXPECT_EQ(recusa("DDD", "1"), "O DDD deve ter no mínimo 2 dígitos.");
    EXPECT_EQ(recusa("DDD", "  1  "), "O DDD deve ter no mínimo 2 dígitos.");  // conta sem os brancos
    EXPECT_EQ(recusa("DDD", "1a"), "O DDD deve ter somente números.");
    EXPECT_EQ(recusa("DDD", "1 1"), "O DDD deve ter somente números.");
    EXPECT_EQ(recusa("DDD", "11"), "");
    EXPECT_EQ(recusa("DDD", " 011 "), "");
    EXPECT_EQ(recusa("TELEFONE", "1234567"), "O telefone deve ter no mínimo 8 dígitos.");
    EXPECT_EQ(recusa("TELEFONE", " 1234567 "), "O telefone deve ter no mínimo 8 dígitos.");
    EXPECT_EQ(recusa("TELEFONE", "3333-444"), "O telefone deve ter somente números.");
    EXPECT_EQ(recusa("TELEFONE", "33334444"), "");
    EXPECT_EQ(recusa("EMAIL", ""), "Favor validar o endereço digitado");
    EXPECT_EQ(recusa("EMAIL", "maria@contab"), "Favor validar o endereço digitado");
    EXPECT_EQ(recusa("EMAIL", "maria.contab.com"), "Favor validar o endereço digitado");
    EXPECT_EQ(recusa("EMAIL", "a.b@c"), "");  // arroba e ponto em qualquer lugar
    EXPECT_EQ(recusa("NOME", ""), "");        // o nome é conferido na gravação
}

TEST_F(Cadastro, ResponsavelVerificadoAntesDeGravar) {
    const int n = contar("RESPONSAVEL");
    struct Caso {
        std::function<void(Responsavel&)> mudar;
        std::string campo, texto;
    };
    const std::vector<Caso> casos = {
        {[](Responsavel& r) { r.NOME = "  "; }, "NOME", "Campo (Nome) precisa ser preenchido!"},
        {[](Responsavel& r) { r.NOME = std::string(41, 'n'); }, "NOME", "O campo \"Nome\" deve ter no máximo 40 caracteres."},
        {[](Responsavel& r) { r.DDD = "1"; }, "DDD", "O DDD deve ter no mínimo 2 dígitos."},
        {[](Responsavel& r) { r.DDD = "(11"; }, "DDD", "O DDD deve ter somente números."},
        {[](Responsavel& r) { r.DDD = "0111"; }, "DDD", "O campo \"DDD\" deve ter no máximo 3 caracteres."},
        {[](Responsavel& r) { r.TELEFONE = "3333444"; }, "TELEFONE", "O telefone deve ter no mínimo 8 dígitos."},
        {[](Responsavel& r) { r.TELEFONE = "3333444x"; }, "TELEFONE", "O telefone deve ter somente números."},
        {[](Responsavel& r) { r.TELEFONE = "333344445"; }, "TELEFONE",
         "O campo \"Telefone\" deve ter no máximo 8 caracteres."},
        {[](Responsavel& r) { r.EMAIL = "semarroba.com"; }, "EMAIL", "Favor validar o endereço digitado"},
        {[](Responsavel& r) { r.EMAIL = std::string(46, 'e') + "@b.com"; }, "EMAIL",
         "O campo \"E-Mail\" deve ter no máximo 50 caracteres."},
        {[](Responsavel& r) { r.NOME = "Ana\x1B]0;x\x07"; }, "NOME", CONTROLE("Nome")},
        {[](Responsavel& r) { r.NOME = "Ana\nMaria"; }, "NOME", CONTROLE("Nome")},
        {[](Responsavel& r) { r.EMAIL = std::string("a@b\0.com", 8); }, "EMAIL", CONTROLE("E-Mail")},
    };
    for (const auto& caso : casos) {
        Responsavel r = NovoResponsavel();
        r.NOME = "João Câmara";
        r.DDD = "21";
        r.TELEFONE = "22223333";
        r.EMAIL = "joao@x.com";
        caso.mudar(r);
        ui.mensagens.clear();
        EXPECT_EQ(gravar(r), caso.campo) << caso.texto;
        ASSERT_EQ(ui.mensagens.size(), 1u) << caso.texto;
        EXPECT_EQ(ui.mensagens[0].texto, caso.texto);
        EXPECT_EQ(r.RESPONSAVEL_ID, 0);
    }
    EXPECT_EQ(contar("RESPONSAVEL"), n);
}

TEST_F(Cadastro, ResponsaveisComChaveDoGeradorESemALinhaZero) {
    const int antes = ProximoCodigo(c, "RESPONSAVEL");
    // Uma gravação recusada não consome chave
    Responsavel ruim = NovoResponsavel();
    ruim.NOME = "Ruim";
    EXPECT_NE(gravar(ruim), "");
    Responsavel z = NovoResponsavel();
    z.NOME = "Zélia";
    z.DDD = "31";
    z.TELEFONE = "44445555";
    z.EMAIL = "zelia@x.com";
    Responsavel a = z;
    a.NOME = "Antônio";
    ASSERT_EQ(gravar(z), "");
    ASSERT_EQ(gravar(a), "");
    EXPECT_EQ(z.RESPONSAVEL_ID, antes + 1);
    EXPECT_EQ(a.RESPONSAVEL_ID, antes + 2);

    const auto lista = ListarResponsaveis(c);
    std::vector<std::string> nomes;
    for (const auto& r : lista) {
        EXPECT_NE(r.RESPONSAVEL_ID, 0);
        nomes.push_back(r.NOME);
    }
    EXPECT_EQ(nomes, (std::vector<std::string>{"Antônio", "Maria Contadora", "Zélia"}));
    EXPECT_EQ(CarregarResponsavel(c, z.RESPONSAVEL_ID), z);

    // Alterar grava a mesma linha
    z.TELEFONE = "55556666";
    ASSERT_EQ(gravar(z), "");
    EXPECT_EQ(CarregarResponsavel(c, z.RESPONSAVEL_ID).TELEFONE, "55556666");

    // A linha 0 não se carrega para edição nem se exclui; chave 0 é sempre um registro novo
    try {
        CarregarResponsavel(c, 0);
        ADD_FAILURE() << "carregou a linha 0";
    } catch (const ErroSistema& e) {
        EXPECT_STREQ(e.what(), "O responsável \"Não atribuído\" não pode ser alterado nem excluído.");
    }
    EXPECT_THROW(ExcluirResponsavel(c, 0), ErroSistema);
    Responsavel imitacao = z;
    imitacao.RESPONSAVEL_ID = 0;
    imitacao.NOME = "Outro";
    ASSERT_EQ(gravar(imitacao), "");
    EXPECT_EQ(imitacao.RESPONSAVEL_ID, antes + 3);
    {
        auto tr = fb::Transacao::leitura(c);
        auto zero = LerLinhas<Responsavel>(tr, "RESPONSAVEL_ID = 0", 0);
        ASSERT_EQ(zero.size(), 1u);
        EXPECT_EQ(zero[0].NOME, "Não atribuído");
        EXPECT_EQ(zero[0].EMAIL, "");
        tr.commit();
    }

    // Responsável de algum contribuinte não se exclui; os outros sim
    Contribuinte ct = valido();
    ct.RESPONSAVEL_ID = a.RESPONSAVEL_ID;
    ASSERT_EQ(gravar(ct), "");
    try {
        ExcluirResponsavel(c, a.RESPONSAVEL_ID);
        ADD_FAILURE() << "excluiu responsável de contribuinte";
    } catch (const ErroSistema& e) {
        EXPECT_STREQ(e.what(), "O responsável está associado a contribuintes e não pode ser excluído.");
    }
    ExcluirResponsavel(c, z.RESPONSAVEL_ID);
    EXPECT_THROW(CarregarResponsavel(c, z.RESPONSAVEL_ID), ErroSistema);
    Responsavel fantasma = a;
    fantasma.RESPONSAVEL_ID = 5000;
    EXPECT_THROW(GravarResponsavel(c, fantasma, ui), ErroSistema);
}

// --- CSV --------------------------------------------------------------------------------

namespace {

std::vector<RegistroCSV> registros(const std::string& texto) {
    LeitorCSV leitor(std::make_unique<std::istringstream>(texto));
    std::vector<RegistroCSV> v;
    for (RegistroCSV r; leitor.proximo(r);) v.push_back(r);
    return v;
}

}  // namespace

TEST(ArquivoCSV, AspasSeparadorQuebrasELinhas) {
    const auto r = registros(
        "A;B;C\r\n"
        "\"Silva; Filhos\";\"diz \"\"oi\"\"\";x\r\n"
        "\r\n"
        "\"duas\nlinhas\";2;\n"
        "  \"com brancos\" ;fim\n"
        "ultima;sem quebra");
    ASSERT_EQ(r.size(), 6u);
    EXPECT_EQ(r[0].campos, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(r[0].linha, 1);
    EXPECT_EQ(r[1].campos, (std::vector<std::string>{"Silva; Filhos", "diz \"oi\"", "x"}));
    EXPECT_EQ(r[1].linha, 2);
    EXPECT_EQ(r[2].campos, (std::vector<std::string>{""}));  // linha em branco
    EXPECT_EQ(r[3].campos, (std::vector<std::string>{"duas\nlinhas", "2", ""}));
    EXPECT_EQ(r[3].linha, 4);
    EXPECT_EQ(r[3].linhaFinal, 5);
    EXPECT_EQ(r[4].linha, 6);  // a quebra dentro das aspas conta
    EXPECT_EQ(r[4].campos[0], "com brancos ");
    EXPECT_EQ(r[5].campos, (std::vector<std::string>{"ultima", "sem quebra"}));
    EXPECT_FALSE(r[5].aspasAbertas);

    const auto aberta = registros("A\n\"nunca fecha;\n");
    ASSERT_EQ(aberta.size(), 2u);
    EXPECT_TRUE(aberta[1].aspasAbertas);
    EXPECT_TRUE(registros("").empty());
}

TEST(ArquivoCSV, CodificacaoDecididaPorRegistroELinhaLongaDemais) {
    // BOM descartado; cada registro é UTF-8 quando válido, senão Windows-1252 inteiro
    auto r = registros("\xEF\xBB\xBF" "nome\n\"Jos\xC3\xA9\";Caf\xC3\xA9\nJos\xE9;Caf\xE9\nJos\xE9;\xC3\xA9\n");
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].campos, (std::vector<std::string>{"nome"}));
    EXPECT_EQ(r[1].campos, (std::vector<std::string>{"José", "Café"}));
    EXPECT_EQ(r[2].campos, (std::vector<std::string>{"José", "Café"}));
    EXPECT_EQ(r[3].campos, (std::vector<std::string>{"José", "Ã©"}));

    // Registros além do limite ficam sem campos, mas o seu fim é achado certo, mesmo com
    // ";" e quebras de linha entre aspas, e a contagem de linhas continua
    std::string entreAspas = "\"";
    for (int i = 0; i < 30000; ++i) entreAspas += "x;\n";
    r = registros(std::string(LIMITE_REGISTRO_CSV + 1, 'x') + "\na;b\n" + entreAspas + "\";fim\nok\n\"" +
                  std::string(LIMITE_REGISTRO_CSV, 'y'));
    ASSERT_EQ(r.size(), 5u);
    EXPECT_TRUE(r[0].longoDemais);
    EXPECT_TRUE(r[0].campos.empty());
    EXPECT_EQ(r[1].campos, (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(r[1].longoDemais);
    EXPECT_TRUE(r[2].longoDemais);
    EXPECT_EQ(r[2].linha, 3);
    EXPECT_EQ(r[3].campos, (std::vector<std::string>{"ok"}));
    EXPECT_EQ(r[3].linha, 30004);
    EXPECT_TRUE(r[4].longoDemais && r[4].aspasAbertas);
}

TEST(ArquivoCSV, ArquivoECabecalho) {
    teste::PastaTemporaria pasta;
    const auto arq = pasta.caminho() / "a.csv";
    EXPECT_THROW(AbrirPlanilha((pasta.caminho() / "nao-existe.csv").string(), TipoCadastro::Responsaveis),
                 ErroArquivoCSV);
    EXPECT_THROW(AbrirPlanilha(pasta.str(), TipoCadastro::Responsaveis), ErroArquivoCSV);
    teste::escreverArquivo(arq, "NOME;DDD;TELEFONE;EMAIL\nJos\xE9 C\xE2mara;11;33334444;j@x.com\n");
    auto arquivo = AbrirPlanilha(arq.string(), TipoCadastro::Responsaveis);
    RegistroCSV reg;
    ASSERT_TRUE(arquivo.proximo(reg));
    EXPECT_EQ(reg.campos[0], "José Câmara");
    EXPECT_FALSE(arquivo.proximo(reg));

    // Cabeçalho sem distinguir maiúsculas, com ";" no fim e RESPONSAVEL_ID como RESPONSAVEL;
    // linhas em branco antes dele e entre os registros são puladas
    auto p = LerPlanilha("\n inscestadual;RazaoSocial;cnpj;email;tipocontribuinte_id;responsavel_id;cnaef_id;"
                         "coddrumunicipio;cep;\n\n1;2\n",
                         TipoCadastro::Contribuintes);
    EXPECT_EQ(p.colunas().at("INSCESTADUAL"), 0u);
    EXPECT_EQ(p.colunas().at("RESPONSAVEL"), 5u);
    EXPECT_EQ(p.linhaCabecalho(), 2);
    ASSERT_TRUE(p.proximo(reg));
    EXPECT_EQ(reg.linha, 4);
    EXPECT_FALSE(p.proximo(reg));

    auto erro = [](const std::string& texto, TipoCadastro t) -> std::string {
        try {
            LerPlanilha(texto, t);
            return {};
        } catch (const ErroArquivoCSV& e) {
            return e.what();
        }
    };
    const auto R = TipoCadastro::Responsaveis;
    EXPECT_EQ(erro("", R), "O arquivo não tem a linha de cabeçalho com os nomes das colunas.");
    EXPECT_EQ(erro("\n\n\n", R), "O arquivo não tem a linha de cabeçalho com os nomes das colunas.");
    EXPECT_EQ(erro("NOME;DDD;FONE;EMAIL\n", R), "Coluna desconhecida no cabeçalho: FONE");
    EXPECT_EQ(erro("NOME;DDD;F\x1B[31mONE;EMAIL\n", R), "Coluna desconhecida no cabeçalho: F\uFFFD[31mONE");
    EXPECT_EQ(erro("NOME,DDD,TELEFONE,EMAIL\n", R),
              "Coluna desconhecida no cabeçalho: NOME,DDD,TELEFONE,EMAIL (o separador das colunas é \";\")");
    EXPECT_EQ(erro("NOME;DDD;nome;TELEFONE;EMAIL\n", R), "Coluna repetida no cabeçalho: NOME");
    EXPECT_EQ(erro("NOME;EMAIL\n", R), "Faltam colunas no cabeçalho: DDD, TELEFONE");
    EXPECT_EQ(erro("NOME;DDD;TELEFONE;EMAIL\n", TipoCadastro::Contribuintes), "Coluna desconhecida no cabeçalho: NOME");
    EXPECT_EQ(erro(std::string(LIMITE_REGISTRO_CSV + 1, ';'), R),
              "A linha de cabeçalho tem mais de 64 KB: o arquivo não é uma planilha de cadastro.");
    EXPECT_EQ(erro("NOME;DDD;TELEFONE;EMAIL\n", R), "");
}

TEST_F(Cadastro, ImportacaoDeContribuintesLinhaALinha) {
    const std::string cab =
        "INSCESTADUAL;RAZAOSOCIAL;CNPJ;EMAIL;TIPOCONTRIBUINTE_ID;RESPONSAVEL;CNAEF_ID;DESMEMBRAMENTO;CODDRUMUNICIPIO;"
        "CEP;DDD;TELEFONE;ENDERECO\n";
    const std::string m = std::to_string(municipio);
    const std::string texto =
        cab +
        // 2: aceita, com máscaras, responsável pelo nome (sem distinguir maiúsculas), tipo pelo título
        "123.456789.0107;\"Silva; Filhos\";12.345.678/0001-99;a@b.com;contribuinte em geral;MARIA CONTADORA;"
        "4711-3/01;;" + m + ";12345-678;(11);3333-4444;Rua A\n"
        // 3: inscrição inválida
        "1234567890108;X;12345678000199;a@b.com;3;Maria Contadora;4711301;00;" + m + ";12345678;11;33334444;\n"
        // 4: repete a inscrição da linha 2
        "1234567890107;Y;12345678000199;a@b.com;3;Maria Contadora;4711301;00;" + m + ";12345678;11;33334444;\n"
        // 5: sem responsável
        "0010000000172;Z;12345678000199;a@b.com;3;;4711301;00;" + m + ";12345678;11;33334444;\n"
        "\n"
        // 7: DDD e telefone vazios: as perguntas são respondidas Sim; município pelo nome;
        //    CNAE com o desmembramento junto
        "0010000000172;W;12345678000199;a@b.com;3;" + std::to_string(responsavel) + ";401180001;;" + nomeMunicipio +
        ";12345678;;;\n"
        // 8: responsável que não existe, e campo a mais
        "9876543210979;K;12345678000199;a@b.com;3;Fulano;4711301;00;" + m + ";12345678;11;33334444;\n"
        "9876543210979;K;12345678000199;a@b.com;3;Maria Contadora;4711301;00;" + m + ";12345678;11;33334444;;extra\n"
        // 10: aceita (a exportação de tabelas termina a linha em ";")
        "9876543210979;K;12345678000199;a@b.com;3;Maria Contadora;4011800;2;" + m + ";12345678;11;3333444;;;\n";
    teste::InteracaoGravada lote;
    lote.respostas = {false, false};  // a importação não pergunta a ninguém
    auto planilha = LerPlanilha(texto, TipoCadastro::Contribuintes);
    const auto r = ImportarContribuintes(c, planilha, lote);
    EXPECT_EQ(r.importados, 3);
    EXPECT_EQ(r.recusados, 5);
    EXPECT_EQ(ResumoImportacao(r), "3 importados, 5 recusados");
    EXPECT_EQ(lote.textos(), (std::vector<std::string>{
                                 "Linha 3: Inscrição Estadual inválida!",
                                 "Linha 4: " + IE_REPETIDA,
                                 "Linha 5: " + SEM_RESPONSAVEL,
                                 "Linha 7: O campo \"DDD\" não tem valor. Deseja continuar? [Sim]",
                                 "Linha 7: O campo \"Telefone\" não tem valor. Deseja continuar? [Sim]",
                                 "Linha 8: Responsável não encontrado: Fulano",
                                 "Linha 9: A linha tem mais campos que o cabeçalho.",
                             }));
    EXPECT_EQ(lote.respostas.size(), 2u);
    const auto lista = ListarContribuintes(c);
    ASSERT_EQ(lista.size(), 3u);
    EXPECT_EQ(lista[0].c.RAZAOSOCIAL, "W");
    EXPECT_EQ(lista[0].c.CNAEF_ID, "4011800");
    EXPECT_EQ(lista[0].c.DESMEMBRAMENTO, "01");
    EXPECT_EQ(lista[0].c.CODDRUMUNICIPIO, municipio);
    EXPECT_EQ(lista[0].c.DDD, "");
    EXPECT_EQ(lista[1].c.RAZAOSOCIAL, "Silva; Filhos");
    EXPECT_EQ(lista[1].c.CNPJ, "12345678000199");
    EXPECT_EQ(lista[1].c.CEP, "12345678");
    EXPECT_EQ(lista[1].c.TELEFONE, "33334444");
    EXPECT_EQ(lista[1].c.RESPONSAVEL_ID, responsavel);
    EXPECT_EQ(lista[1].c.UF_ID, "QZ");
    EXPECT_EQ(lista[1].c.ENDERECO, "Rua A");
    EXPECT_EQ(lista[2].c.DESMEMBRAMENTO, "02");  // "2" da planilha
    EXPECT_EQ(lista[2].c.CNAEF_ID, "4011800");
}

TEST_F(Cadastro, ImportacaoDeResponsaveis) {
    const std::string texto =
        "nome;ddd;telefone;email\n"
        "Antônio;(21);3333-5555;antonio@x.com\n"
        "maria contadora;11;33334444;m@x.com\n"  // já cadastrada
        "Beatriz;1;33334444;b@x.com\n"
        "Carlos;11;33334444;carlos\n"
        "antônio;11;33334444;a2@x.com\n"  // repetida no arquivo
        ";11;33334444;sem@nome.com\n"
        "Dora;11;33334444;dora@x.com\n";
    teste::InteracaoGravada lote;
    auto planilha = LerPlanilha(texto, TipoCadastro::Responsaveis);
    const auto r = ImportarResponsaveis(c, planilha, lote);
    EXPECT_EQ(ResumoImportacao(r), "2 importados, 5 recusados");
    EXPECT_EQ(lote.textos(), (std::vector<std::string>{
                                 "Linha 3: Já existe um responsável com o nome \"maria contadora\".",
                                 "Linha 4: O DDD deve ter no mínimo 2 dígitos.",
                                 "Linha 5: Favor validar o endereço digitado",
                                 "Linha 6: Já existe um responsável com o nome \"antônio\".",
                                 "Linha 7: Campo (Nome) precisa ser preenchido!",
                             }));
    const auto lista = ListarResponsaveis(c);
    ASSERT_EQ(lista.size(), 3u);
    EXPECT_EQ(lista[0].NOME, "Antônio");
    EXPECT_EQ(lista[0].DDD, "21");
    EXPECT_EQ(lista[0].TELEFONE, "33335555");
    EXPECT_EQ(lista[1].NOME, "Dora");
    EXPECT_EQ(ResumoImportacao({1, 1}), "1 importado, 1 recusado");
}

TEST(TextoDaBase, ControlesDetectadosEListagensSemControlesCrus) {
    struct Caso {
        std::string texto;
        bool controle;
        std::string visivel;
    };
    const std::vector<Caso> casos = {
        {"José Câmara €", false, "José Câmara €"},
        {"a\tb\r\nc", true, "a b  c"},
        {"\x1B[31mvermelho\x1B[0m", true, "\uFFFD[31mvermelho\uFFFD[0m"},
        {std::string("nu\0l", 4), true, "nu\uFFFDl"},
        {"del\x7F", true, "del\uFFFD"},
        {"csi\xC2\x9B" "2J", true, "csi\uFFFD2J"},  // U+009B
        {"nbsp\xC2\xA0", false, "nbsp\xC2\xA0"},    // U+00A0 não é controle
        {"byte solto \x9B", false, "byte solto \uFFFD"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(TemCaracteresDeControle(c.texto), c.controle) << c.visivel;
        EXPECT_EQ(TextoVisivel(c.texto), c.visivel);
    }
}

TEST_F(Cadastro, InscricaoConferidaEGravadaSobATravaEntreConexoes) {
    // Outra conexão (outro processo, num servidor) grava a mesma inscrição sem confirmar,
    // como a importação: com a trava tomada no começo da transação
    fb::Conexao outra;
    outra.abrir(c.parametros());
    fb::Transacao trOutra(outra);
    TravarCadastros(trOutra);
    Contribuinte primeiro = valido();
    teste::InteracaoGravada uiOutra;
    GravarContribuinte(trOutra, primeiro, uiOutra);

    // Esta gravação espera a trava; quando a outra confirma, confere de novo e recusa
    std::string campo = "não terminou";
    std::thread t([&] {
        Contribuinte segundo = valido();
        campo = gravar(segundo);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    trOutra.commit();
    t.join();
    EXPECT_EQ(campo, "INSCESTADUAL");
    umaMensagem("erro", "Erro", IE_REPETIDA);
    EXPECT_EQ(contar("CONTRIBUINTE"), 1);

    // Quem desiste (desfaz) libera a trava sem conflito para quem esperava
    fb::Transacao trDesiste(outra);
    TravarCadastros(trDesiste);
    Contribuinte terceiro = valido("0010000000172");
    std::thread t2([&] { campo = gravar(terceiro); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    trDesiste.rollback();
    t2.join();
    EXPECT_EQ(campo, "");
    EXPECT_EQ(contar("CONTRIBUINTE"), 2);
}

TEST_F(Cadastro, ImportacaoEmLotesParaAPedidoESoPerdeOQueNaoConfirmou) {
    const int n = LINHAS_POR_LOTE * 2 + 200;
    const std::string csv = teste::PlanilhaContribuintes(n, responsavel, municipio);

    // Parada pedida antes do registro 701: os 700 primeiros ficam, inclusive os 200 do
    // lote ainda aberto, e nenhum depois deles
    int consultas = 0;
    auto planilha = LerPlanilha(csv, TipoCadastro::Contribuintes);
    teste::InteracaoGravada lote;
    auto r = ImportarContribuintes(c, planilha, lote, [&] { return ++consultas > 700; });
    EXPECT_TRUE(r.interrompida);
    EXPECT_EQ(r.importados, 700);
    EXPECT_EQ(r.recusados, 0);
    EXPECT_EQ(r.ultimaLinha, 701);
    EXPECT_EQ(MensagemInterrupcao(r),
              "Importação interrompida na linha 701: 700 importados, 0 recusados. As linhas seguintes não foram lidas.");
    EXPECT_TRUE(lote.mensagens.empty()) << lote.mensagens[0].texto;
    EXPECT_EQ(contar("CONTRIBUINTE"), 700);
    EXPECT_EQ(contar("CONTRIBUINTE WHERE RAZAOSOCIAL = 'Empresa 700'"), 1);
    EXPECT_EQ(contar("CONTRIBUINTE WHERE RAZAOSOCIAL = 'Empresa 701'"), 0);

    // A conexão cai no meio do segundo lote (como o servidor a derruba num sinal): a
    // importação para com uma mensagem só, e o primeiro lote fica gravado
    {
        fb::Transacao tr(c);
        fb::Comando::executarDireto(tr, "DELETE FROM CONTRIBUINTE");
        tr.commit();
    }
    fb::Conexao derrubar;
    derrubar.abrir(c.parametros());
    consultas = 0;
    auto p2 = LerPlanilha(csv, TipoCadastro::Contribuintes);
    teste::InteracaoGravada lote2;
    try {
        ImportarContribuintes(c, p2, lote2, [&] {
            if (++consultas == LINHAS_POR_LOTE + 100) {
                fb::Transacao tr(derrubar);
                fb::Comando::executarDireto(tr, "DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION "
                                                "AND MON$SYSTEM_FLAG = 0");
                tr.commit();
            }
            return false;
        });
        ADD_FAILURE() << "a importação seguiu sem a conexão";
    } catch (const ErroImportacao& e) {
        const std::string texto = e.what();
        EXPECT_EQ(texto.rfind("Importação interrompida na linha 601 por falha na base de dados: ", 0), 0u) << texto;
        EXPECT_NE(texto.find("\r\nAs linhas aceitas a partir da linha 502 não foram gravadas."), std::string::npos)
            << texto;
        EXPECT_EQ(e.resultado.importados, LINHAS_POR_LOTE);
    }
    EXPECT_LE(lote2.mensagens.size(), 1u);
    c.fechar();
    c.abrir(derrubar.parametros());
    EXPECT_EQ(contar("CONTRIBUINTE"), LINHAS_POR_LOTE);
}
