// Atualização da tabela CNAE a partir dos arquivos compactados, sobre uma base real.
#include <gtest/gtest.h>

#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/Zip.h"
#include "data/AtualizacaoCNAE.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

namespace fs = std::filesystem;
using namespace kov;

TEST(CNAE, DivisaoDasLinhas) {
    using V = std::vector<std::string>;
    EXPECT_EQ(DividirLinhaCNAE("4711301;00;Hipermercados"), (V{"4711301", "00", "Hipermercados"}));
    // brancos no início do campo são pulados, no fim ficam
    EXPECT_EQ(DividirLinhaCNAE("  4711301;   00 ;\tDescrição"), (V{"4711301", "00 ", "Descrição"}));
    // campo vazio é descartado e os seguintes sobem
    EXPECT_EQ(DividirLinhaCNAE("4711301;;00;;Texto;"), (V{"4711301", "00", "Texto"}));
    // ";" entre aspas não corta e as aspas ficam
    EXPECT_EQ(DividirLinhaCNAE("4711302;00;\"Comércio; varejo\""), (V{"4711302", "00", "\"Comércio; varejo\""}));
    EXPECT_EQ(DividirLinhaCNAE("1;2;'a;b';c"), (V{"1", "2", "'a;b'", "c"}));
    EXPECT_EQ(DividirLinhaCNAE(""), V{});
    EXPECT_EQ(DividirLinhaCNAE(" ; ;"), V{});
}

TEST(CNAE, TextoWindows1252ViraUtf8) {
    EXPECT_EQ(TextoParaUtf8("Com\xe9rcio varejista de cal\xe7" "ados"), "Comércio varejista de calçados");
    EXPECT_EQ(TextoParaUtf8("Comércio já em UTF-8"), "Comércio já em UTF-8");
    EXPECT_EQ(TextoParaUtf8("\x93" "aspas\x94"), "“aspas”");
    // Bytes de Windows-1252 que parecem UTF-8 mas não são (forma longa demais, metade de par
    // substituto, acima de U+10FFFF) são convertidos como Windows-1252
    EXPECT_EQ(TextoParaUtf8("\xE0\x80\x85"), "à€…");
    EXPECT_EQ(TextoParaUtf8("\xED\xA0\x80"), "í\u00A0€");  // A0: espaço sem quebra
    EXPECT_EQ(TextoParaUtf8("\xF4\x92\x80\x80"), "ô’€€");
}

TEST(CNAE, ExtracaoNuncaGravaForaDaPasta) {
    teste::PastaTemporaria pasta;
    const auto zip = (pasta.caminho() / "a.zip").string();
    teste::criarZip(zip, {{"sub/pasta/A.csv", "um"}, {"../../FORA.csv", "dois"}, {"vazia/", ""}});
    fs::create_directory(pasta.caminho() / "destino");
    EXPECT_EQ(ExtrairZip(zip, (pasta.caminho() / "destino").string()), 3);
    EXPECT_EQ(teste::lerArquivo(pasta.caminho() / "destino" / "A.csv"), "um");
    EXPECT_EQ(teste::lerArquivo(pasta.caminho() / "destino" / "FORA.csv"), "dois");
    EXPECT_FALSE(fs::exists(pasta.caminho() / "FORA.csv"));
    EXPECT_FALSE(fs::exists(pasta.caminho().parent_path() / "FORA.csv"));
    teste::escreverArquivo(pasta.caminho() / "lixo.zip", "isto não é zip");
    EXPECT_THROW(ExtrairZip((pasta.caminho() / "lixo.zip").string(), pasta.str()), ErroSistema);
}

namespace {

struct BaseCNAE : ::testing::Test {
    teste::PastaTemporaria pasta;
    fb::Conexao c;
    void SetUp() override {
        teste::copiarBaseModelo(pasta.caminho() / "KOV.GDB");
        fb::ParametrosConexao p;
        p.banco = (pasta.caminho() / "KOV.GDB").string();
        c.abrir(p);
    }
    int64_t numero(const std::string& sql) {
        fb::Transacao tr(c);
        fb::Comando q(tr, sql);
        q.proximo();
        return q.coluna(0).inteiro();
    }
    std::string texto(const std::string& sql) {
        fb::Transacao tr(c);
        fb::Comando q(tr, sql);
        return q.proximo() ? q.coluna(0).texto() : "<nenhuma linha>";
    }
    void zipTabela(const std::string& csv) {
        teste::criarZip((pasta.caminho() / "TabelaCNAE20.zip").string(), {{"TabelaCNAE20.csv", csv}});
    }
    void zipCorrespondencia(const std::string& csv) {
        teste::criarZip((pasta.caminho() / "Tabela_CNAEF_CNAE.zip").string(), {{"Tabela_CNAEF_CNAE.csv", csv}});
    }
    std::string falha(const std::function<void()>& f) {
        try {
            f();
        } catch (const ErroSistema& e) {
            return e.what();
        }
        return "<sem erro>";
    }
};

}  // namespace

