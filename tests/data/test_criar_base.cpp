// A base distribuída: tabelas, chaves, geradores, procedimento e linhas de referência.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "apoio/BaseTeste.h"
#include "data/CriarBase.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

using namespace kov;

namespace {

struct BaseCriada : ::testing::Test {
    static inline teste::PastaTemporaria* pasta = nullptr;
    fb::Conexao c;
    std::unique_ptr<fb::Transacao> tr;

    static void SetUpTestSuite() {
        pasta = new teste::PastaTemporaria();
        criarBase((pasta->caminho() / "NOVA.GDB").string());
    }
    static void TearDownTestSuite() { delete pasta; }
    void SetUp() override {
        fb::ParametrosConexao p;
        p.banco = (pasta->caminho() / "NOVA.GDB").string();
        c.abrir(p);
        tr = std::make_unique<fb::Transacao>(c);
    }
    std::vector<std::vector<std::string>> linhas(const std::string& sql) {
        fb::Comando q(*tr, sql);
        std::vector<std::vector<std::string>> v;
        while (q.proximo()) {
            std::vector<std::string> l;
            for (int i = 0; i < q.colunas(); ++i) l.push_back(q.coluna(i).texto());
            v.push_back(l);
        }
        return v;
    }
    int64_t numero(const std::string& sql) {
        fb::Comando q(*tr, sql);
        q.proximo();
        return q.coluna(0).inteiro();
    }
    std::string aparado(std::string s) {
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }
};

}  // namespace

TEST_F(BaseCriada, TabelasEColunasDoEsquema) {
    const std::map<std::string, std::vector<std::string>> esperado = {
        {"CONTRIBUINTE", {"CONTRIBUINTE_ID", "CNAEF_ID", "DESMEMBRAMENTO", "CODDRUMUNICIPIO", "UF_ID", "TIPOCONTRIBUINTE_ID",
                          "RAZAOSOCIAL", "ENDERECO", "NUMERO", "COMPLEMENTO", "BAIRRO", "CEP", "CAIXAPOSTAL",
                          "AGENCIAPOSTAL", "TELEFONE", "EMAIL", "DDD", "INSCESTADUAL", "RESPONSAVEL_ID", "CNPJ"}},
        {"RESPONSAVEL", {"RESPONSAVEL_ID", "NOME", "DDD", "TELEFONE", "EMAIL"}},
        {"KOV", {"DOCUMENTO_ID", "SAIDAS", "ENTRADAS", "OUTRASENTRADAS", "TOTALENTRADAS", "TOTALKOV"}},
        {"PARAMETROS", {"CAMPO", "VALOR"}},
        {"TRANSMISSAO", {"TRANSMISSAO_ID", "DOCUMENTO_ID", "HORA", "DATA", "PROTOCOLO", "TIPOTRANSMISSAO", "STATUS", "RECIBO"}},
        {"DETALHAMENTOENTRADA", {"DOCUMENTO_ID", "CODDRUMUNICIPIO", "VALOR", "MUDANCAMUNICIPIO", "VALORMUDANCA"}},
    };
    for (const auto& [tabela, colunas] : esperado) {
        std::vector<std::string> lidas;
        for (auto& l : linhas("SELECT RDB$FIELD_NAME FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = '" + tabela +
                              "' ORDER BY RDB$FIELD_POSITION"))
            lidas.push_back(aparado(l[0]));
        EXPECT_EQ(lidas, colunas) << tabela;
    }
    std::set<std::string> tabelas;
    for (auto& l : linhas("SELECT RDB$RELATION_NAME FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0"))
        tabelas.insert(aparado(l[0]));
    for (const char* t : {"CONTRIBUINTE", "RESPONSAVEL", "DOCUMENTO", "ESTOQUE", "DESPESASOPERACIONAIS",
                          "DEMOSTRACAORESULTADOOPERACIONAL", "ENTRADA", "SAIDA", "KOV", "EXCLUSOESKOV", "DETALHAMENTOES",
                          "GIENTRADA", "GISAIDAS", "DETALHAMENTOENTRADA", "TRANSMISSAO", "PARAMETROS", "CNAEF",
                          "CNAEF_CNAE", "MUNICIPIO", "REGIME", "STATUSDOC", "TIPOCONTRIBUINTE", "TIPOOPERACAO",
                          "TIPORECOLHIMENTO", "UF", "CONSISTENCIAS"})
        EXPECT_TRUE(tabelas.count(t)) << t;
    // Exclusões: 28 valores na ordem, os dois últimos NUMERIC(13,2) anuláveis
    auto excl = linhas(
        "SELECT RF.RDB$FIELD_NAME, F.RDB$FIELD_PRECISION, F.RDB$FIELD_SCALE, RF.RDB$NULL_FLAG FROM RDB$RELATION_FIELDS RF "
        "JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE WHERE RF.RDB$RELATION_NAME = 'EXCLUSOESKOV' "
        "ORDER BY RF.RDB$FIELD_POSITION");
    ASSERT_EQ(excl.size(), 29u);
    EXPECT_EQ(aparado(excl[12][0]), "SAIMERCADIORIASUSP");
    EXPECT_EQ(aparado(excl[18][0]), "SAITRANPORTESINICIADOOUTRA");
    EXPECT_EQ(aparado(excl[27][0]), "ENTAJUSTETRANSFERENCIA");
    EXPECT_EQ(excl[27][1], "13");
    EXPECT_EQ(excl[27][2], "-2");
    EXPECT_EQ(excl[28][3], "");  // sem NOT NULL
    EXPECT_EQ(excl[1][1], "15");
    // DETALHAMENTOES: chave + 8 categorias x 4 valores
    EXPECT_EQ(numero("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = 'DETALHAMENTOES'"), 34);
    // Conjunto de caracteres padrão da base
    EXPECT_EQ(aparado(linhas("SELECT RDB$CHARACTER_SET_NAME FROM RDB$DATABASE")[0][0]), "WIN1252");
}

