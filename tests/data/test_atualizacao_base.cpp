// A escada de atualização sobre bases reais das versões antigas: nada se perde, cada passo
// grava só o que é seu, falhas deixam a base num degrau conhecido e a cópia de segurança.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "apoio/BaseTeste.h"
#include "apoio/InteracaoGravada.h"
#include "apoio/Processo.h"
#include "data/AtualizacaoCNAE.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/PontoParada.h"

namespace fs = std::filesystem;
using namespace kov;

namespace {

const std::string NAO_ATUALIZOU = "\r\nNão foi possível atualizar a base de dados.";

struct Escada : ::testing::Test {
    teste::InstalacaoTeste inst{false};
    teste::InteracaoGravada ui;

    void preparar(const std::string& versao, bool comArquivosCNAE = false) {
        teste::copiarBaseAntiga(versao, inst.base);
        inst.escreverIni(teste::iniDaSuite(inst));
        if (comArquivosCNAE)
            for (const char* z : {"TabelaCNAE20.zip", "Tabela_CNAEF_CNAE.zip"})
                fs::copy_file(fs::path(KOV_FONTE) / "db" / "antigas" / z, inst.bd / z);
    }
    // Roda a criação do módulo de dados como o programa faz ao iniciar.
    std::unique_ptr<Tdm> iniciar() {
        ui.mensagens.clear();
        auto dm = std::make_unique<Tdm>(ui, inst.exe.string());
        dm->DataModuleCreate();
        return dm;
    }
    fb::ParametrosConexao params() {
        fb::ParametrosConexao p;
        p.banco = teste::enderecoBanco(inst.base);
        return p;
    }
    void executar(const std::vector<std::string>& comandos) {
        fb::Conexao c;
        c.abrir(params());
        fb::Transacao tr(c);
        for (const auto& sql : comandos) {
            fb::Comando::executarDireto(tr, sql);
            tr.commit();
            tr.iniciar();
        }
    }
    std::vector<std::vector<std::string>> linhas(const std::string& sql) {
        fb::Conexao c;
        c.abrir(params());
        fb::Transacao tr(c);
        fb::Comando q(tr, sql);
        std::vector<std::vector<std::string>> v;
        while (q.proximo()) {
            std::vector<std::string> l;
            for (int i = 0; i < q.colunas(); ++i) l.push_back(q.coluna(i).texto());
            v.push_back(l);
        }
        return v;
    }
    std::string valor(const std::string& sql) {
        auto l = linhas(sql);
        return l.empty() ? "<nenhuma linha>" : l[0][0];
    }
    bool temColuna(const std::string& tabela, const std::string& coluna) {
        return valor("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = '" + tabela +
                     "' AND RDB$FIELD_NAME = '" + coluna + "'") == "1";
    }
    // Contagem de linhas e soma de todos os valores de cada tabela de dados do usuário.
    std::map<std::string, std::string> retrato() {
        std::map<std::string, std::string> r;
        for (const char* t : {"CONTRIBUINTE", "DOCUMENTO", "ESTOQUE", "DESPESASOPERACIONAIS",
                              "DEMOSTRACAORESULTADOOPERACIONAL", "ENTRADA", "SAIDA", "KOV", "DETALHAMENTOES", "GIENTRADA",
                              "GISAIDAS", "DETALHAMENTOENTRADA", "TRANSMISSAO"})
            r[std::string(t) + " linhas"] = valor(std::string("SELECT COUNT(*) FROM ") + t);
        r["EXCLUSOESKOV linhas"] = valor("SELECT COUNT(*) FROM EXCLUSOESKOV");
        r["ESTOQUE soma"] = valor("SELECT SUM(INITRIBUTADOS + FIMTRIBUTADOS + INITOTAL + FIMTOTAL) FROM ESTOQUE");
        r["KOV soma"] = valor("SELECT SUM(SAIDAS + ENTRADAS + OUTRASENTRADAS + TOTALENTRADAS + TOTALKOV) FROM KOV");
        r["ENTRADA soma"] = valor("SELECT SUM(VCTOTAL + BCTOTAL + ICMSTOTAL + VCESTADO + VCOUTROS) FROM ENTRADA");
        r["SAIDA soma"] = valor("SELECT SUM(VCTOTAL + BCTOTAL + ICMSTOTAL + VCESTADO + VCOUTROS) FROM SAIDA");
        r["DETALHAMENTOES soma"] = valor("SELECT SUM(VCCOMPRAVENDA + BCCOMPRAVENDA + ICMSSUBTOTAL + VCSUBTOTAL) FROM DETALHAMENTOES");
        r["GI soma"] = valor("SELECT SUM(VALORCONTABIL + BASECALCULO) FROM GIENTRADA");
        r["RECIBOS"] = valor("SELECT SUM(OCTET_LENGTH(RECIBO)) FROM TRANSMISSAO");
        r["contribuintes"] = valor("SELECT LIST(INSCESTADUAL || RAZAOSOCIAL, '|') FROM (SELECT * FROM CONTRIBUINTE ORDER BY 1)");
        // Exclusões: o total de entradas e de saídas de cada linha não muda ao juntar em "outras"
        r["exclusoes entradas"] = valor(
            "SELECT SUM(COALESCE(ENTOUTRAS,0) + COALESCE(ENTENTREGAFUTURA,0) + COALESCE(ENTMERCADORIASUSP,0) + "
            "COALESCE(ENTSIMPLESREMESSA,0) + COALESCE(ENTARMAZENAMENTODEPOSITO,0) + COALESCE(ENTCONSIGNACAO,0)) FROM "
            "EXCLUSOESKOV");
        r["exclusoes saidas"] = valor(
            "SELECT SUM(COALESCE(SAIOUTRAS,0) + COALESCE(SAIENTREGAFUTURA,0) + COALESCE(SAIMERCADIORIASUSP,0) + "
            "COALESCE(SAISIMPLESREMESSA,0) + COALESCE(SAIARMAZENAMENTODEPOSITO,0) + COALESCE(SAICONSIGNACAO,0)) FROM "
            "EXCLUSOESKOV");
        return r;
    }
    std::string copiaEsperada(const std::string& versao) { return (inst.bd / ("KOV-" + versao + ".GDB")).string(); }
};


}  // namespace