TEST_F(BaseCNAE, CarregaCodigosNovosEAtualizaOsExistentes) {
    // Um código que já existe (com início em 2003) e dois novos, um deles com ";" entre aspas
    const std::string existente = texto("SELECT FIRST 1 CNAEF_ID FROM CNAEF WHERE DATA_INICIO < DATE '2004-01-01' AND "
                                        "CHAR_LENGTH(CNAEF_ID) = 7");
    const std::string desm = texto("SELECT DESMEMBRAMENTO FROM CNAEF WHERE CNAEF_ID = '" + existente + "'");
    const auto inicioAntes = texto("SELECT DATA_INICIO FROM CNAEF WHERE CNAEF_ID = '" + existente + "'");
    zipTabela(existente + ";" + desm + ";Descri\xe7\xe3o nova\r\n9999901;00;\"Com\xe9rcio; teste\"\r\n 9999902; 01; Outro\r\n\r\n");
    AtualizacaoCNAE cnae(c, pasta.str());
    EXPECT_FALSE(cnae.AtualizarTabelaCNAE());
    EXPECT_EQ(texto("SELECT DESCRICAO FROM CNAEF WHERE CNAEF_ID = '" + existente + "'"), "Descrição nova");
    EXPECT_EQ(texto("SELECT DATA_INICIO FROM CNAEF WHERE CNAEF_ID = '" + existente + "'"), inicioAntes);
    EXPECT_EQ(texto("SELECT DATA_FIM FROM CNAEF WHERE CNAEF_ID = '" + existente + "'"), "01/01/2099");
    EXPECT_EQ(texto("SELECT DESCRICAO FROM CNAEF WHERE CNAEF_ID = '9999901'"), "\"Comércio; teste\"");
    EXPECT_EQ(texto("SELECT DATA_INICIO || ' ' || DATA_FIM FROM CNAEF WHERE CNAEF_ID = '9999902' AND DESMEMBRAMENTO = '01'"),
              "2007-01-01 2099-01-01");
    // O CSV extraído é apagado; o arquivo compactado fica
    EXPECT_FALSE(fs::exists(pasta.caminho() / "TabelaCNAE20.csv"));
    EXPECT_TRUE(fs::exists(pasta.caminho() / "TabelaCNAE20.zip"));
}

TEST_F(BaseCNAE, SemArquivoNadaAcontece) {
    const auto antes = numero("SELECT COUNT(*) FROM CNAEF");
    AtualizacaoCNAE cnae(c, pasta.str());
    EXPECT_FALSE(cnae.AtualizarTabelaCNAE());
    EXPECT_FALSE(cnae.CarregarCorrespondenciaCNAE());
    EXPECT_EQ(numero("SELECT COUNT(*) FROM CNAEF"), antes);
}

TEST_F(BaseCNAE, FalhasDaCargaTemSuasMensagensEDesfazemTudo) {
    AtualizacaoCNAE cnae(c, pasta.str());
    const auto cnaefAntes = numero("SELECT COUNT(*) FROM CNAEF");
    // Arquivo compactado vazio
    teste::criarZip((pasta.caminho() / "TabelaCNAE20.zip").string(), {});
    EXPECT_EQ(falha([&] { cnae.AtualizarTabelaCNAE(); }), "Erro - nenhum arquivo do tipo Compactado(.ZIP) encontrado!");
    // Arquivo compactado sem o CSV esperado
    teste::criarZip((pasta.caminho() / "TabelaCNAE20.zip").string(), {{"outro.csv", "1;00;x"}});
    EXPECT_NE(falha([&] { cnae.AtualizarTabelaCNAE(); }).find("TabelaCNAE20.csv"), std::string::npos);
    // Linha com campos a menos depois de linhas boas: nada fica gravado e o CSV é apagado
    zipTabela("9999801;00;Boa\n9999802;00\n");
    EXPECT_EQ(falha([&] { cnae.AtualizarTabelaCNAE(); }).rfind("Não foi possível converter a tabela de CNAE \r\n", 0), 0u);
    EXPECT_EQ(numero("SELECT COUNT(*) FROM CNAEF"), cnaefAntes);
    EXPECT_FALSE(fs::exists(pasta.caminho() / "TabelaCNAE20.csv"));
    // Código maior que a coluna: erro do banco com o mesmo prefixo
    zipTabela("99999999999;00;Longo\n");
    EXPECT_EQ(falha([&] { cnae.AtualizarTabelaCNAE(); }).rfind("Não foi possível converter a tabela de CNAE \r\n", 0), 0u);
    EXPECT_EQ(numero("SELECT COUNT(*) FROM CNAEF"), cnaefAntes);

    // Correspondência repetida: a carga inteira é desfeita
    const auto corrAntes = numero("SELECT COUNT(*) FROM CNAEF_CNAE");
    zipCorrespondencia("1111111;00;2222222;00\n1111112;00;2222222;00\n1111111;00;2222222;00\n");
    const std::string erro = falha([&] { cnae.CarregarCorrespondenciaCNAE(); });
    EXPECT_EQ(erro.rfind("Não foi possível definir a correspondência de CNAEF para CNAE. \r\n", 0), 0u) << erro;
    EXPECT_NE(erro.find("PRIMARY or UNIQUE KEY"), std::string::npos) << erro;
    EXPECT_EQ(numero("SELECT COUNT(*) FROM CNAEF_CNAE"), corrAntes);
    EXPECT_FALSE(fs::exists(pasta.caminho() / "Tabela_CNAEF_CNAE.csv"));
    // Linha curta na correspondência
    zipCorrespondencia("1111111;00;2222222\n");
    EXPECT_EQ(falha([&] { cnae.CarregarCorrespondenciaCNAE(); })
                  .rfind("Não foi possível definir a correspondência de CNAEF para CNAE. \r\n", 0),
              0u);
}