TEST_F(BaseCriada, ChavesGeradoresEProcedimento) {
    std::set<std::string> gens;
    for (auto& l : linhas("SELECT RDB$GENERATOR_NAME FROM RDB$GENERATORS WHERE RDB$SYSTEM_FLAG = 0"))
        gens.insert(aparado(l[0]));
    EXPECT_EQ(gens, (std::set<std::string>{"GEN_CONTRIBUINTE", "GEN_DOCUMENTO", "GEN_TRANSMISSAO", "GEN_RESPONSAVEL"}));
    EXPECT_EQ(numero("SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME = 'SP_GERACODIGO'"), 1);
    auto pk = [&](const std::string& t) {
        std::vector<std::string> v;
        for (auto& l : linhas("SELECT S.RDB$FIELD_NAME, RC.RDB$CONSTRAINT_NAME FROM RDB$RELATION_CONSTRAINTS RC JOIN "
                              "RDB$INDEX_SEGMENTS S ON S.RDB$INDEX_NAME = RC.RDB$INDEX_NAME WHERE RC.RDB$RELATION_NAME = '" +
                              t + "' AND RC.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' ORDER BY S.RDB$FIELD_POSITION"))
            v.push_back(aparado(l[0]));
        return v;
    };
    EXPECT_EQ(pk("DETALHAMENTOES"), (std::vector<std::string>{"TIPOOPERACAO_ID", "DOCUMENTO_ID"}));
    EXPECT_EQ(pk("GIENTRADA"), (std::vector<std::string>{"DOCUMENTO_ID", "UF_ID"}));
    EXPECT_EQ(pk("GISAIDAS"), (std::vector<std::string>{"DOCUMENTO_ID", "UF_ID"}));
    EXPECT_EQ(pk("DETALHAMENTOENTRADA"), (std::vector<std::string>{"DOCUMENTO_ID", "CODDRUMUNICIPIO"}));
    EXPECT_EQ(pk("CNAEF_CNAE"),
              (std::vector<std::string>{"CNAEF_ID", "DESMEMBRAMENTO_CNAEF", "CNAE_ID", "DESMEMBRAMENTO_CNAE"}));
    EXPECT_EQ(numero("SELECT COUNT(*) FROM RDB$RELATION_CONSTRAINTS WHERE RDB$CONSTRAINT_NAME IN ('PK_PARAMETROS', "
                     "'PK_RESPONSAVEL', 'PK_CNAEF_CNAE')"),
              3);
    EXPECT_EQ(numero("SELECT COUNT(*) FROM RDB$INDICES WHERE RDB$INDEX_NAME IN ('CNAEF_ID_DESMEMBRAMENTO', "
                     "'CNAE_ID_DESMEMBRAMENTO')"),
              2);
}

