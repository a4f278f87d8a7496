// kov-cli declaracoes gerar e recibo, arquivos conferir e decifrar: o programa real como
// processo filho numa instalação temporária com um par de chaves de teste.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/Processo.h"
#include "data/LinhasBanco.h"
#include "data/ReciboTexto.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "files/CifraRSA.h"
#include "files/DocumentoXml.h"

using namespace kov;
namespace fs = std::filesystem;

namespace {

using teste::linhas;

struct CliArquivos : ::testing::Test {
    teste::InstalacaoTeste inst;
    std::string cli;
    int normal = 0, simplificada = 0;
    std::string saida;
    std::map<int, std::string> nomes;

    void SetUp() override {
        cli = teste::instalarCli(inst.exe.string());
        GravarParChavesRSA(GerarParChavesRSA(), inst.exe.string());
        saida = (inst.raiz.caminho() / "saida").string();
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        fb::Transacao tr(c);
        fb::Comando m(tr, "SELECT CODDRUMUNICIPIO, DESCRICAO FROM MUNICIPIO");
        while (m.proximo()) nomes[static_cast<int>(m.coluna(0).inteiro())] = m.coluna(1).texto();
        Responsavel r;
        r.RESPONSAVEL_ID = 1;
        r.NOME = "José";
        InserirLinhas(tr, std::vector<Responsavel>{r});
        Contribuinte ct = teste::ContribuinteDeTeste(1, nomes.begin()->first, "Café & Cia");
        ct.RESPONSAVEL_ID = 1;
        InserirLinhas(tr, std::vector<Contribuinte>{ct});
        tr.commit();
        for (int regime : {1, 5}) {
            Declaracao d = NovaDeclaracao("2016");
            DefinirContribuinte(d, ct);
            d.doc.REGIME_ID = regime;
            d.doc.TIPOCONTRIBUINTE_ID = 1;
            d.doc.CODDRUMUNICIPIO = ct.CODDRUMUNICIPIO;
            d.doc.MESINICIAL = regime == 1 ? 1 : 2;
            d.doc.MESFINAL = 12;
            SalvarDeclaracao(c, d, ct, 2026, "2016");
            if (regime == 1) {
                d.kov->SAIDAS = Dinheiro::deCentavos(123450);
                d.detalhamentoEntrada.push_back({d.doc.DOCUMENTO_ID, ct.CODDRUMUNICIPIO.value(),
                                                 Dinheiro::deReais(7), "N", Dinheiro{}});
                GravarDeclaracao(c, d);
            }
            (regime == 1 ? normal : simplificada) = d.doc.DOCUMENTO_ID;
        }
    }
    std::string arquivo(bool cifrado) const {
        return saida + (cifrado ? "/c/" : "/") + "KOV1234567890107201612012016" + "0131N.xml";
    }
};

}  // namespace