TEST_F(BaseCNAE, ConversaoDosContribuintesEDeclaracoes) {
    {
        fb::Transacao tr(c);
        for (const char* sql :
             {"INSERT INTO CNAEF_CNAE VALUES ('1111111', '00', '2222222', '00')",
              "INSERT INTO CNAEF_CNAE VALUES ('1111111', '01', '2222222', '03')",
              "INSERT INTO CONTRIBUINTE (CONTRIBUINTE_ID, CNAEF_ID, DESMEMBRAMENTO, CODDRUMUNICIPIO, UF_ID, "
              "TIPOCONTRIBUINTE_ID, RAZAOSOCIAL, CEP, INSCESTADUAL, CNPJ) SELECT 1, '1111111', '01', MIN(CODDRUMUNICIPIO), "
              "'QZ', 1, 'A', '12345678', '1234567890107', '' FROM MUNICIPIO",
              "INSERT INTO CONTRIBUINTE (CONTRIBUINTE_ID, CNAEF_ID, DESMEMBRAMENTO, CODDRUMUNICIPIO, UF_ID, "
              "TIPOCONTRIBUINTE_ID, RAZAOSOCIAL, CEP, INSCESTADUAL, CNPJ) SELECT 2, '3333333', '00', MIN(CODDRUMUNICIPIO), "
              "'QZ', 1, 'B', '12345678', '0010000000172', '' FROM MUNICIPIO"})
            fb::Comando::executarDireto(tr, sql);
        for (int ano : {2005, 2006, 2007}) {
            fb::Comando d(tr,
                          "INSERT INTO DOCUMENTO (DOCUMENTO_ID, CONTRIBUINTE_ID, STATUS_ID, REGIME_ID, TIPOCONTRIBUINTE_ID, "
                          "CNAEF_ID, DESMEMBRAMENTO, CODDRUMUNICIPIO, TIPORECOLHIMENTO_ID, PERIODO, MESINICIAL, MESFINAL, "
                          "ESCRITACONTABIL, SUBSTITUICAO, MUDANCAMUNICIPIO, BAIXA, MUDANCAMUNICIPIOANOCORRENTE) SELECT :ID, 1, "
                          "0, 1, 1, '1111111', '01', CODDRUMUNICIPIO, 0, :ANO, 1, 12, 'N', 'N', 'N', 'N', 'N' FROM "
                          "CONTRIBUINTE WHERE CONTRIBUINTE_ID = 1");
            d.param("ID", ano).param("ANO", ano).executar();
        }
        tr.commit();
    }
    AtualizacaoCNAE cnae(c, pasta.str());
    EXPECT_TRUE(cnae.ConverterCNAEContribuintes());
    EXPECT_TRUE(cnae.ConverterCNAEDocumentos());
    EXPECT_EQ(texto("SELECT CNAEF_ID || '/' || DESMEMBRAMENTO FROM CONTRIBUINTE WHERE CONTRIBUINTE_ID = 1"), "2222222/03");
    // Sem correspondência, o código antigo fica
    EXPECT_EQ(texto("SELECT CNAEF_ID || '/' || DESMEMBRAMENTO FROM CONTRIBUINTE WHERE CONTRIBUINTE_ID = 2"), "3333333/00");
    // Declarações de 2005 mantêm o código antigo; de 2006 em diante, o novo
    EXPECT_EQ(texto("SELECT CNAEF_ID || '/' || DESMEMBRAMENTO FROM DOCUMENTO WHERE DOCUMENTO_ID = 2005"), "1111111/01");
    EXPECT_EQ(texto("SELECT CNAEF_ID || '/' || DESMEMBRAMENTO FROM DOCUMENTO WHERE DOCUMENTO_ID = 2006"), "2222222/03");
    EXPECT_EQ(texto("SELECT CNAEF_ID || '/' || DESMEMBRAMENTO FROM DOCUMENTO WHERE DOCUMENTO_ID = 2007"), "2222222/03");
}
