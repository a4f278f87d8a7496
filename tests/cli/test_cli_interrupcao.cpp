// O programa morto no meio do trabalho (pontos de parada de KOV_TESTE_PARAR_EM, o processo e o
// que ele iniciou mortos juntos) e o disco cheio: a base abre com o estado de antes ou o de
// depois, nunca uma mistura, o programa parte de novo, e nenhum arquivo fica pela metade com
// o nome final.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/Processo.h"
#include "cli/ApoioEntrega.h"
#include "data/Declaracao.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "files/CifraRSA.h"
#include "files/DocumentoXml.h"
#include "platform/PontoParada.h"

using namespace kov;
namespace fs = std::filesystem;

namespace {

// O que o usuário grava: as linhas de cada tabela com a coluna DOCUMENTO_ID (a declaração e as
// suas seções, as entregas) e as de CONTRIBUINTE e PARAMETROS, em ordem. Os geradores ficam de
// fora: avançam fora da transação e não voltam atrás quando ela é desfeita.
std::string retrato(const fs::path& base) {
    fb::Conexao c;
    fb::ParametrosConexao p;
    p.banco = base.string();
    c.abrir(p);
    auto tr = fb::Transacao::leitura(c);
    std::vector<std::string> tabelas = {"CONTRIBUINTE", "PARAMETROS"};
    {
        fb::Comando q(tr, "SELECT TRIM(RF.RDB$RELATION_NAME) FROM RDB$RELATION_FIELDS RF JOIN RDB$RELATIONS R ON "
                          "R.RDB$RELATION_NAME = RF.RDB$RELATION_NAME WHERE RF.RDB$FIELD_NAME = 'DOCUMENTO_ID' AND "
                          "R.RDB$VIEW_BLR IS NULL ORDER BY 1");
        while (q.proximo()) tabelas.push_back(q.coluna(0).texto());
    }
    std::string r;
    for (const auto& t : tabelas) {
        r += "TABELA " + t + "\n";
        fb::Comando q(tr, "SELECT * FROM " + t + " ORDER BY 1, 2");
        while (q.proximo()) {
            for (int i = 0; i < q.colunas(); ++i) r += (q.coluna(i).nulo() ? "<nulo>" : q.coluna(i).texto()) + " | ";
            r += "\n";
        }
    }
    return r;
}

// A ferramenta do Firebird confere a estrutura inteira do arquivo (páginas, índices, registros).
std::string validacao(const fs::path& base) {
    return teste::rodar("/usr/bin/gfix", {"-v", "-full", "-n", "-user", "SYSDBA", base.string()}).erros;
}

// O programa para em 'ponto' ("nome" ou "nome@microssegundos"), ele e o que tiver iniciado.
teste::ResultadoProcesso morto(const std::string& cli, const std::string& ponto, const std::vector<std::string>& args) {
    ::setenv("KOV_TESTE_PARAR_EM", ponto.c_str(), 1);
    auto r = teste::rodarComoQueda(cli, args);
    ::unsetenv("KOV_TESTE_PARAR_EM");
    return r;
}

std::set<std::string> nomes(const fs::path& pasta) {
    std::set<std::string> s;
    for (const auto& e : fs::directory_iterator(pasta)) s.insert(e.path().filename().string());
    return s;
}

// Instalação com as chaves da cifra, o substituto do transmissor, 300 municípios a mais e
// três declarações consistentes do ano base; a primeira com 300 linhas de outras entradas por
// município e todas as seções preenchidas.
// Matar um processo com o Firebird embutido no meio do trabalho pode deixar presa a memória
// compartilhada do motor na pasta de travas (o rastreamento, fb12_trace) e travar os processos
// seguintes que usam a mesma pasta. Por isso as quedas só rodam por scripts/test-queda, que dá à
// rodada uma pasta de travas própria (FIREBIRD_LOCK); na suíte comum elas são puladas.
bool quedasLigadas() { return std::getenv("KOV_TESTES_QUEDA") != nullptr; }
#define SO_COM_QUEDAS()                                                                   \
    if (!quedasLigadas()) GTEST_SKIP() << "quedas com SIGKILL só por scripts/test-queda"

struct Interrupcao : ::testing::Test {
    teste::InstalacaoTeste inst;
    std::string cli;
    std::vector<int> ids;
    std::vector<Contribuinte> cts;