TEST_F(CliArquivos, GeraConfereEDecifra) {
    auto r = teste::rodar(cli, {"declaracoes", "gerar", std::to_string(normal), "--pasta", saida});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(linhas(r.saida), std::vector<std::string>{std::to_string(normal) + "\t" + arquivo(false)});
    const std::string claro = teste::lerArquivo(arquivo(false));

    // O verificador que docs/formato-arquivo.md ensina a recalcular sem o KOV
    r = teste::rodar("/bin/sh",
                     {"-c", "v=$(grep -ao '<verificador_integridade>[0-9A-F]*</verificador_integridade>' \"$0\"); "
                            "printf '%s\\n' \"$v\" | sed 's/<[^>]*>//g'; sed \"s|$v||\" \"$0\" | sha1sum | tr a-f A-F",
                      arquivo(false)});
    const auto l = linhas(r.saida);
    ASSERT_EQ(l.size(), 2u) << r.saida << r.erros;
    EXPECT_EQ(l[0].size(), 40u);
    EXPECT_EQ(l[1].substr(0, 40), l[0]);

    r = teste::rodar(cli, {"arquivos", "conferir", arquivo(false)});
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(r.saida, arquivo(false) + "\tVerificador de integridade confere\n");
    EXPECT_NE(r.erros.find("Conferindo dados do arquivo " + arquivo(false)), std::string::npos);
    EXPECT_EQ(teste::lerArquivo(arquivo(false)), claro) << "conferido e regravado igual";

    // Cifrado, junto com uma simplificada, que é recusada: um arquivo e saída 1
    r = teste::rodar(cli, {"declaracoes", "gerar", std::to_string(simplificada), std::to_string(normal), "--cifrar",
                           "--pasta", saida + "/c"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(linhas(r.saida), std::vector<std::string>{std::to_string(normal) + "\t" + arquivo(true)});
    EXPECT_NE(r.erros.find("Impossível efetuar transmissão!"), std::string::npos) << r.erros;
    EXPECT_NE(r.erros.find("Declaração " + std::to_string(simplificada) + " não gerada."), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(saida + "/c"), fs::directory_iterator{}), 1);

    // Decifrado com a chave privada: o bloco de dados do arquivo às claras
    r = teste::rodar(cli, {"arquivos", "decifrar", arquivo(true)});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(r.saida.rfind("<contribuinte>\r\n<ie_contribuinte>1234567890107</ie_contribuinte>\r\n", 0), 0u);
    EXPECT_EQ(r.saida.substr(r.saida.size() - 14), "</documento>\r\n");
    const std::string s = SerializarDocumento(LerXml("<dados>" + r.saida + "</dados>"));
    const std::string blocoClaro = s.substr(s.find("<dados>"), s.rfind("</dados>") + 8 - s.find("<dados>"));
    EXPECT_NE(claro.find(blocoClaro), std::string::npos);
    EXPECT_NE(blocoClaro.find("<razao_social>Cafe e Cia</razao_social>"), std::string::npos);
    EXPECT_NE(blocoClaro.find("<saidas>1234,5</saidas>"), std::string::npos);

    // Arquivo alterado não confere; às claras não se decifra; ausente é uso incorreto
    std::string alterado = claro;
    alterado.replace(alterado.find("<saidas>1234,5</saidas>"), 23, "<saidas>1234,6</saidas>");
    teste::escreverArquivo(saida + "/alterado.xml", alterado);
    r = teste::rodar(cli, {"arquivos", "conferir", arquivo(false), saida + "/alterado.xml"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(linhas(r.saida), (std::vector<std::string>{arquivo(false) + "\tVerificador de integridade confere",
                                                         saida + "/alterado.xml\tVerificador de integridade não confere"}));
    teste::escreverArquivo(saida + "/lixo.xml", "<arquivo><cabecalho>");
    r = teste::rodar(cli, {"arquivos", "conferir", saida + "/lixo.xml"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.saida, saida + "/lixo.xml\tErro ao conferir o hash!\n");
    r = teste::rodar(cli, {"arquivos", "decifrar", arquivo(false)});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("Erro ao descriptografar o arquivo!"), std::string::npos) << r.erros;
    r = teste::rodar(cli, {"arquivos", "conferir", saida + "/nada.xml"});
    EXPECT_EQ(r.codigo, 2);
    EXPECT_NE(r.erros.find("Arquivo não encontrado: " + saida + "/nada.xml"), std::string::npos);
    // Sem a chave privada: a caixa de erro da cifra em stderr
    fs::remove(inst.exe / ARQUIVO_CHAVE_PRIVADA);
    r = teste::rodar(cli, {"arquivos", "decifrar", arquivo(true)});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("\nContacte o suporte do KOV!"), std::string::npos) << r.erros;
    r = teste::rodar(cli, {"declaracoes", "gerar", std::to_string(normal), "--cifrar", "--pasta", saida + "/d"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("Contacte o suporte do KOV!"), std::string::npos) << r.erros;
    EXPECT_TRUE(fs::is_empty(saida + "/d"));
}

TEST_F(CliArquivos, ReciboNoTerminalEBytesNoArquivo) {
    auto r = teste::rodar(cli, {"declaracoes", "recibo", std::to_string(normal)});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    const auto l = linhas(r.saida);
    ASSERT_GE(l.size(), 30u);
    EXPECT_EQ(l[1], "Período de referência:        01/2016 a 12/2016");
    EXPECT_EQ(l[18], "  Saídas                            1.234");

    const std::string arq = saida + "/recibo.txt";
    r = teste::rodar(cli, {"declaracoes", "recibo", std::to_string(normal), "--saida", arq});
    EXPECT_EQ(r.codigo, 1) << "pasta que não existe";
    EXPECT_NE(r.erros.find("Não foi possível gravar o arquivo " + arq), std::string::npos) << r.erros;
    fs::create_directories(saida);
    r = teste::rodar(cli, {"declaracoes", "recibo", std::to_string(normal), "--saida", arq});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(r.saida, "");
    fb::Conexao c;
    fb::ParametrosConexao p;
    p.banco = inst.base.string();
    c.abrir(p);
    EXPECT_EQ(teste::lerArquivo(arq), GerarReciboTexto(CarregarDeclaracao(c, normal), nomes));
    EXPECT_EQ(teste::lerArquivo(arq).substr(0, 7), "\r\nPer\xED" "o");

    // Uso incorreto e ajuda de cada verbo novo
    for (const std::vector<std::string>& a :
         {std::vector<std::string>{"declaracoes", "recibo"}, {"declaracoes", "recibo", "x"},
          {"declaracoes", "gerar", "1"}, {"declaracoes", "gerar", "--pasta", saida}, {"arquivos", "conferir"},
          {"arquivos", "decifrar"}})
        EXPECT_EQ(teste::rodar(cli, a).codigo, 2) << a.back();
    for (const char* verbo : {"declaracoes gerar", "declaracoes recibo", "arquivos conferir", "arquivos decifrar"}) {
        const std::string v = verbo;
        r = teste::rodar(cli, {v.substr(0, v.find(' ')), v.substr(v.find(' ') + 1), "--help"});
        EXPECT_EQ(r.codigo, 0);
        EXPECT_EQ(r.saida.rfind("Uso: kov-cli " + v, 0), 0u) << r.saida;
    }
}

TEST_F(CliArquivos, ImportaOsArquivosGravadosComCifra) {
    auto r = teste::rodar(cli, {"declaracoes", "gerar", std::to_string(normal), "--cifrar", "--pasta", saida + "/c"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    r = teste::rodar(cli, {"declaracoes", "gerar", std::to_string(normal), "--pasta", saida});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    // A mesma declaração (contribuinte, ano e meses): substituída sob a mesma chave
    r = teste::rodar(cli, {"declaracoes", "importar", arquivo(true)});
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(r.saida, arquivo(true) + "\tok\t" + std::to_string(normal) + "\n");
    // Às claras junto de um cifrado: o cifrado restaurado, o outro com o seu motivo, saída 1
    r = teste::rodar(cli, {"declaracoes", "importar", arquivo(false), arquivo(true)});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.saida, arquivo(true) + "\tok\t" + std::to_string(normal) + "\n");
    EXPECT_EQ(r.erros, arquivo(false) + ": Erro ao descriptografar o arquivo!\n");
    EXPECT_FALSE(fs::exists(inst.exe / "temp" / "decsImport.xml"));
    r = teste::rodar(cli, {"declaracoes", "importar", saida + "/nada.xml"});
    EXPECT_EQ(r.codigo, 2);
    EXPECT_NE(r.erros.find("Arquivo não encontrado: " + saida + "/nada.xml"), std::string::npos);
    EXPECT_EQ(teste::rodar(cli, {"declaracoes", "importar"}).codigo, 2);
    r = teste::rodar(cli, {"declaracoes", "importar", "--help"});
    EXPECT_EQ(r.codigo, 0);
    EXPECT_EQ(r.saida.rfind("Uso: kov-cli declaracoes importar ARQUIVO...", 0), 0u) << r.saida;
}
