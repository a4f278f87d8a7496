// A captura de protocolos com arquivos gravados pela entrega e devolvidos pelo substituto do
// transmissor (processo filho): aceitação do número, da data e da hora; pasta sem declarações
// da base; captura, recusa da segunda e a grade depois; impressão no modo de recibo; arquivos
// devolvidos intactos (hash) numa pasta sem escrita.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/InteracaoGravada.h"
#include "data/Cadastros.h"
#include "data/Entregas.h"
#include "data/dmPrincipal.h"
#include "data/fb/Transacao.h"
#include "delivery/untCaptura.h"
#include "delivery/untEntrega.h"
#include "delivery/untSetDeclaracoes.h"
#include "files/CifraRSA.h"
#include "files/DocumentoXml.h"
#include "files/untManipula_XML.h"
#include "platform/Processos.h"

using namespace kov;
namespace fs = std::filesystem;

namespace {

struct Ambiente {
    std::string nome;
    Ambiente(std::string n, const std::string& valor) : nome(std::move(n)) { setenv(nome.c_str(), valor.c_str(), 1); }
    ~Ambiente() { unsetenv(nome.c_str()); }
};

struct CapturaTeste : ::testing::Test {
    teste::InstalacaoTeste inst;
    teste::InteracaoGravada ui;
    std::vector<int> ids;
    std::optional<Tdm> dm;
    fs::path gravados;

    void SetUp() override {
        inst.escreverIni("[KOV]\r\nDatabase=..\\BD\\KOV.GDB\r\n");
        GravarParChavesRSA(GerarParChavesRSA(), inst.exe.string());
        {
            fb::Conexao c;
            fb::ParametrosConexao p;
            p.banco = inst.base.string();
            c.abrir(p);
            ids = teste::DeclaracoesParaEntrega(c, 2, "2016");
        }
        dm.emplace(ui, inst.exe.string() + "/");
        dm->DataModuleCreate();
        // As duas declarações gravadas em pasta: linhas "D" e dois arquivos cifrados
        gravados = inst.raiz.caminho() / "gravados";
        fs::create_directories(gravados);
        struct : Relogio {
            DataHoraLocal agora() override { return {std::chrono::year{2026} / 3 / 10, 14, 30, 5}; }
            std::string definir(const DataHoraLocal&) override { return {}; }
        } relogio;
        PainelEntrega painel;
        ExecucaoEntrega ex(*dm, ModoEntrega::Gravacao, painel, relogio);
        SelecaoDeclaracoes s(ModoSelecao::Gravacao);
        ASSERT_TRUE(s.reconstruir(dm->MainConnection, "2016"));
        s.incluirTodas();
        ASSERT_TRUE(ex.confirmar(s.chaves()));
        ui.pastas = {gravados.string()};
        ASSERT_TRUE(ex.executar());
        ui.mensagens.clear();
    }

    // Uma cópia dos gravados "transmitida" pelo substituto com as variáveis dadas.
    fs::path devolvidos(const std::string& nome) {
        const fs::path pasta = inst.raiz.caminho() / nome;
        fs::create_directories(pasta);
        std::vector<std::string> args;
        for (const auto& e : fs::directory_iterator(gravados)) {
            fs::copy_file(e.path(), pasta / e.path().filename());
            args.push_back((pasta / e.path().filename()).string());
        }
        std::sort(args.begin(), args.end());
        EXPECT_EQ(ExecutarEEsperar(KOV_ENVIAX, args, "/", {}), 0);
        return pasta;
    }
    std::vector<Entrega> entregas(int id) {
        auto tr = fb::Transacao::leitura(dm->MainConnection);
        auto v = LerEntregas(tr, id);
        tr.commit();
        return v;
    }
};

std::map<std::string, std::string> hashes(const fs::path& pasta) {
    std::map<std::string, std::string> h;
    for (const auto& e : fs::directory_iterator(pasta)) h[e.path().filename().string()] = CalcularVerificador(e.path());
    return h;
}

}  // namespace

TEST_F(CapturaTeste, AceitacaoDoNumeroDataEHora) {
    struct Caso {
        const char* numero;
        const char* data;
        const char* hora;
        bool aceito;
    };
    const Caso casos[] = {{"12345678901234567", "05/03/2017", "24:00:00", true},
                          {"1234567890123456", "05/03/2017", "10:00:00", false},
                          {"123456789012345678", "05/03/2017", "10:00:00", true},  // cortado em 17
                          {"12345678901234567", "05/03/2017", "23:60:00", false},
                          {"12345678901234567", "31/02/2017", "10:00:00", false},
                          {"12345678901234567", "01/01/1950", "10:00:00", false}};
    int n = 0;
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.numero) + " " + c.data + " " + c.hora);
        Ambiente a("ENVIAX_NUMERO", c.numero), b("ENVIAX_DATA", c.data), h("ENVIAX_HORA", c.hora);
        const fs::path pasta = devolvidos("d" + std::to_string(n++));
        CapturaProtocolos cap(*dm, ModoCaptura::Captura);
        cap.LerArquivosProtocolo(pasta.string());
        ASSERT_EQ(cap.encontradas().size(), c.aceito ? 2u : 0u);
        if (!c.aceito) continue;
        const std::string& l = cap.encontradas()[0];
        EXPECT_EQ(l.size(), 65u);
        EXPECT_EQ(l.substr(13, 17), "01/2016 a 12/2016");
        EXPECT_EQ(l.substr(30, 17), std::string(c.numero).substr(0, 17));
        EXPECT_EQ(l.substr(47, 10), c.data);
        EXPECT_EQ(l.substr(57, 8), c.hora);
        const auto campos = CamposDaLinha(l);
        EXPECT_EQ(campos.ano, 2016);
        EXPECT_EQ(campos.mesInicial, 1);
        EXPECT_EQ(campos.mesFinal, 12);
    }
    EXPECT_TRUE(ui.textos().empty());
}