TEST_F(Escada, De70503Ate70710SemPerderNada) {
    preparar("7.05.03");
    ASSERT_NE(valor("SELECT COUNT(*) FROM EXCLUSOESKOV WHERE ENTENTREGAFUTURA <> 0 OR SAICONSIGNACAO <> 0"), "0")
        << "a base antiga precisa ter valores nas colunas que serão juntadas";
    // Uma linha sem nada a juntar (origens nulas ou 0) e "outras" nulas também é consolidada
    executar({"UPDATE EXCLUSOESKOV SET ENTOUTRAS = NULL, SAIOUTRAS = NULL, ENTENTREGAFUTURA = NULL, "
              "ENTMERCADORIASUSP = 0, ENTSIMPLESREMESSA = NULL, ENTARMAZENAMENTODEPOSITO = NULL, ENTCONSIGNACAO = 0, "
              "SAIENTREGAFUTURA = NULL, SAIMERCADIORIASUSP = NULL, SAISIMPLESREMESSA = 0, "
              "SAIARMAZENAMENTODEPOSITO = NULL, SAICONSIGNACAO = NULL "
              "WHERE DOCUMENTO_ID = (SELECT MIN(DOCUMENTO_ID) FROM EXCLUSOESKOV)"});
    const auto antes = retrato();
    auto dm = iniciar();
    ASSERT_TRUE(dm->conectado()) << (ui.mensagens.empty() ? "" : ui.mensagens.back().texto);
    EXPECT_FALSE(dm->terminacaoSolicitada());
    EXPECT_TRUE(dm->ref.abertas);
    EXPECT_EQ(dm->LerVersaoBanco(), "7.07.10");
    EXPECT_EQ(dm->LerParametro("ANOEXERCICIO"), "2016");
    dm.reset();

    // Nada se perdeu; as cinco exclusões foram juntadas em "outras" e zeradas
    EXPECT_EQ(retrato(), antes);
    EXPECT_EQ(valor("SELECT COUNT(*) FROM EXCLUSOESKOV WHERE ENTENTREGAFUTURA <> 0 OR ENTMERCADORIASUSP <> 0 OR "
                    "ENTSIMPLESREMESSA <> 0 OR ENTARMAZENAMENTODEPOSITO <> 0 OR ENTCONSIGNACAO <> 0 OR SAIENTREGAFUTURA "
                    "<> 0 OR SAIMERCADIORIASUSP <> 0 OR SAISIMPLESREMESSA <> 0 OR SAIARMAZENAMENTODEPOSITO <> 0 OR "
                    "SAICONSIGNACAO <> 0"),
              "0");
    EXPECT_EQ(valor("SELECT COUNT(*) FROM EXCLUSOESKOV WHERE ENTOUTRAS IS NULL OR SAIOUTRAS IS NULL OR "
                    "ENTENTREGAFUTURA IS NULL OR ENTMERCADORIASUSP IS NULL OR ENTSIMPLESREMESSA IS NULL OR "
                    "ENTARMAZENAMENTODEPOSITO IS NULL OR ENTCONSIGNACAO IS NULL OR SAIENTREGAFUTURA IS NULL OR "
                    "SAIMERCADIORIASUSP IS NULL OR SAISIMPLESREMESSA IS NULL OR SAIARMAZENAMENTODEPOSITO IS NULL OR "
                    "SAICONSIGNACAO IS NULL"),
              "0");
    EXPECT_TRUE(temColuna("EXCLUSOESKOV", "ENTAJUSTETRANSFERENCIA"));
    EXPECT_TRUE(temColuna("EXCLUSOESKOV", "SAIAJUSTETRANSFERENCIA"));
    // A cópia de segurança é a base como estava (versão e dados), e a mensagem diz onde ela está
    ASSERT_TRUE(fs::exists(copiaEsperada("7.05.03")));
    {
        const fs::path atualizada = inst.base.string() + ".atualizada";
        fs::rename(inst.base, atualizada);
        fs::copy_file(copiaEsperada("7.05.03"), inst.base);
        EXPECT_EQ(valor("SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'VERSAO'"), "7.05.03");
        EXPECT_EQ(retrato(), antes);
        EXPECT_FALSE(temColuna("EXCLUSOESKOV", "ENTAJUSTETRANSFERENCIA"));
        fs::remove(inst.base);
        fs::rename(atualizada, inst.base);
    }
    ASSERT_EQ(ui.textos().size(), 1u);
    EXPECT_EQ(ui.textos()[0], "A base de dados foi atualizada da versão 7.05.03 para a versão 7.07.10.\r\n"
                              "Cópia da base anterior à atualização: " + copiaEsperada("7.05.03"));

    // Uma segunda partida encontra a base em dia: nenhuma mensagem, nenhuma cópia nova
    auto dm2 = iniciar();
    EXPECT_TRUE(ui.textos().empty());
    EXPECT_TRUE(dm2->copiaAntesDaAtualizacao().empty());
    EXPECT_FALSE(fs::exists(inst.bd / "KOV-7.07.10.GDB"));
}