TEST_F(BaseCriada, LinhasDeReferencia) {
    EXPECT_EQ(linhas("SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'VERSAO'")[0][0], "7.07.10");
    EXPECT_EQ(linhas("SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'ANOEXERCICIO'")[0][0], "2016");
    EXPECT_EQ(linhas("SELECT RESPONSAVEL_ID, NOME, DDD, TELEFONE, EMAIL FROM RESPONSAVEL WHERE RESPONSAVEL_ID = 0"),
              (std::vector<std::vector<std::string>>{{"0", "Não atribuído", "", "", ""}}));
    EXPECT_EQ(numero("SELECT COUNT(*) FROM REGIME WHERE REGIME_ID BETWEEN 1 AND 6"), 6);
    EXPECT_EQ(linhas("SELECT DESCRICAO FROM REGIME WHERE REGIME_ID = 4")[0][0],
              "Microprodutor Rural, Produtor de Pequeno Porte");
    EXPECT_EQ(numero("SELECT COUNT(*) FROM REGIME WHERE CODIGO IN (52, 54)"), 2);
    EXPECT_EQ(numero("SELECT COUNT(*) FROM STATUSDOC WHERE STATUSDOC_ID IN (0, 1, 2)"), 3);
    EXPECT_EQ(numero("SELECT COUNT(*) FROM TIPOCONTRIBUINTE WHERE TIPOCONTRIBUINTE_ID IN (0, 1, 3)"), 3);
    EXPECT_EQ(numero("SELECT COUNT(*) FROM TIPOOPERACAO WHERE TIPOOPERACAO_ID BETWEEN 1 AND 6"), 6);
    EXPECT_EQ(numero("SELECT COUNT(*) FROM TIPORECOLHIMENTO WHERE TIPORECOLHIMENTO_ID IN (0, 1, 2)"), 3);
    EXPECT_EQ(numero("SELECT COUNT(*) FROM UF WHERE UF_ID = 'QZ'"), 1);
    EXPECT_GE(numero("SELECT COUNT(*) FROM UF"), 28);
    EXPECT_GE(numero("SELECT COUNT(*) FROM MUNICIPIO"), 100);
    EXPECT_EQ(numero("SELECT COUNT(*) FROM MUNICIPIO WHERE DESCRICAO <> UPPER(DESCRICAO)"), 0);
}

TEST_F(BaseCriada, CnaefTemTodosOsNiveisNasDuasVigencias) {
    // Base 2005 enxerga a tabela antiga (válida em 01/01/2006); 2006 em diante, a nova.
    for (const char* data : {"2006-01-01", "2007-01-01", "2017-01-01"}) {
        const std::string filtro = std::string(" AND DATA_INICIO <= DATE '") + data + "' AND DATA_FIM >= DATE '" + data + "'";
        auto contar = [&](const std::string& cond) { return numero("SELECT COUNT(*) FROM CNAEF WHERE " + cond + filtro); };
        EXPECT_GT(contar("CHAR_LENGTH(TRIM(CNAEF_ID)) = 2"), 0) << data;
        EXPECT_GT(contar("CHAR_LENGTH(TRIM(CNAEF_ID)) = 3"), 0) << data;
        EXPECT_GT(contar("CHAR_LENGTH(TRIM(CNAEF_ID)) = 5"), 0) << data;
        EXPECT_GT(contar("CHAR_LENGTH(TRIM(CNAEF_ID)) = 7 AND DESMEMBRAMENTO = '00'"), 0) << data;
        EXPECT_GT(contar("CHAR_LENGTH(TRIM(CNAEF_ID)) = 7 AND DESMEMBRAMENTO <> '00'"), 0) << data;
        // Toda subclasse tem sua classe na mesma vigência
        EXPECT_EQ(contar("CHAR_LENGTH(TRIM(CNAEF_ID)) = 7 AND NOT EXISTS (SELECT 1 FROM CNAEF P WHERE P.CNAEF_ID = "
                         "SUBSTRING(CNAEF.CNAEF_ID FROM 1 FOR 5) AND P.DATA_INICIO <= DATE '" +
                         std::string(data) + "' AND P.DATA_FIM >= DATE '" + data + "')"),
                  0)
            << data;
    }
    // Há códigos que deixaram de valer em 2006 e códigos que passaram a valer em 2007
    EXPECT_GT(numero("SELECT COUNT(*) FROM CNAEF WHERE DATA_FIM = DATE '2006-12-31'"), 0);
    EXPECT_GT(numero("SELECT COUNT(*) FROM CNAEF WHERE DATA_INICIO = DATE '2007-01-01'"), 0);
}