    void SetUp() override {
        ::setenv("KOV_NAO_ACERTAR_RELOGIO", "1", 1);
        cli = teste::PrepararEntrega(inst);
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        {
            fb::Transacao tr(c);
            fb::Comando::executarDireto(tr,
                                        "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 300) DO BEGIN "
                                        "INSERT INTO MUNICIPIO VALUES (900000 + :I, 900000 + :I, 'MUNICÍPIO ' || :I); "
                                        "I = I + 1; END END");
            tr.commit();
        }
        ids = teste::DeclaracoesParaEntrega(c, 3, "2016", &cts);
        Declaracao d = CarregarDeclaracao(c, ids[0]);
        preencher(d, 100);
        SalvarDeclaracao(c, d, cts[0], 2026, "2016");
    }
    void TearDown() override { ::unsetenv("KOV_NAO_ACERTAR_RELOGIO"); }

    // Valores em todas as seções e nas 300 linhas de município, a partir de 'base' centavos
    static void preencher(Declaracao& d, int64_t base) {
        CriarSecoesQueFaltam(d);
        int64_t n = base;
        auto valores = [&](auto& linha) {
            using L = std::decay_t<decltype(linha)>;
            for (const auto& col : L::colunas())
                if (auto m = std::get_if<Quantia L::*>(&col.membro)) linha.*(*m) = Dinheiro::deCentavos(++n * 100 + 37);
        };
        valores(*d.estoque);
        valores(*d.despesas);
        if (d.detalhamentoEntrada.empty())
            for (int i = 0; i < 300; ++i) {
                DetalhamentoEntrada m = NovaLinhaDetalhamentoEntrada("N");
                m.CODDRUMUNICIPIO = 900000 + i;
                d.detalhamentoEntrada.push_back(m);
            }
        for (auto& m : d.detalhamentoEntrada) m.VALOR = Dinheiro::deCentavos(++n * 100 + 11);
    }

    // A base guardada num arquivo ao lado, para voltar a ela antes de cada interrupção.
    fs::path guardar(const std::string& nome) {
        const fs::path p = inst.raiz.caminho() / nome;
        fs::copy_file(inst.base, p, fs::copy_options::overwrite_existing);
        return p;
    }
    void voltar(const fs::path& guardada) { fs::copy_file(guardada, inst.base, fs::copy_options::overwrite_existing); }

    // O programa parte e lê a base (a lista das declarações).
    void programaParte() {
        const auto r = teste::rodar(cli, {"declaracoes", "listar"});
        EXPECT_EQ(r.codigo, 0) << r.erros;
        EXPECT_EQ(validacao(inst.base), "");
    }

    // Roda 'args' sem parar para saber o estado de depois; depois, a partir do estado de
    // antes, para o programa no meio da confirmação (ponto@us) com atrasos crescentes. Cada
    // base que fica é a de antes ou a de depois, e as duas aparecem.
    void antesOuDepois(const std::string& ponto, const std::vector<std::string>& args) {
        const fs::path guardada = guardar("antes.gdb");
        const std::string antes = retrato(inst.base);
        const auto r = teste::rodar(cli, args);
        ASSERT_EQ(r.codigo, 0) << r.erros;
        const std::string depois = retrato(inst.base);
        ASSERT_NE(antes, depois);
        std::set<std::string> vistos;
        for (int us : {0, 4000, 20000, 400000}) {
            voltar(guardada);
            const auto m = morto(cli, ponto + "@" + std::to_string(us), args);
            EXPECT_TRUE(m.codigo == CODIGO_PARADA_TESTE || m.codigo == 0) << us << " us: " << m.erros;
            const std::string ficou = retrato(inst.base);
            EXPECT_TRUE(ficou == antes || ficou == depois) << ponto << ": mistura com parada em " << us << " us";
            vistos.insert(ficou == antes ? "antes" : ficou == depois ? "depois" : "mistura");
        }
        EXPECT_EQ(vistos, (std::set<std::string>{"antes", "depois"})) << ponto << ": os dois lados não foram exercitados";
        programaParte();
    }
};

}  // namespace