TEST_F(Escada, De70004AteOFimComATabelaCNAE) {
    preparar("7.00.04", true);
    const auto antes = retrato();
    ASSERT_NE(valor("SELECT COUNT(*) FROM DETALHAMENTOENTRADA WHERE VALOR < 0 OR VALORMUDANCA < 0"), "0");
    const auto contribuintesAntes = linhas("SELECT CONTRIBUINTE_ID, CNAEF_ID, DESMEMBRAMENTO FROM CONTRIBUINTE");
    const auto declaracoesAntes = linhas("SELECT DOCUMENTO_ID, CNAEF_ID, DESMEMBRAMENTO, PERIODO FROM DOCUMENTO");
    const auto transmissoesComProtocolo = valor("SELECT COUNT(*) FROM TRANSMISSAO WHERE PROTOCOLO IS NOT NULL");

    auto dm = iniciar();
    ASSERT_TRUE(dm->conectado()) << (ui.mensagens.empty() ? "" : ui.mensagens.back().texto);
    EXPECT_TRUE(dm->ref.abertas);
    dm.reset();
    EXPECT_EQ(valor("SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'VERSAO'"), "7.07.10");
    EXPECT_EQ(valor("SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'ANOEXERCICIO'"), "2016");

    // Tabelas novas e colunas trocadas
    EXPECT_EQ(linhas("SELECT RESPONSAVEL_ID, NOME FROM RESPONSAVEL"),
              (std::vector<std::vector<std::string>>{{"0", "Não atribuído"}}));
    EXPECT_EQ(valor("SELECT COUNT(*) FROM CONTRIBUINTE WHERE RESPONSAVEL_ID <> 0 OR CNPJ <> ''"), "0");
    EXPECT_FALSE(temColuna("CNAEF", "CNAEFSUPERIOR"));
    EXPECT_FALSE(temColuna("TRANSMISSAO", "ARQUIVO"));
    EXPECT_EQ(valor("SELECT DESCRICAO FROM REGIME WHERE REGIME_ID = 4"), "Microprodutor Rural, Produtor de Pequeno Porte");
    EXPECT_EQ(valor("SELECT COUNT(*) FROM CONSISTENCIAS WHERE ERRO IN ('E037', 'E038', 'E039')"), "3");
    EXPECT_EQ(valor("SELECT COUNT(*) FROM DOCUMENTO WHERE STATUS_ID = 2"), "0");
    EXPECT_EQ(valor("SELECT COUNT(*) FROM TRANSMISSAO WHERE TIPOTRANSMISSAO = 'T'"), transmissoesComProtocolo);
    EXPECT_EQ(valor("SELECT COUNT(*) FROM DETALHAMENTOENTRADA WHERE VALOR < 0 OR VALORMUDANCA < 0"), "0");
    // O gerador de chaves conhece os responsáveis
    {
        fb::Conexao c;
        c.abrir(params());
        fb::Transacao tr(c);
        fb::Comando sp(tr, "EXECUTE PROCEDURE SP_GERACODIGO('RESPONSAVEL')");
        sp.executar();
        EXPECT_EQ(sp["IPROXCODIGO"].inteiro(), 1);
    }
    // Contribuintes e declarações não somem; os valores das seções ficam
    auto depois = retrato();
    for (const char* chave : {"CONTRIBUINTE linhas", "DOCUMENTO linhas", "ESTOQUE soma", "KOV soma", "ENTRADA soma",
                              "SAIDA soma", "DETALHAMENTOES soma", "GI soma", "RECIBOS", "TRANSMISSAO linhas",
                              "DETALHAMENTOENTRADA linhas", "exclusoes entradas", "exclusoes saidas", "contribuintes"})
        EXPECT_EQ(depois[chave], antes.at(chave)) << chave;

    // Tabela nova carregada a partir dos arquivos compactados; os CSV extraídos somem
    EXPECT_NE(valor("SELECT COUNT(*) FROM CNAEF WHERE DATA_INICIO = DATE '2007-01-01'"), "0");
    EXPECT_NE(valor("SELECT COUNT(*) FROM CNAEF_CNAE"), "0");
    EXPECT_FALSE(fs::exists(inst.bd / "TabelaCNAE20.csv"));
    EXPECT_FALSE(fs::exists(inst.bd / "Tabela_CNAEF_CNAE.csv"));
    EXPECT_TRUE(fs::exists(inst.bd / "TabelaCNAE20.zip"));

    // Remapeamento pela correspondência do arquivo: contribuintes e declarações de 2006 em
    // diante; as de 2005 ficam com o código antigo
    std::map<std::string, std::string> mapa;
    {
        std::ifstream f(fs::path(KOV_FONTE) / "db" / "antigas" / "Tabela_CNAEF_CNAE.csv", std::ios::binary);
        std::string l;
        while (std::getline(f, l)) {
            if (!l.empty() && l.back() == '\r') l.pop_back();
            auto c = DividirLinhaCNAE(l);
            if (c.size() >= 4) mapa.emplace(c[0] + "/" + c[1], c[2] + "/" + c[3]);
        }
    }
    ASSERT_FALSE(mapa.empty());
    int remapeados = 0, mantidos = 0;
    for (const auto& c : contribuintesAntes) {
        const std::string antigo = c[1] + "/" + c[2];
        const std::string esperado = mapa.count(antigo) ? mapa[antigo] : antigo;
        (mapa.count(antigo) ? remapeados : mantidos)++;
        EXPECT_EQ(valor("SELECT CNAEF_ID || '/' || DESMEMBRAMENTO FROM CONTRIBUINTE WHERE CONTRIBUINTE_ID = " + c[0]),
                  esperado);
    }
    EXPECT_GT(remapeados, 0);
    EXPECT_GT(mantidos, 0) << "a base antiga deve ter contribuinte sem correspondência";
    int de2005 = 0;
    for (const auto& d : declaracoesAntes) {
        const std::string antigo = d[1] + "/" + d[2];
        const bool muda = std::stoi(d[3]) >= 2006 && mapa.count(antigo);
        de2005 += d[3] == "2005";
        EXPECT_EQ(valor("SELECT CNAEF_ID || '/' || DESMEMBRAMENTO FROM DOCUMENTO WHERE DOCUMENTO_ID = " + d[0]),
                  muda ? mapa[antigo] : antigo)
            << "declaração " << d[0] << " de " << d[3];
    }
    EXPECT_GT(de2005, 0);
    EXPECT_TRUE(fs::exists(copiaEsperada("7.00.04")));
}