// O protocolo conta caracteres, não bytes: 17 letras acentuadas são aceitas e as colunas da
// linha não se deslocam; 9 caracteres que somam 17 bytes são recusados.
TEST(CabecalhoDevolvido, ProtocoloContaCaracteresEAsColunasNaoSeDeslocam) {
    auto cabecalho = [](const std::string& numero) {
        return LerXml("<arquivo><cabecalho><identificador>1234567890107</identificador><periodo_referencia>"
                      "<data_inicial>01/02/2016</data_inicial><data_final>30/11/2016</data_final>"
                      "</periodo_referencia><protocolo><data>15/03/2017</data><hora>10:21:33</hora><numero>" +
                      numero + "</numero></protocolo></cabecalho></arquivo>");
    };
    std::string acentuado = "prot";
    for (int i = 0; i < 13; ++i) acentuado += "ã";
    const DocumentoXml doc = cabecalho(acentuado);
    const auto p = ProtocoloDoArquivo(doc.raiz());
    ASSERT_TRUE(p.has_value());
    const std::string linha = LinhaProtocolo(p->inscricao, p->dataInicial, p->dataFinal, p->numero, p->data, p->hora);
    EXPECT_EQ(ContarCaracteres(linha), 65u);
    const CamposProtocolo c = CamposDaLinha(linha);
    EXPECT_EQ(c.numero, acentuado);
    EXPECT_EQ(c.data, "15/03/2017");
    EXPECT_EQ(c.hora, "10:21:33");
    EXPECT_EQ(c.inscricao, "1234567890107");
    EXPECT_EQ(c.periodo, "02/2016 a 11/2016");
    EXPECT_EQ(c.mesFinal, 11);

    std::string dezesseteBytes;
    for (int i = 0; i < 8; ++i) dezesseteBytes += "ã";
    EXPECT_FALSE(ProtocoloDoArquivo(cabecalho(dezesseteBytes + "x").raiz()).has_value());
}

TEST_F(CapturaTeste, PastaSemDeclaracoesDaBaseEArquivoAlterado) {
    const fs::path pasta = devolvidos("d");
    inst.executarSQL("UPDATE DOCUMENTO SET MESFINAL = 11");
    ui.pastas = {pasta.string(), ""};
    CapturaProtocolos cap(*dm, ModoCaptura::Captura);
    EXPECT_FALSE(cap.CarregarProtocolos());
    EXPECT_EQ(ui.textos(), std::vector<std::string>{MSG_SEM_PROTOCOLOS});  // perguntou de novo e desistiu
    inst.executarSQL("UPDATE DOCUMENTO SET MESFINAL = 12");

    // Um byte trocado: o arquivo é pulado com a mensagem, o outro segue
    ui.mensagens.clear();
    const std::string nome = fs::directory_iterator(pasta)->path().filename().string();
    std::string bytes = teste::lerArquivo(pasta / nome);
    bytes[bytes.find("<dados>") + 8] ^= 1;
    teste::escreverArquivo(pasta / nome, bytes);
    cap.LerArquivosProtocolo(pasta.string());
    EXPECT_EQ(cap.encontradas().size(), 1u);
    EXPECT_TRUE(ui.contem("Os dados do arquivo " + pasta.string() + "/" + nome + " estão inconsistentes!"));
}

