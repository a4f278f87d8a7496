// kov-cli protocolos listar e capturar e declaracoes recibo: uma declaração gravada em pasta,
// devolvida pelo substituto do transmissor, capturada pela linha de comando e o recibo em PDF
// lido de volta com pdftotext.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/Processo.h"
#include "data/fb/Conexao.h"
#include "files/CifraRSA.h"

using namespace kov;
namespace fs = std::filesystem;

TEST(CliProtocolos, ListaCapturaEImprimeORecibo) {
    teste::InstalacaoTeste inst;
    const std::string cli = teste::instalarCli(inst.exe.string());
    GravarParChavesRSA(GerarParChavesRSA(), inst.exe.string());
    inst.escreverIni("[KOV]\r\nDatabase=..\\BD\\KOV.GDB\r\n");
    std::vector<Contribuinte> cts;
    std::vector<int> ids;
    {
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        ids = teste::DeclaracoesParaEntrega(c, 1, "2016", &cts);
    }
    const fs::path pasta = inst.raiz.caminho() / "pendrive";
    fs::create_directories(pasta);
    auto r = teste::rodar(cli, {"declaracoes", "gravar", std::to_string(ids[0]), "--pasta", pasta.string(), "--sim"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    // Sem protocolo ainda: não há o que listar, nem recibo
    r = teste::rodar(cli, {"protocolos", "listar", pasta.string()});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("O caminho especificado não contém protocolos!"), std::string::npos) << r.erros;
    r = teste::rodar(cli, {"declaracoes", "recibo", std::to_string(ids[0]), "--pdf", (pasta / "r.pdf").string()});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("Não existe recibo para esta declaração!"), std::string::npos) << r.erros;

    const fs::path arquivo = *fs::directory_iterator(pasta);
    setenv("ENVIAX_NUMERO", "20170305101112001", 1);
    setenv("ENVIAX_DATA", "05/03/2017", 1);
    setenv("ENVIAX_HORA", "10:11:12", 1);
    ASSERT_EQ(teste::rodar(KOV_ENVIAX, {arquivo.string()}).codigo, 0);
    unsetenv("ENVIAX_NUMERO");
    unsetenv("ENVIAX_DATA");
    unsetenv("ENVIAX_HORA");
    const std::string devolvido = teste::lerArquivo(arquivo);

    r = teste::rodar(cli, {"protocolos", "listar", pasta.string()});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    const std::string ie = cts[0].INSCESTADUAL;
    EXPECT_EQ(r.saida, "1\t" + ie.substr(0, 3) + "." + ie.substr(3, 6) + "." + ie.substr(9, 4) +
                           "\t01/2016 a 12/2016\t20170305101112001\t05/03/2017\t10:11:12\n");
    r = teste::rodar(cli, {"protocolos", "capturar", pasta.string()});
    EXPECT_EQ(r.codigo, 2);  // nem --todos nem linhas
    r = teste::rodar(cli, {"protocolos", "capturar", pasta.string(), "--todos"});
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_NE(r.saida.find(ie + "\t20170305101112001\tcapturado"), std::string::npos) << r.saida;
    r = teste::rodar(cli, {"protocolos", "capturar", pasta.string(), "1"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("Esta declaração já foi transmitida e não poderá ser atualizada!"), std::string::npos);
    EXPECT_EQ(teste::lerArquivo(arquivo), devolvido);  // o arquivo devolvido fica como veio

    const std::string pdf = (inst.raiz.caminho() / "recibo.pdf").string();
    r = teste::rodar(cli, {"declaracoes", "recibo", std::to_string(ids[0]), "--pdf", pdf, "--protocolo", "999"});
    EXPECT_EQ(r.codigo, 1);
    r = teste::rodar(cli, {"declaracoes", "recibo", std::to_string(ids[0]), "--pdf", pdf});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    const std::string texto = teste::rodar("/usr/bin/pdftotext", {"-layout", pdf, "-"}).saida;
    for (const char* esperado : {"Recibo de Transmissão do Arquivo", "Nº do protocolo de transmissão:",
                                 "20170305101112001", "05/03/2017", "10:11:12", "Contribuinte:"})
        EXPECT_NE(texto.find(esperado), std::string::npos) << esperado << "\n" << texto;
}