TEST_F(Escada, BaseEmDiaNaoEGravada) {
    teste::copiarBaseModelo(inst.base);
    inst.escreverIni(teste::iniDaSuite(inst));
    std::set<size_t> tip;
    for (auto& l : linhas("SELECT RDB$PAGE_NUMBER FROM RDB$PAGES WHERE RDB$PAGE_TYPE = 3"))
        tip.insert(static_cast<size_t>(std::stoul(l[0])));
    const std::string antes = teste::lerArquivo(inst.base);
    auto dm = iniciar();
    EXPECT_TRUE(ui.mensagens.empty());
    EXPECT_TRUE(dm->ref.abertas);
    dm.reset();
    EXPECT_EQ(teste::paginasAlteradas(antes, teste::lerArquivo(inst.base), tip), std::vector<size_t>{});
    size_t arquivos = 0;
    for ([[maybe_unused]] const auto& a : fs::directory_iterator(inst.bd)) ++arquivos;
    EXPECT_EQ(arquivos, 1u) << "nenhuma cópia de segurança para uma base em dia";
}

TEST_F(Escada, FalhaNoPasso70703DesfazOPassoEAProximaPartidaRetomaComAMesmaCopia) {
    preparar("7.05.03");
    // Cópia de uma atualização antiga, já concluída, com o nome que esta usaria: fica intocada
    teste::escreverArquivo(copiaEsperada("7.05.03"), "cópia de outra atualização");
    const std::string copia = (inst.bd / "KOV-7.05.03-2.GDB").string();
    executar({"CREATE EXCEPTION EX_TESTE 'falha provocada no teste'",
              "CREATE TRIGGER TR_FALHA FOR PARAMETROS BEFORE UPDATE AS BEGIN IF (NEW.VALOR = '2013') THEN EXCEPTION "
              "EX_TESTE; END"});
    for (int partida = 0; partida < 2; ++partida) {  // repetir a partida não faz outra cópia
        auto dm = iniciar();
        EXPECT_TRUE(dm->terminacaoSolicitada());
        EXPECT_FALSE(dm->conectado());
        dm.reset();
        ASSERT_EQ(ui.textos().size(), 1u);
        const std::string texto = ui.textos()[0];
        EXPECT_NE(texto.find("falha provocada no teste"), std::string::npos) << texto;
        EXPECT_NE(texto.find(NAO_ATUALIZOU + "\r\nCópia da base anterior à atualização: " + copia), std::string::npos)
            << texto;
    }
    // O passo que falhou foi desfeito por inteiro; os anteriores ficaram
    EXPECT_EQ(valor("SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'VERSAO'"), "7.07.03");
    EXPECT_EQ(valor("SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'ANOEXERCICIO'"), "2012");
    EXPECT_FALSE(temColuna("EXCLUSOESKOV", "ENTAJUSTETRANSFERENCIA"));
    EXPECT_FALSE(temColuna("EXCLUSOESKOV", "SAIAJUSTETRANSFERENCIA"));
    EXPECT_NE(valor("SELECT COUNT(*) FROM EXCLUSOESKOV WHERE ENTENTREGAFUTURA <> 0"), "0");

    // Corrigido o problema, a próxima partida continua de onde parou e nomeia a mesma cópia,
    // a da base como estava antes da primeira tentativa
    executar({"DROP TRIGGER TR_FALHA"});
    auto dm2 = iniciar();
    EXPECT_TRUE(dm2->conectado());
    EXPECT_EQ(dm2->LerVersaoBanco(), "7.07.10");
    ASSERT_EQ(ui.textos().size(), 1u);
    EXPECT_EQ(ui.textos()[0], "A base de dados foi atualizada da versão 7.05.03 para a versão 7.07.10.\r\n"
                              "Cópia da base anterior à atualização: " + copia);
    dm2.reset();
    EXPECT_EQ(teste::lerArquivo(copiaEsperada("7.05.03")), "cópia de outra atualização");
    std::set<std::string> arquivos;
    for (const auto& a : fs::directory_iterator(inst.bd)) arquivos.insert(a.path().filename().string());
    EXPECT_EQ(arquivos, (std::set<std::string>{"KOV.GDB", "KOV-7.05.03.GDB", "KOV-7.05.03-2.GDB"}));
    fb::ParametrosConexao p;
    p.banco = copia;
    fb::Conexao c;
    c.abrir(p);
    fb::Transacao tr(c);
    fb::Comando q(tr, "SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'VERSAO'");
    ASSERT_TRUE(q.proximo());
    EXPECT_EQ(q.coluna(0).texto(), "7.05.03");
}