TEST_F(BaseCriada, ConsistenciasDoE001AoE039) {
    EXPECT_EQ(numero("SELECT COUNT(*) FROM CONSISTENCIAS WHERE ERRO BETWEEN 'E001' AND 'E039'"), 39);
    EXPECT_EQ(numero("SELECT COUNT(*) FROM CONSISTENCIAS WHERE ERRO BETWEEN 'E001' AND 'E039' AND "
                     "(MENSAGEM IS NULL OR TRIM(MENSAGEM) = '' OR DICA IS NULL OR TRIM(DICA) = '')"),
              0);
    EXPECT_EQ(linhas("SELECT PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO FROM CONSISTENCIAS WHERE ERRO = 'E037'")[0],
              (std::vector<std::string>{"00", "00", "00", "Responsável (cadastro de contribuintes) não foi informado.",
                                        "Acessar o cadastro do contribuinte e selecionar um responsável pelos documentos.",
                                        "0"}));
    EXPECT_EQ(linhas("SELECT PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO FROM CONSISTENCIAS WHERE ERRO = 'E038'")[0],
              (std::vector<std::string>{
                  "00", "00", "00", "CNAEF imcompatível com o período de referência informado no documento.",
                  "Certifique-se que o exercício informado nos parâmetros do sistema está correto e que a CNAEF/CNAE no "
                  "cadastro de contribuinte esteja informada corretamente.",
                  "0"}));
    EXPECT_EQ(linhas("SELECT PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO FROM CONSISTENCIAS WHERE ERRO = 'E039'")[0],
              (std::vector<std::string>{
                  "DOCUMENTO", "MUDANCAMUNICIPIO", "", "Existe um conflito de períodos na declaração.",
                  "Certifique-se que não existe(m) outra(s) declaração(ôes) cujo período (\"Mês Inicial\" e \"Mês "
                  "Final\") apresenta conflito no mesmo intervalo da declaração atual.",
                  "1"}));
    // Os erros por linha de detalhamento abrem a tela do seu tipo de operação
    const std::vector<std::string> abas = {"ENTRADAS_ESTADO", "ENTRADAS_OUTROS", "ENTRADAS_EXTERIOR",
                                           "SAIDAS_ESTADO",   "SAIDAS_OUTROS",   "SAIDAS_EXTERIOR"};
    for (int i = 0; i < 6; ++i) {
        auto l = linhas("SELECT ABA, FORMULARIO FROM CONSISTENCIAS WHERE ERRO = 'E0" + std::to_string(26 + i) + "'");
        ASSERT_EQ(l.size(), 1u);
        EXPECT_EQ(l[0], (std::vector<std::string>{abas[static_cast<size_t>(i)], "2"})) << "E0" << 26 + i;
    }
    // Navegação só para páginas conhecidas
    EXPECT_EQ(numero("SELECT COUNT(*) FROM CONSISTENCIAS WHERE FORMULARIO = '1' AND PAGINA NOT IN ('DOCUMENTO', "
                     "'PRELO', 'KOV', 'GI')"),
              0);
}

TEST(CriarBase, RecusaSobrescreverEApagaBaseIncompleta) {
    teste::PastaTemporaria pasta;
    const auto alvo = pasta.caminho() / "EXISTE.GDB";
    teste::escreverArquivo(alvo, "meus dados");
    try {
        criarBase(alvo.string());
        FAIL() << "sobrescreveu um arquivo existente";
    } catch (const ErroSistema& e) {
        EXPECT_NE(std::string(e.what()).find("já existe"), std::string::npos);
    }
    EXPECT_EQ(teste::lerArquivo(alvo), "meus dados");
    EXPECT_THROW(criarBase(""), ErroSistema);
    // Pasta que não pode ser criada: falha sem deixar arquivo
    EXPECT_ANY_THROW(criarBase((alvo / "sub" / "X.GDB").string()));
}