TEST_F(CapturaTeste, CapturaNaPastaSemEscritaEGradeDepois) {
    const fs::path pasta = devolvidos("d");
    const auto antes = hashes(pasta);
    for (const auto& e : fs::directory_iterator(pasta)) fs::permissions(e.path(), fs::perms::owner_read);
    fs::permissions(pasta, fs::perms::owner_read | fs::perms::owner_exec);
    ui.pastas = {pasta.string()};
    CapturaProtocolos cap(*dm, ModoCaptura::Captura);
    ASSERT_TRUE(cap.CarregarProtocolos());
    ASSERT_EQ(cap.grade().size(), 2u);
    const auto segunda = cap.grade()[1];
    EXPECT_EQ(segunda[0], "2");
    EXPECT_EQ(segunda[1].size(), 15u);  // 123.456789.0123
    const CamposProtocolo c = CamposDaLinha(cap.encontradas()[0]);

    ASSERT_TRUE(cap.actCapturarExecute());
    EXPECT_EQ(ui.textos(), std::vector<std::string>{MSG_CAPTURADOS_DISPONIVEIS});
    auto grade = cap.grade();
    ASSERT_EQ(grade.size(), 1u);
    EXPECT_EQ(grade[0][0], "1");
    EXPECT_EQ(std::vector<std::string>(grade[0].begin() + 1, grade[0].end()),
              std::vector<std::string>(segunda.begin() + 1, segunda.end()));
    // A gravação virou entrega com protocolo, data, hora e recibo
    int capturada = -1;
    for (int id : ids)
        for (const auto& e : entregas(id))
            if (e.TIPOTRANSMISSAO == "T") {
                capturada = id;
                EXPECT_EQ(e.PROTOCOLO, c.numero);
                EXPECT_EQ(e.HORA, c.hora);
                ASSERT_TRUE(e.DATA.has_value());
                EXPECT_NE(e.RECIBO.find("Contribuinte:"), std::string::npos);
            }
    ASSERT_NE(capturada, -1);
    EXPECT_EQ(entregas(capturada).size(), 1u);

    // De novo, numa nova leitura da pasta: recusada, nada muda
    ui.mensagens.clear();
    CapturaProtocolos outra(*dm, ModoCaptura::Captura);
    ui.pastas = {pasta.string()};
    ASSERT_TRUE(outra.CarregarProtocolos());
    EXPECT_FALSE(outra.actCapturarExecute());
    EXPECT_EQ(ui.textos(), std::vector<std::string>{MSG_JA_TRANSMITIDA});
    EXPECT_EQ(outra.encontradas().size(), 2u);
    EXPECT_EQ(entregas(capturada).size(), 1u);

    fs::permissions(pasta, fs::perms::owner_all);
    EXPECT_EQ(hashes(pasta), antes);
    EXPECT_FALSE(fs::exists(inst.exe / "temp" / "protocolos"));
}

// A base recusa a linha alterada: a captura inteira é desfeita, o erro traz o texto do servidor
// e a linha continua na lista para uma nova tentativa.
TEST_F(CapturaTeste, LinhaRecusadaPelaBaseNaoCaptura) {
    const fs::path pasta = devolvidos("d");
    inst.executarSQL("CREATE EXCEPTION E_RECUSA 'entrega travada pelo teste'");
    inst.executarSQL(
        "CREATE TRIGGER TRANSMISSAO_RECUSA FOR TRANSMISSAO BEFORE UPDATE AS BEGIN EXCEPTION E_RECUSA; END");
    ui.pastas = {pasta.string()};
    CapturaProtocolos cap(*dm, ModoCaptura::Captura);
    ASSERT_TRUE(cap.CarregarProtocolos());
    try {
        cap.actCapturarExecute();
        ADD_FAILURE() << "a captura recusada pela base foi dada como feita";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("entrega travada pelo teste"), std::string::npos) << e.what();
    }
    EXPECT_EQ(cap.encontradas().size(), 2u);
    EXPECT_TRUE(cap.capturadas().empty());
    for (int id : ids)
        for (const auto& e : entregas(id)) {
            EXPECT_EQ(e.TIPOTRANSMISSAO, "D");
            EXPECT_TRUE(e.PROTOCOLO.empty());
        }
}

TEST_F(CapturaTeste, ImpressaoNoModoRecibo) {
    const fs::path pasta = devolvidos("d");
    std::vector<std::string> impressos;
    CapturaProtocolos cap(*dm, ModoCaptura::Recibo, [&](const Entrega& e) { impressos.push_back(e.PROTOCOLO); });
    ui.pastas = {pasta.string()};
    ASSERT_TRUE(cap.CarregarProtocolos());
    const CamposProtocolo c = CamposDaLinha(cap.encontradas()[0]);
    EXPECT_FALSE(cap.ProtocoloCapturado(c.numero, c.data, c.hora));

    // Não capturado: a pergunta; "Não" não imprime nem grava
    ui.respostas = {false};
    cap.actImprimirExecute();
    EXPECT_EQ(ui.textos(), std::vector<std::string>{MSG_CAPTURAR_ANTES});
    EXPECT_TRUE(impressos.empty());
    EXPECT_FALSE(cap.ProtocoloCapturado(c.numero, c.data, c.hora));
    // "Sim": captura e imprime
    ui.respostas = {true};
    cap.actImprimirExecute();
    EXPECT_EQ(impressos, std::vector<std::string>{c.numero});
    EXPECT_TRUE(cap.ProtocoloCapturado(c.numero, c.data, c.hora));
    EXPECT_FALSE(cap.ProtocoloCapturado(c.numero, c.data, "00:00:00"));
    // Já capturado: imprime sem perguntar
    ui.mensagens.clear();
    cap.actImprimirExecute();
    EXPECT_TRUE(ui.textos().empty());
    EXPECT_EQ(impressos.size(), 2u);
    EXPECT_TRUE(cap.capturadas().empty());
}