TEST_F(Escada, FalhaNaSegundaTransacaoDo70201DeixaAColunaAlargada) {
    preparar("7.00.04");
    ASSERT_EQ(valor("SELECT F.RDB$CHARACTER_LENGTH FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = "
                    "RF.RDB$FIELD_SOURCE WHERE RF.RDB$RELATION_NAME = 'REGIME' AND RF.RDB$FIELD_NAME = 'DESCRICAO'"),
              "40");
    executar({"CREATE EXCEPTION EX_TESTE 'regime bloqueado no teste'",
              "CREATE TRIGGER TR_FALHA FOR REGIME BEFORE UPDATE AS BEGIN EXCEPTION EX_TESTE; END"});
    for (int partida = 0; partida < 2; ++partida) {  // a repetição alarga de novo, sem dano
        auto dm = iniciar();
        EXPECT_TRUE(dm->terminacaoSolicitada());
        dm.reset();
        ASSERT_EQ(ui.textos().size(), 1u);
        EXPECT_NE(ui.textos()[0].find("regime bloqueado no teste"), std::string::npos);
        EXPECT_EQ(valor("SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'VERSAO'"), "7.02.01");
        EXPECT_EQ(valor("SELECT F.RDB$CHARACTER_LENGTH FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME "
                        "= RF.RDB$FIELD_SOURCE WHERE RF.RDB$RELATION_NAME = 'REGIME' AND RF.RDB$FIELD_NAME = 'DESCRICAO'"),
                  "60");
    }
    executar({"DROP TRIGGER TR_FALHA"});
    auto dm = iniciar();
    EXPECT_EQ(dm->LerVersaoBanco(), "7.07.10");
}