// Gravação da declaração pelo kov-cli (a alteração e a consistência que a segue) e restauração
// de um arquivo de declaração com as 300 linhas de município trocadas.
TEST_F(Interrupcao, DeclaracaoGravadaOuRestauradaFicaInteiraAntigaOuInteiraNova) {
    SO_COM_QUEDAS();
    antesOuDepois("gravacao-declaracao", {"declaracoes", "alterar", std::to_string(ids[0]), "--valor",
                                          "ESTOQUE.INITRIBUTADOS=98765,43", "--valor", "SAIDA.VCESTADO=2000",
                                          "--escrita-contabil", "S"});

    // O arquivo traz a declaração com outros valores em todas as seções e municípios
    auto valores = [&](int64_t base) {
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        Declaracao d = CarregarDeclaracao(c, ids[0]);
        preencher(d, base);
        SalvarDeclaracao(c, d, cts[0], 2026, "2016");
    };
    valores(5000);
    const fs::path pasta = inst.raiz.caminho() / "arquivos";
    const auto r = teste::rodar(cli, {"declaracoes", "gerar", std::to_string(ids[0]), "--pasta", pasta.string(), "--cifrar"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    const std::string arquivo = teste::linhas(r.saida).at(0).substr(std::to_string(ids[0]).size() + 1);
    valores(100);
    antesOuDepois("restauracao-declaracao", {"declaracoes", "importar", arquivo});
}

// Gravação em pasta: cada entrega que consta da base tem o seu arquivo inteiro na pasta; um
// arquivo gravado sem a linha (programa morto antes da base) é só gravado de novo. Na
// transmissão, o arquivo devolvido com o protocolo de uma entrega que não chegou à base fica
// na pasta temporária para a captura de protocolos, mesmo depois de outra entrega.
TEST_F(Interrupcao, EntregaNaoConstaSemOArquivoEOProtocoloNaoSePerde) {
    SO_COM_QUEDAS();
    const fs::path guardada = guardar("antes.gdb");
    const fs::path destino = inst.raiz.caminho() / "pendrive";
    const std::vector<std::string> gravar = {"declaracoes", "gravar", std::to_string(ids[1]), std::to_string(ids[2]),
                                             "--pasta", destino.string(), "--sim"};
    auto entregas = [&] {
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        auto tr = fb::Transacao::leitura(c);
        fb::Comando q(tr, "SELECT DOCUMENTO_ID, TIPOTRANSMISSAO, PROTOCOLO FROM TRANSMISSAO ORDER BY 1");
        std::map<int, std::string> m;
        while (q.proximo()) m[static_cast<int>(q.coluna(0).inteiro())] = q.coluna(1).texto() + q.coluna(2).texto();
        return m;
    };
    for (const std::string ponto : {"entrega-copia", "entrega-arquivos", "entrega-base@0", "entrega-base@20000"}) {
        voltar(guardada);
        fs::remove_all(destino);
        fs::create_directories(destino);
        morto(cli, ponto, gravar);
        const auto e = entregas();
        EXPECT_TRUE(e.empty() || e.size() == 2) << ponto << ": " << e.size() << " entregas";
        for (const auto& [id, tipo] : e) EXPECT_EQ(tipo, "D");
        // Na pasta só arquivos inteiros com o nome final; os dois quando a base tem as entregas
        size_t xml = 0;
        for (const auto& n : nomes(destino)) {
            if (n.size() > 4 && n.substr(n.size() - 4) == ".xml") {
                ++xml;
                EXPECT_NO_THROW(LerArquivoXml((destino / n).string())) << ponto << ": " << n;
            }
        }
        if (!e.empty()) { EXPECT_EQ(xml, 2u) << ponto; }
        // Gravada de novo, sem parar, a entrega termina
        const auto r = teste::rodar(cli, gravar);
        EXPECT_EQ(r.codigo, 0) << ponto << ": " << r.erros;
        EXPECT_EQ(entregas().size(), 2u) << ponto;
    }
    programaParte();

    // Transmissão morta depois do transmissor: nenhuma linha, o arquivo com o protocolo fica
    voltar(guardada);
    morto(cli, "entrega-arquivos", {"declaracoes", "transmitir", std::to_string(ids[1]), "--sim"});
    EXPECT_TRUE(entregas().empty());
    const fs::path devolvido =
        inst.exe / "temp" / ("KOV" + cts[1].INSCESTADUAL + "201612012016" + "0131N.xml");
    ASSERT_TRUE(fs::exists(devolvido));
    const std::string protocolo = teste::lerArquivo(devolvido);
    EXPECT_NE(protocolo.find("<numero>"), std::string::npos);
    // Outra entrega termina e esvazia a pasta temporária do que é dela, não do protocolo órfão
    auto r = teste::rodar(cli, {"declaracoes", "transmitir", std::to_string(ids[2]), "--sim"});
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(nomes(inst.exe / "temp"), std::set<std::string>{devolvido.filename().string()});
    EXPECT_EQ(teste::lerArquivo(devolvido), protocolo);
    EXPECT_EQ(entregas().size(), 1u);
}

// Restauração da base: morta em cada passo (com o gbak morto junto no meio da reconstrução),
// a base abre com os dados de antes ou com os da cópia; depois da troca, bkpOriginalKOV.GDB
// tem a base de antes. Uma nova restauração vai até o fim.
TEST_F(Interrupcao, RestauracaoDaBaseMortaDeixaABaseDeAntesOuARestaurada) {
    SO_COM_QUEDAS();
    const fs::path copias = inst.raiz.caminho() / "copias";
    auto r = teste::rodar(cli, {"base", "backup", "--pasta", copias.string()});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    const std::string zip = teste::linhas(r.saida).at(0);
    const std::string daCopia = retrato(inst.base);
    inst.executarSQL("INSERT INTO PARAMETROS (CAMPO, VALOR) VALUES ('TESTE', 'Depois da cópia')");
    const std::string antes = retrato(inst.base);
    const fs::path guardada = guardar("antes.gdb");
    const fs::path seguranca = inst.bd / "bkpOriginalKOV.GDB";
    const std::vector<std::string> restaurar = {"base", "restaurar", zip, "--sim"};
    // (a parada logo antes da troca é a de CliBackup.ProgramaMortoNoMeioNaoEstragaABase)
    for (const std::string ponto : {"restauracao-guardada", "restauracao-gbak@60000", "restauracao-trocada"}) {
        voltar(guardada);
        fs::remove(seguranca);
        morto(cli, ponto, restaurar);
        // Antes da troca a base é a de antes; depois dela, a da cópia, com a de antes guardada
        const std::string ficou = retrato(inst.base);
        const bool trocada = ficou == daCopia;
        EXPECT_TRUE(trocada || ficou == antes) << ponto << ": a base não é nem a de antes nem a da cópia";
        if (trocada) { EXPECT_EQ(retrato(seguranca), antes) << ponto << ": o caminho de volta"; }
        if (ponto == "restauracao-guardada") { EXPECT_FALSE(trocada) << ponto; }
        if (ponto == "restauracao-trocada") { EXPECT_TRUE(trocada); }
    }
    // Os restos da pasta de trabalho e de um gbak morto no meio não atrapalham a próxima
    voltar(guardada);
    morto(cli, "restauracao-gbak@60000", restaurar);
    r = teste::rodar(cli, restaurar);
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(retrato(inst.base), daCopia);
    EXPECT_EQ(retrato(seguranca), antes);
    programaParte();
}

// Disco cheio (um tmpfs pequeno) gravando um arquivo de declaração, uma entrega em pasta e as
// cópias de segurança da base e das declarações: cada um diz a sua mensagem, nenhum arquivo
// fica pela metade e o arquivo anterior de mesmo nome fica como estava.
TEST_F(Interrupcao, DiscoCheioNaoDeixaArquivoPelaMetade) {
    const fs::path disco = inst.raiz.caminho() / "disco";
    fs::create_directories(disco);
    if (::mount("tmpfs", disco.c_str(), "tmpfs", 0, "size=2m") != 0)
        GTEST_SKIP() << "sem permissão para montar um tmpfs: " << std::strerror(errno);
    struct Desmontar {
        fs::path p;
        ~Desmontar() { ::umount2(p.c_str(), MNT_DETACH); }
    } desmontar{disco};

    // Os arquivos anteriores, gravados com espaço
    auto r = teste::rodar(cli, {"declaracoes", "gerar", std::to_string(ids[0]), "--pasta", disco.string()});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    const fs::path gerado = teste::linhas(r.saida).at(0).substr(std::to_string(ids[0]).size() + 1);
    const std::vector<std::string> gravar = {"declaracoes", "gravar", std::to_string(ids[1]), "--pasta", disco.string(),
                                             "--sim"};
    ASSERT_EQ(teste::rodar(cli, gravar).codigo, 0);
    const fs::path gravado = disco / ("KOV" + cts[1].INSCESTADUAL + "201612012016" + "0131N.xml");
    const std::string conteudoGerado = teste::lerArquivo(gerado), conteudoGravado = teste::lerArquivo(gravado);
    // O resto do disco ocupado, menos 4 KiB
    {
        std::string bloco(4096, 'x');
        FILE* f = std::fopen((disco / "ocupado").c_str(), "wb");
        while (std::fwrite(bloco.data(), 1, bloco.size(), f) == bloco.size() && std::fflush(f) == 0) {
        }
        std::fclose(f);
        fs::resize_file(disco / "ocupado", fs::file_size(disco / "ocupado") - 4096);
    }
    const auto antes = nomes(disco);
    struct Caso {
        std::vector<std::string> args;
        std::string mensagem;
    };
    const std::vector<Caso> casos = {
        {{"declaracoes", "gerar", std::to_string(ids[0]), "--pasta", disco.string()},
         "Declaração " + std::to_string(ids[0]) + " não gerada: Não foi possível gravar o arquivo " + gerado.string() +
             ": espaço insuficiente no disco"},
        {gravar, "Espaço insuficiente no disco de destino."},
        {{"base", "backup", "--pasta", disco.string()},
         "Erro durante o processo de compactação de arquivo! Arquivo não compactado"},
        {{"declaracoes", "backup", std::to_string(ids[0]), "--pasta", disco.string()},
         "Erro durante o processo de compactação de arquivo! Arquivo não compactado"},
    };
    for (const auto& caso : casos) {
        r = teste::rodar(cli, caso.args);
        EXPECT_NE(r.codigo, 0) << caso.args[1];
        EXPECT_NE(r.erros.find(caso.mensagem), std::string::npos) << r.erros;
        EXPECT_EQ(nomes(disco), antes) << caso.args[1] << ": sobrou um arquivo";
        EXPECT_EQ(teste::lerArquivo(gerado), conteudoGerado);
        EXPECT_EQ(teste::lerArquivo(gravado), conteudoGravado);
    }
    programaParte();
}
