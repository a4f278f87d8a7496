// Criação do módulo de dados: KOV.ini, conexão, verificação de versão e tabelas de referência.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

#include "apoio/BaseTeste.h"
#include "apoio/InteracaoGravada.h"
#include "data/AberturaBase.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

using namespace kov;

namespace {

const std::string PREFIXO = "Erro na abertura da base : \r\n";

// Define a versão gravada na base e devolve as páginas de inventário de transações (TIP),
// as únicas, além do cabeçalho, que qualquer conexão atualiza.
std::set<size_t> definirVersao(const std::string& banco, const std::string& versao) {
    fb::Conexao c;
    fb::ParametrosConexao p;
    p.banco = banco;
    c.abrir(p);
    fb::Transacao tr(c);
    fb::Comando u(tr, "UPDATE PARAMETROS SET VALOR = :V WHERE CAMPO = 'VERSAO'");
    u.param("V", versao).executar();
    fb::Comando tip(tr, "SELECT RDB$PAGE_NUMBER FROM RDB$PAGES WHERE RDB$PAGE_TYPE = 3");
    std::set<size_t> paginas;
    while (tip.proximo()) paginas.insert(static_cast<size_t>(tip.coluna(0).inteiro()));
    tr.commit();
    // Lê a tabela de novo para a coleta de lixo da versão antiga acontecer aqui, e não
    // ser confundida com uma gravação do programa
    fb::Transacao tr2(c);
    fb::Comando q(tr2, "SELECT COUNT(*) FROM PARAMETROS");
    q.proximo();
    tr2.commit();
    return paginas;
}

// Sobrescreve 40 páginas do meio da base com o mesmo byte.
void estragarPaginas(const std::filesystem::path& base, char byte) {
    std::fstream f(base, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(8192 * 3);
    const std::string lixo(8192 * 40, byte);
    f.write(lixo.data(), static_cast<std::streamsize>(lixo.size()));
}

}  // namespace

TEST(ModuloDados, IniciaNaBaseDistribuidaComAsReferencias) {
    teste::InstalacaoTeste inst;
    inst.escreverIni(teste::iniDaSuite(inst));
    teste::InteracaoGravada ui;
    Tdm dm(ui, inst.exe.string());
    dm.DataModuleCreate();
    EXPECT_TRUE(ui.mensagens.empty()) << ui.mensagens.front().texto;
    ASSERT_TRUE(dm.conectado());
    EXPECT_FALSE(dm.terminacaoSolicitada());
#ifndef KOV_SUITE_SERVIDOR
    EXPECT_EQ(dm.parametroDatabase(), "..\\BD\\KOV.GDB");
    EXPECT_EQ(dm.caminhoBanco(), inst.base.lexically_normal().string());
#endif
    EXPECT_TRUE(dm.ref.abertas);
    EXPECT_EQ(dm.ref.cdsRegime.size(), 6u);
    EXPECT_EQ(dm.ref.cdsTipoOperacao.size(), 6u);
    EXPECT_GE(dm.ref.cdsMunicipio.size(), 100u);
    EXPECT_GE(dm.ref.cdsConsistencias.size(), 39u);
    // Municípios em ordem alfabética do português: "ÁGUA..." antes de "B...", "SÃO..." antes de "SO..."
    auto posicao = [&](const std::string& prefixo) {
        for (size_t i = 0; i < dm.ref.cdsMunicipio.size(); ++i)
            if (dm.ref.cdsMunicipio[i].DESCRICAO.rfind(prefixo, 0) == 0) return i;
        return dm.ref.cdsMunicipio.size();
    };
    ASSERT_LT(posicao("ÁGUA"), dm.ref.cdsMunicipio.size());
    EXPECT_LT(posicao("ÁGUA"), posicao("B"));
    EXPECT_LT(posicao("SÃO"), posicao("SO"));
    EXPECT_LT(posicao("A"), posicao("B"));
    // Parâmetros: leitura sem distinção de caixa, gravação de chave nova e existente
    EXPECT_EQ(dm.LerParametro("anoexercicio"), "2016");
    EXPECT_EQ(dm.LerParametro("NAO_EXISTE"), "");
    dm.GravarParametro("ANOEXERCICIO", "2015");
    dm.GravarParametro("OUTRO", "x");
    EXPECT_EQ(dm.LerParametro("ANOEXERCICIO"), "2015");
    EXPECT_EQ(dm.LerParametro("outro"), "x");
    EXPECT_EQ(dm.LerVersaoBanco(), "7.07.10");
    // CNAE-F oferecido: válido em 1º de janeiro do ano seguinte ao ano base
    for (const auto& c : dm.CNAEFDoAnoBase()) {
        EXPECT_LE(c.DATA_INICIO, (fb::Data{std::chrono::year(2016), std::chrono::January, std::chrono::day(1)}));
        EXPECT_GE(c.DATA_FIM, (fb::Data{std::chrono::year(2016), std::chrono::January, std::chrono::day(1)}));
    }
    EXPECT_FALSE(dm.CNAEFDoAnoBase().empty());
    dm.GravarParametro("ANOEXERCICIO", "2005");
    const auto antigos = dm.CNAEFDoAnoBase();
    EXPECT_FALSE(antigos.empty());
    for (const auto& c : antigos)
        EXPECT_GE(c.DATA_FIM, (fb::Data{std::chrono::year(2006), std::chrono::January, std::chrono::day(1)}));
    // Fechar a conexão fecha as referências; reabrir volta a funcionar
    dm.DefinirConexao(false);
    EXPECT_FALSE(dm.conectado());
    EXPECT_FALSE(dm.ref.abertas);
    dm.DefinirConexao(true);
    EXPECT_TRUE(dm.conectado());
    EXPECT_EQ(dm.LerParametro("ANOEXERCICIO"), "2005");
}

TEST(ModuloDados, FalhasDeAberturaMostramAMensagemEContinuamSemConexao) {
    {  // KOV.ini ausente
        teste::InstalacaoTeste inst;
        std::filesystem::remove(inst.exe / "KOV.ini");
        teste::InteracaoGravada ui;
        Tdm dm(ui, inst.exe.string());
        dm.DataModuleCreate();
        ASSERT_EQ(ui.mensagens.size(), 1u);
        EXPECT_EQ(ui.mensagens[0].tipo, "erro");
        EXPECT_EQ(ui.mensagens[0].texto, PREFIXO + "Arquivo INI não encontrado!");
        EXPECT_FALSE(dm.conectado());
        EXPECT_FALSE(dm.ref.abertas);
        EXPECT_FALSE(dm.terminacaoSolicitada());
    }
    auto falhaCom = [](const std::string& ini, const std::string& contem) {
        teste::InstalacaoTeste inst;
        inst.escreverIni(ini);
        teste::InteracaoGravada ui;
        Tdm dm(ui, inst.exe.string());
        dm.DataModuleCreate();
        ASSERT_EQ(ui.mensagens.size(), 1u) << ini;
        EXPECT_EQ(ui.mensagens[0].tipo, "erro");
        EXPECT_EQ(ui.mensagens[0].texto.rfind(PREFIXO, 0), 0u) << ui.mensagens[0].texto;
        EXPECT_GT(ui.mensagens[0].texto.size(), PREFIXO.size()) << "sem o texto do servidor";
        EXPECT_NE(ui.mensagens[0].texto.find(contem), std::string::npos) << ui.mensagens[0].texto;
        EXPECT_FALSE(dm.conectado());
        EXPECT_FALSE(dm.ref.abertas);
    };
    falhaCom("[KOV]\nDatabase=\n", "");                    // caminho vazio chega vazio ao servidor
    falhaCom("[OUTRA]\nDatabase=..\\BD\\KOV.GDB\n", "");   // seção errada: chave ausente é vazia
    falhaCom("[KOV]\nDatabase=127.0.0.1/1:/tmp/x.gdb\n", "");  // servidor inalcançável
}

// Cada falha de abertura que se reproduz de verdade diz o que aconteceu e o que fazer antes do
// texto do servidor, e o programa continua sem conexão.
TEST(ModuloDados, FalhasDeAberturaDizemOQueAconteceuEOQueFazer) {
    namespace fs = std::filesystem;
    struct Caso {
        const char* nome;
        std::function<void(const fs::path&)> preparar;
        std::string explicacao;  // começo do texto depois do prefixo ("<base>" é o caminho)
        std::string servidor;    // trecho do texto do servidor, que vem depois
    };
    const std::vector<Caso> casos = {
        {"ausente", [](const fs::path& b) { fs::remove(b); }, "O arquivo da base de dados não existe: <base>.",
         "No such file or directory"},
        {"não é base", [](const fs::path& b) { teste::escreverArquivo(b, std::string(40000, 'K')); },
         "O arquivo <base> não é uma base de dados Firebird.", "is not a valid database"},
        {"truncada", [](const fs::path& b) { fs::resize_file(b, fs::file_size(b) / 2); },
         "A base de dados está danificada", "File size is less than expected"},
        {"corrompida", [](const fs::path& b) { estragarPaginas(b, '\x5A'); }, "A base de dados está danificada",
         "database file appears corrupt"},
        // Páginas estragadas que parecem cifradas
        {"cifrada", [](const fs::path& b) { estragarPaginas(b, '\xCF'); }, "A base de dados está danificada",
         "page appears encrypted"},
    };
    for (const auto& c : casos) {
        teste::InstalacaoTeste inst;
        inst.escreverIni(teste::iniDaSuite(inst));
        c.preparar(inst.base);
        const std::string antes = fs::exists(inst.base) ? teste::lerArquivo(inst.base) : "";
        teste::InteracaoGravada ui;
        Tdm dm(ui, inst.exe.string());
        dm.DataModuleCreate();
        ASSERT_EQ(ui.mensagens.size(), 1u) << c.nome;
        const std::string& texto = ui.mensagens[0].texto;
        std::string explicacao = c.explicacao;
        if (const auto p = explicacao.find("<base>"); p != std::string::npos)
            explicacao.replace(p, 6, dm.caminhoBanco());
        EXPECT_EQ(texto.rfind(PREFIXO + explicacao, 0), 0u) << c.nome << ": " << texto;
        EXPECT_GT(texto.find(c.servidor), PREFIXO.size() + explicacao.size()) << c.nome << ": " << texto;
        EXPECT_NE(texto.find(c.servidor), std::string::npos) << c.nome << ": " << texto;
        EXPECT_FALSE(dm.conectado());
        EXPECT_FALSE(dm.terminacaoSolicitada());
        if (std::string(c.nome) == "não é base") {
            EXPECT_EQ(teste::lerArquivo(inst.base), antes);
        }
    }
}

#ifndef KOV_SUITE_SERVIDOR
// Com o motor embutido, uma base aberta por outro processo não abre: a mensagem diz para
// fechar o outro programa e como usar a base em dois programas ao mesmo tempo.
TEST(ModuloDados, BaseAbertaPorOutroProgramaDizComoUsarAsDuasAoMesmoTempo) {
    teste::InstalacaoTeste inst;
    teste::PastaTemporaria tmp;
    const auto saida = tmp.caminho() / "isql.txt";
    // Outro processo (o isql do Firebird) com a base aberta até receber o fim da entrada
    FILE* isql = ::popen(("isql-fb -q -user sysdba -password quillmoss '" + inst.base.string() + "' > '" +
                          saida.string() + "' 2>&1")
                             .c_str(),
                         "w");
    ASSERT_NE(isql, nullptr);
    std::fputs("SELECT 'PRONTO' FROM RDB$DATABASE;\n", isql);
    std::fflush(isql);
    for (int i = 0; i < 200 && teste::lerArquivo(saida).find("PRONTO") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_NE(teste::lerArquivo(saida).find("PRONTO"), std::string::npos) << teste::lerArquivo(saida);
    teste::InteracaoGravada ui;
    Tdm dm(ui, inst.exe.string());
    dm.DataModuleCreate();
    ::pclose(isql);
    ASSERT_EQ(ui.mensagens.size(), 1u);
    const std::string& texto = ui.mensagens[0].texto;
    EXPECT_EQ(texto.rfind(PREFIXO + "A base de dados está aberta por outro programa", 0), 0u) << texto;
    EXPECT_NE(texto.find("sirva-a por um servidor Firebird: no KOV.ini, Database=localhost:"), std::string::npos);
    EXPECT_GT(texto.find("already opened"), texto.find("Database=localhost:")) << texto;
    EXPECT_FALSE(dm.conectado());
}
#endif

// Uma base Firebird de outro programa é recusada antes de qualquer regra de versão: nada é
// criado nela, nenhuma cópia é feita, e o arquivo fica igual byte a byte.
TEST(ModuloDados, BaseDeOutroProgramaERecusadaSemMudarNada) {
    namespace fs = std::filesystem;
    struct Caso {
        std::vector<std::string> comandos;
        bool bytesIguais;  // os nomes das tabelas do KOV nos dados obrigam a abrir o original
    };
    const std::vector<Caso> casos = {
        {{"CREATE TABLE CLIENTES (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40))",
          "INSERT INTO CLIENTES VALUES (1, 'Fulano')"},
         true},
        // Outro programa fiscal, com tabelas de nomes iguais a algumas do KOV
        {{"CREATE TABLE CONTRIBUINTE (ID INTEGER)", "CREATE TABLE DOCUMENTO (ID INTEGER, TEXTO VARCHAR(60))",
          "INSERT INTO DOCUMENTO VALUES (1, 'DETALHAMENTOES EXCLUSOESKOV')"},
         false},
    };
    for (const auto& c : casos) {
        teste::InstalacaoTeste inst(false);
        inst.escreverIni(teste::iniDaSuite(inst));
        fs::permissions(inst.bd, fs::perms::all);  // o servidor cria a base na suíte de servidor
        fb::ParametrosConexao p;
        p.banco = teste::enderecoBanco(inst.base);
        {
            fb::Conexao con;
            con.criar(p);
            fb::Transacao tr(con);
            for (const auto& sql : c.comandos) {
                fb::Comando::executarDireto(tr, sql);
                tr.commit();
                tr.iniciar();
            }
        }
        const std::string antes = teste::lerArquivo(inst.base);
        teste::InteracaoGravada ui;
        Tdm dm(ui, inst.exe.string());
        dm.DataModuleCreate();
        ASSERT_EQ(ui.mensagens.size(), 1u);
        EXPECT_EQ(ui.mensagens[0].texto, PREFIXO + MensagemBaseEstranha(dm.caminhoBanco()));
        EXPECT_FALSE(dm.conectado());
        EXPECT_TRUE(dm.copiaAntesDaAtualizacao().empty());
        size_t arquivos = 0;
        for ([[maybe_unused]] const auto& a : fs::directory_iterator(inst.bd)) ++arquivos;
        EXPECT_EQ(arquivos, 1u) << "nenhuma cópia nem diário ao lado da base";
        if (c.bytesIguais) {
            EXPECT_TRUE(teste::lerArquivo(inst.base) == antes) << "o arquivo mudou";
        } else {
            fb::Conexao con;
            con.abrir(p);
            fb::Transacao tr(con);
            fb::Comando q(tr, "SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0");
            ASSERT_TRUE(q.proximo());
            EXPECT_EQ(q.coluna(0).inteiro(), 2) << "nenhuma tabela criada";
        }
    }
    EXPECT_EQ(MensagemBaseEstranha("/x/OUTRO.FDB"),
              "O arquivo /x/OUTRO.FDB é uma base de dados Firebird, mas não é uma base do KOV: faltam as tabelas do "
              "programa (CONTRIBUINTE, DOCUMENTO e as das declarações). A base não foi atualizada nem alterada.\r\n"
              "Confira o caminho da chave Database, seção [KOV], do arquivo KOV.ini.");
}

TEST(ModuloDados, BaseDeVersaoDesconhecidaERecusadaSemGravarNada) {
    // Mais nova que o programa, fora da escada de atualização, ou sem versão
    for (const std::string versao : {"7.08.00", "7.07.00", "versão x", ""}) {
        teste::InstalacaoTeste inst;
        const auto tip = definirVersao(teste::enderecoBanco(inst.base), versao);
        inst.escreverIni(teste::iniDaSuite(inst));
        const std::string antes = teste::lerArquivo(inst.base);
        teste::InteracaoGravada ui;
        Tdm dm(ui, inst.exe.string());
        dm.DataModuleCreate();
        ASSERT_EQ(ui.mensagens.size(), 1u);
        if (versao.empty()) {
            EXPECT_EQ(ui.mensagens[0].tipo, "erro");
            EXPECT_EQ(ui.mensagens[0].texto,
                      "Não foi possível detectar a versão do banco de dados. Contacte o suporte da DRU.\r\n"
                      "Não foi possível atualizar a base de dados.");
        } else {
            EXPECT_EQ(ui.mensagens[0].titulo, "Atenção");
            EXPECT_EQ(ui.mensagens[0].texto,
                      "Versão do Sistema (7.07.10) incompatível com a versão do banco de dados (" + versao +
                          "). \rNão é possível executar o PRELO.\rContacte o suporte da DRU.");
        }
        EXPECT_TRUE(dm.terminacaoSolicitada());
        EXPECT_FALSE(dm.conectado());
        EXPECT_FALSE(dm.ref.abertas);
        EXPECT_TRUE(dm.copiaAntesDaAtualizacao().empty());
        // Nenhuma página de dados muda (cabeçalho e TIP guardam só o estado das transações)
        const std::string depois = teste::lerArquivo(inst.base);
        EXPECT_EQ(antes.size(), depois.size());
        EXPECT_EQ(teste::paginasAlteradas(antes, depois, tip), std::vector<size_t>{}) << versao;
        // e nenhuma cópia de segurança aparece ao lado
        size_t arquivos = 0;
        for ([[maybe_unused]] const auto& a : std::filesystem::directory_iterator(inst.bd)) ++arquivos;
        EXPECT_EQ(arquivos, 1u);
    }
}

TEST(ModuloDados, ResolveOCaminhoDoIni) {
    EXPECT_EQ(ResolverCaminhoBanco("..\\BD\\KOV.GDB", "/opt/kov/EXE/"), "/opt/kov/BD/KOV.GDB");
    EXPECT_EQ(ResolverCaminhoBanco("/dados/KOV.GDB", "/opt/kov/EXE/"), "/dados/KOV.GDB");
    EXPECT_EQ(ResolverCaminhoBanco("localhost:/dados/KOV.GDB", "/opt/kov/EXE/"), "localhost:/dados/KOV.GDB");
    EXPECT_EQ(ResolverCaminhoBanco("servidor:C:\\KOV\\BD\\KOV.GDB", "/x/"), "servidor:C:/KOV/BD/KOV.GDB");
    EXPECT_EQ(ResolverCaminhoBanco("", "/opt/kov/EXE/"), "");
}