TEST_F(Escada, ArquivoCNAEVazioTerminaComAMensagemSemGravarAVersao) {
    preparar("7.00.04");
    teste::escreverArquivo(inst.bd / "TabelaCNAE20.zip", std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    auto dm = iniciar();
    EXPECT_TRUE(dm->terminacaoSolicitada());
    dm.reset();
    ASSERT_EQ(ui.textos().size(), 1u);
    EXPECT_EQ(ui.textos()[0], "Erro - nenhum arquivo do tipo Compactado(.ZIP) encontrado!\r\n"
                                     "Cópia da base anterior à atualização: " + copiaEsperada("7.00.04"));
    // Os comandos do script já confirmados ficam, com a marca do último; a versão só passa a
    // 7.01.00 depois das cargas e conversões da tabela CNAE
    EXPECT_EQ(valor("SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'VERSAO'"), "7.00.04");
    EXPECT_EQ(valor("SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'ATUALIZACAO70004'"), "19");
    EXPECT_TRUE(temColuna("CNAEF", "DATA_FIM"));

    // Sem o arquivo estragado, a próxima partida termina e diz que a tabela não foi renovada
    fs::remove(inst.bd / "TabelaCNAE20.zip");
    auto dm2 = iniciar();
    EXPECT_TRUE(dm2->conectado());
    dm2.reset();
    ASSERT_EQ(ui.textos().size(), 1u);
    EXPECT_EQ(ui.textos()[0], "A base de dados foi atualizada da versão 7.00.04 para a versão 7.07.10.\r\n"
                              "Cópia da base anterior à atualização: " + copiaEsperada("7.00.04") +
                                  "\r\nOs arquivos TabelaCNAE20.zip e Tabela_CNAEF_CNAE.zip não estavam na pasta da "
                                  "base (" + inst.bd.string() + "/): a tabela CNAE não foi renovada e os códigos CNAE dos "
                                  "contribuintes e das declarações não foram convertidos.");
    EXPECT_EQ(valor("SELECT COUNT(*) FROM PARAMETROS WHERE CAMPO = 'ATUALIZACAO70004'"), "0");
    EXPECT_EQ(valor("SELECT COUNT(*) FROM CNAEF_CNAE"), "0");
}

// Quando reabrir a conexão também falha, no caminho de erro do passo do script, o erro que o
// usuário vê é o do passo, não o da reconexão.
TEST_F(Escada, ErroDoScriptSobeMesmoQuandoAConexaoNaoReabre) {
    preparar("7.00.04");
    executar({"CREATE EXCEPTION EX_SCRIPT 'falha provocada no script'",
              "CREATE EXCEPTION EX_CONEXAO 'conexão recusada no teste'",
              "CREATE TRIGGER TR_FALHA FOR DOCUMENTO BEFORE UPDATE AS BEGIN EXCEPTION EX_SCRIPT; END",
              // Recusa conexões depois que o script criou RESPONSAVEL (a do script já está aberta)
              "CREATE TRIGGER TR_CONEXAO ON CONNECT AS BEGIN IF (EXISTS(SELECT 1 FROM RDB$RELATIONS WHERE "
              "RDB$RELATION_NAME = 'RESPONSAVEL')) THEN EXCEPTION EX_CONEXAO; END"});
    auto dm = iniciar();
    EXPECT_TRUE(dm->terminacaoSolicitada());
    EXPECT_FALSE(dm->conectado());
    ASSERT_EQ(ui.textos().size(), 1u);
    EXPECT_NE(ui.textos()[0].find("falha provocada no script"), std::string::npos) << ui.textos()[0];
    EXPECT_EQ(ui.textos()[0].find("conexão recusada"), std::string::npos) << ui.textos()[0];
}

// Cada passo, de 7.01.00 a 7.07.10, grava o seu ano e a sua versão, na ordem do passo e na
// mesma transação (a marca de conclusão vai junto com o trabalho).
TEST_F(Escada, CadaPassoGravaSeuAnoESuaVersaoNaMesmaTransacao) {
    struct Passo {
        const char* versao;
        const char* ano;  // nulo: o passo não muda o ano base
        bool versaoPrimeiro = false;
    };
    const std::vector<Passo> passos = {
        {"7.01.01", nullptr}, {"7.01.02", nullptr}, {"7.01.03", nullptr}, {"7.02.00", "2007"},
        {"7.02.01", "2007"},  {"7.02.02", "2008", true}, {"7.02.03", "2008", true}, {"7.03.00", "2008"},
        {"7.03.01", "2008"},  {"7.04.00", "2009"}, {"7.05.00", "2010"}, {"7.05.01", "2010"},
        {"7.05.02", "2010"},  {"7.05.03", "2011"}, {"7.05.04", "2012"}, {"7.05.05", "2011"},
        {"7.06.00", "2011"},  {"7.06.01", "2011"}, {"7.07.01", "2012"}, {"7.07.02", "2012"},
        {"7.07.03", "2012"},  {"7.07.04", "2013"}, {"7.07.05", "2013"}, {"7.07.06", "2013"},
        {"7.07.07", "2014"},  {"7.07.08", "2014"}, {"7.07.09", "2015"}, {"7.07.10", "2016"},
    };
    // Uma base real na 7.01.00: a da 7.00.04 com o kov-cli parado logo depois desse passo
    preparar("7.00.04", true);
    const auto cli = teste::instalarCli(inst.exe.string());
    ::setenv("KOV_TESTE_PARAR_EM", "7.01.00", 1);
    const auto r = teste::rodar(cli, {"atualizar-base"});
    ::unsetenv("KOV_TESTE_PARAR_EM");
    ASSERT_EQ(r.codigo, CODIGO_PARADA_TESTE) << r.erros;
    ASSERT_EQ(valor("SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'VERSAO'"), "7.01.00");
    executar({"CREATE TABLE LOG_PARAMETROS (N INTEGER, TRANSACAO BIGINT, CAMPO VARCHAR(30), VALOR VARCHAR(100))",
              "CREATE GENERATOR GEN_LOG",
              "CREATE TRIGGER TR_LOG FOR PARAMETROS AFTER INSERT OR UPDATE AS BEGIN INSERT INTO LOG_PARAMETROS VALUES "
              "(GEN_ID(GEN_LOG, 1), CURRENT_TRANSACTION, NEW.CAMPO, NEW.VALOR); END"});
    auto dm = iniciar();
    ASSERT_TRUE(dm->conectado()) << (ui.mensagens.empty() ? "" : ui.mensagens.back().texto);
    dm.reset();

    std::vector<std::vector<std::string>> esperado;  // campo, valor, passo
    for (size_t i = 0; i < passos.size(); ++i) {
        const std::vector<std::string> versao = {"VERSAO", passos[i].versao, std::to_string(i)};
        if (passos[i].versaoPrimeiro) esperado.push_back(versao);
        if (passos[i].ano) esperado.push_back({"ANOEXERCICIO", passos[i].ano, std::to_string(i)});
        if (!passos[i].versaoPrimeiro) esperado.push_back(versao);
    }
    std::vector<std::vector<std::string>> gravado;
    std::map<std::string, size_t> ordemDaTransacao;  // cada transação nova é a do passo seguinte
    for (auto& l : linhas("SELECT TRANSACAO, CAMPO, VALOR FROM LOG_PARAMETROS ORDER BY N")) {
        const size_t n = ordemDaTransacao.emplace(l[0], ordemDaTransacao.size()).first->second;
        gravado.push_back({l[1], l[2], std::to_string(n)});
    }
    EXPECT_EQ(gravado, esperado);
}
