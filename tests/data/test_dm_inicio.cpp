// Criação do módulo de dados: KOV.ini, conexão, verificação de versão e tabelas de referência.
#include <gtest/gtest.h>

#include <set>

#include "apoio/BaseTeste.h"
#include "apoio/InteracaoGravada.h"
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
    falhaCom("[KOV]\nDatabase=..\\BD\\NAO_EXISTE.GDB\n", "NAO_EXISTE.GDB");
    falhaCom("[KOV]\nDatabase=127.0.0.1/1:/tmp/x.gdb\n", "");  // servidor inalcançável
}

TEST(ModuloDados, ArquivoQueNaoEBaseNaoEAlterado) {
    teste::InstalacaoTeste inst(false);
    const std::string lixo(40000, 'K');
    teste::escreverArquivo(inst.base, lixo);
    inst.escreverIni(teste::iniDaSuite(inst));
    teste::InteracaoGravada ui;
    Tdm dm(ui, inst.exe.string());
    dm.DataModuleCreate();
    ASSERT_EQ(ui.mensagens.size(), 1u);
    EXPECT_EQ(ui.mensagens[0].texto.rfind(PREFIXO, 0), 0u);
    EXPECT_FALSE(dm.conectado());
    EXPECT_EQ(teste::lerArquivo(inst.base), lixo);
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
